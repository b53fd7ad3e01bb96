#include "discovery/SelectionDialog.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace Discovery {
namespace {

QString Qt16(const std::wstring& text) { return QString::fromStdWString(text); }

}  // namespace

SelectionDialog::SelectionDialog(std::vector<Machine> machines, SearchFunction search, QWidget* parent)
    : QDialog(parent), machines_(std::move(machines)), search_(std::move(search))
{
    setWindowTitle(QStringLiteral("機器の選択"));
    setModal(true);

    auto* prompt = new QLabel(QStringLiteral("機器を選択してください。"), this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("machineList"));
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHeaderLabels({QStringLiteral("機器名称"), QStringLiteral("IPアドレスまたはホスト名"),
                            QStringLiteral("HTTPポート番号"), QStringLiteral("HTTPSポート番号")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    auto* searchButton = new QPushButton(QStringLiteral("更新(&R)"), this);
    searchButton->setObjectName(QStringLiteral("searchButton"));
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("okButton"));
    auto* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));

    auto* row = new QHBoxLayout;
    row->addWidget(searchButton);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(list_);
    layout->addLayout(row);
    resize(560, 320);

    connect(list_, &QTreeWidget::itemSelectionChanged, this, &SelectionDialog::UpdateButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
    connect(searchButton, &QPushButton::clicked, this, &SelectionDialog::SearchAgain);
    connect(buttons, &QDialogButtonBox::accepted, this, &SelectionDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SelectionDialog::reject);
    Fill();
}

void SelectionDialog::Fill()
{
    list_->clear();
    for (std::size_t i = 0; i < machines_.size(); ++i) {
        const Machine& machine = machines_[i];
        const std::wstring& name = machine.firstName.empty() ? machine.secondName : machine.firstName;
        auto* item = new QTreeWidgetItem(list_, {Qt16(name), Qt16(machine.host), QString::number(machine.http),
                                                 QString::number(machine.https)});
        item->setData(0, Qt::UserRole, qulonglong(i));
    }
    UpdateButtons();
}

void SelectionDialog::SearchAgain()
{
    try {
        machines_ = search_();
    } catch (...) {
        // No exception may cross the event loop; the caller learns of it after the window.
        failure_ = std::current_exception();
        reject();
        return;
    }
    Fill();
}

void SelectionDialog::UpdateButtons() { ok_->setEnabled(!list_->selectedItems().isEmpty()); }

void SelectionDialog::accept()
{
    const auto selected = list_->selectedItems();
    if (selected.isEmpty()) return;
    chosen_ = machines_.at(selected.front()->data(0, Qt::UserRole).toULongLong());
    QDialog::accept();
}

}  // namespace Discovery
