#include "Norvane/UI/AboutDlg.hpp"

#include "Application/Version.hpp"
#include "Norvane/UI/Icons.hpp"
#include "Utility/Catalogue.hpp"
#include "Utility/LoadString.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace UI {

namespace {
constexpr unsigned int aboutCaption = 184;

QLabel* label(QWidget* parent, const char* id, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(id));
    l->setTextFormat(Qt::PlainText);
    return l;
}
}  // namespace

AboutDlg::AboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromStdWString(LoadString(aboutCaption)));
    setWindowIcon(Icon(128));

    auto* icon = new QLabel(this);
    icon->setPixmap(Icon(128).pixmap(32, 32));
    auto* texts = new QVBoxLayout;
    texts->addWidget(label(this, "1110", QStringLiteral("TRAVENOR Norvane4")));
    texts->addWidget(label(this, "1111", QStringLiteral("Version %1").arg(QLatin1String(NORVANE_VERSION_TEXT))));
    texts->addWidget(label(this, "1113",
                           QStringLiteral("Language %1").arg(QString::fromStdWString(Catalogue::VersionText()))));
    texts->addWidget(label(this, "1112", QString::fromUtf8(NORVANE_COPYRIGHT_TEXT)));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    setLayout(row);
}

void MoveToWorkAreaCorner(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    window->adjustSize();
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.right() + 1 - size.width(), area.bottom() + 1 - size.height());
}

}  // namespace UI
