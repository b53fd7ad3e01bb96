#include "Norvane/UI/PopupMenu.hpp"

#include "MonitoredEntry/EntryManager.hpp"
#include "Utility/LoadString.hpp"

#include <QMenu>

#include <mutex>

namespace UI {

namespace {
QString text(unsigned int id) { return QString::fromStdWString(LoadString(id)); }
}  // namespace

PopupMenu::PopupMenu(std::shared_ptr<MonitoredEntry::EntryManager> manager, QObject* parent)
    : QObject(parent), manager_(std::move(manager)), menu_(std::make_unique<QMenu>())
{
    menu_->addAction(text(185), this, &PopupMenu::SettingsRequested);
    menu_->addAction(text(183), this, &PopupMenu::EventLogRequested);
    login_ = menu_->addMenu(text(128));
    menu_->addSeparator();
    menu_->addAction(text(181), this, &PopupMenu::AboutRequested);
    menu_->addAction(text(162), this, &PopupMenu::ExitRequested);
    ConstructSubMenu();
}

PopupMenu::~PopupMenu() = default;

void PopupMenu::ConstructSubMenu()
{
    std::lock_guard lock(*manager_);
    login_->clear();
    loginEntries_.clear();
    const auto monitored = manager_->SearchMonitoring();
    for (const auto& entry : *monitored) {
        const auto& mfp = entry.GetProperty().GetMFP();
        QString caption = QString::fromStdWString(mfp.GetName() ? *mfp.GetName() : mfp.GetHost());
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        const auto id = entry.GetID();
        login_->addAction(caption, this, [this, id] { emit LoginRequested(id); });
        loginEntries_.push_back(id);
    }
}

void PopupMenu::Popup(const QPoint& position)
{
    ConstructSubMenu();
    menu_->popup(position);
}

}  // namespace UI
