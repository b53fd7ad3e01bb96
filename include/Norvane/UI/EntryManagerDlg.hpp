#pragma once
// The entry manager dialog: every entry with its machine, status, user and notice
// setting; switching monitoring, the notification-item page, adding through the
// wizard, removing, and the detail settings. Modeless; refreshes on change notices.

#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/View.hpp"

#include <QDialog>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QPushButton;
class QTimer;

namespace UI {

class EntryListCtrl;
class EntryListSource;

class EntryManagerDlg : public View<QDialog> {
public:
    /// Runs the add-entry wizard modally over `parent`.
    using WizardOpener = std::function<void(QWidget* parent)>;

    EntryManagerDlg(std::shared_ptr<MonitoredEntry::EntryManager> manager, WizardOpener wizard,
                    QWidget* parent = nullptr);
    ~EntryManagerDlg() override;

    EntryListCtrl& List() const { return *list_; }
    /// True while a switch of monitoring waits for the subscription keeper.
    bool Waiting() const { return waitTimer_ != nullptr; }

    void OnSwitchMonitoring();
    void OnOpenNotificationItems();
    void OnAdd();
    void OnRemove();
    void OnDetailSettings();

protected:
    void OnUpdate() override;

private:
    void Refresh();
    void UpdateButtons();
    std::optional<ID> Selected() const;
    void PollSubscription();
    void EndWait();
    /// Runs a button's work; a failure is reported and never reaches the toolkit.
    void Guarded(const std::function<void()>& work);

    std::shared_ptr<MonitoredEntry::EntryManager> manager_;
    WizardOpener wizard_;
    std::unique_ptr<EntryListSource> source_;
    EntryListCtrl* list_ = nullptr;
    QPushButton* switchButton_ = nullptr;
    QPushButton* itemsButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* detailButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;

    // The wait after a switch: the entry, and when the wait gives up.
    QTimer* waitTimer_ = nullptr;
    ID waitedEntry_;
    std::chrono::steady_clock::time_point waitEnd_;
};

/// The dialog as the main window opens it: deleted when closed, its bottom-right
/// corner at the bottom-right corner of the work area.
QDialog* MakeEntryManagerDlg(std::shared_ptr<MonitoredEntry::EntryManager> manager,
                             EntryManagerDlg::WizardOpener wizard);

}  // namespace UI
