#include "Norvane/UI/SystemTrayIcon.hpp"

#include "Norvane/UI/Icons.hpp"

#include <QCursor>
#include <QSystemTrayIcon>

namespace UI {

SystemTrayIcon::SystemTrayIcon(QObject* parent)
    : QObject(parent), tray_(new QSystemTrayIcon(this)), normal_(Icon(128)), unread_(Icon(141))
{
    // A desktop whose tray host restarts gets the icon back from Qt itself, with the
    // image last set here.
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick) emit DoubleClicked();
        if (reason == QSystemTrayIcon::Context) emit MenuRequested(QCursor::pos());
    });
}

SystemTrayIcon::~SystemTrayIcon() { Hide(); }

void SystemTrayIcon::Initialize(const QString& tip)
{
    tip_ = tip;
    tray_->setToolTip(tip);
}

QIcon SystemTrayIcon::iconFor(StatusTag tag) const { return tag == StatusTag::Unread ? unread_ : normal_; }

void SystemTrayIcon::Show(StatusTag tag)
{
    status_ = tag;
    tray_->setIcon(iconFor(tag));
    tray_->show();
    shown_ = true;
}

void SystemTrayIcon::Change(StatusTag tag)
{
    if (!shown_) return;
    status_ = tag;
    tray_->setIcon(iconFor(tag));
}

void SystemTrayIcon::Hide()
{
    if (!shown_) return;
    tray_->hide();
    shown_ = false;
}

}  // namespace UI
