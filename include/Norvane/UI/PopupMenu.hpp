#pragma once
// The tray icon's menu: settings, event log, the Login submenu of the monitored
// entries, About and Exit.

#include "MonitoredEntry/BasicID.hpp"

#include <QObject>
#include <QPoint>

#include <memory>
#include <vector>

class QMenu;

namespace MonitoredEntry {
class EntryManager;
}

namespace UI {

class PopupMenu : public QObject {
    Q_OBJECT
public:
    PopupMenu(std::shared_ptr<MonitoredEntry::EntryManager> manager, QObject* parent = nullptr);
    ~PopupMenu() override;

    /// Rebuilds the Login submenu: one item per monitored entry in store order, captioned
    /// with the machine's name (else its host), ampersands shown literally.
    void ConstructSubMenu();
    /// Rebuilds the Login submenu and shows the menu at `position`.
    void Popup(const QPoint& position);

    QMenu* Menu() const { return menu_.get(); }
    QMenu* LoginMenu() const { return login_; }
    const std::vector<ID>& LoginEntries() const { return loginEntries_; }

signals:
    void SettingsRequested();
    void EventLogRequested();
    void AboutRequested();
    void ExitRequested();
    /// The Login item of an entry (the entry may be gone by the time this is handled).
    void LoginRequested(ID entry);

private:
    std::shared_ptr<MonitoredEntry::EntryManager> manager_;
    std::unique_ptr<QMenu> menu_;
    QMenu* login_ = nullptr;
    std::vector<ID> loginEntries_;
};

}  // namespace UI
