#pragma once
// The add-entry wizard: choose the machine (discovered or typed in), choose or type the
// account, confirm. The pages collect their choices in one working entry property; the
// only effect of a run is the entry it adds (and the notification-item page it may open).

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/EntryProperty.hpp"

#include <QWizard>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace MonitoredEntry {
class EntryManager;
}

namespace UI::EntryWizard {

class Page;

/// The page keys: the numbers of the pages' templates (also their objectName).
namespace PageKey {
inline constexpr int MachineSelect = 107;
inline constexpr int UserSelect = 108;
inline constexpr int UserInput = 109;
inline constexpr int Commit = 110;
}  // namespace PageKey

/// What the wizard takes from the settings: where a new entry starts and which checks
/// it runs against the machine.
struct Settings {
    MonitoredEntry::EntryProperty defaultProperty;
    bool checkConnect = true;       // leaving the machine page needs an answer from it
    bool checkAuthenticate = true;  // leaving a user page needs the machine to accept the account

    /// The process-wide settings (Config::Instance()).
    static Settings Current();
};

class Wizard : public QWizard {
    Q_OBJECT

public:
    Wizard(std::shared_ptr<MonitoredEntry::EntryManager> manager, Settings settings, QWidget* parent = nullptr);
    ~Wizard() override;

    MonitoredEntry::EntryManager& Manager() const { return *manager_; }
    const Settings& GetSettings() const { return settings_; }

    /// The property a new entry starts from.
    const MonitoredEntry::EntryProperty& GetDefaultEntryProperty() const { return settings_.defaultProperty; }
    /// The working property: the choices of the pages so far.
    const MonitoredEntry::EntryProperty& GetEntryProperty() const { return property_; }
    void SetEntryProperty(const MonitoredEntry::EntryProperty& property) { property_ = property; }

    /// Whether the notification-item page opens after the entry was added.
    bool NotificationItemFlag() const { return notificationItems_; }
    void SetNotificationItemFlag(bool flag) { notificationItems_ = flag; }

    /// The page with this key, or null.
    Page* GetPage(int key) const;

    /// The entry this run added, once it did.
    std::optional<ID> AddedEntry() const { return added_; }
    void SetAddedEntry(const ID& id) { added_ = id; }

    /// Runs `action`. An error it raises ends the run (the wizard closes as cancelled)
    /// and is kept for the caller of the run; false then.
    bool Guarded(const std::function<void()>& action);
    /// The error that ended the run, if one did.
    std::exception_ptr Error() const { return error_; }

    /// The current page's leave check; when it lets the page go, the next page learns
    /// that it was reached from this one.
    bool validateCurrentPage() override;

private:
    void OnPageChanged(int key);

    std::shared_ptr<MonitoredEntry::EntryManager> manager_;
    Settings settings_;
    MonitoredEntry::EntryProperty property_;
    bool notificationItems_ = true;
    std::optional<ID> added_;
    std::exception_ptr error_;
};

}  // namespace UI::EntryWizard
