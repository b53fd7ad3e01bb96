#pragma once
// The event log viewer: the entries on the left; on the right, for the selected entry,
// its logged events (the event view) or today's due-date notices (the notice view).
// From it the person opens an event's details, confirms all events, asks for a check
// now, opens the machine's login and notice pages, and completes notices on the
// machine. Its own timer brings it up when the main window's notice display says that
// notices are due. Everything runs on the GUI thread.

#include "MonitoredEntry/BasicID.hpp"
#include "Norvane/UI/View.hpp"

#include <QDialog>

#include <memory>
#include <optional>

class QTreeWidget;

namespace Monitor {
class EventSignalObserver;
}

namespace UI {

class EntryListCtrl;
class EventListCtrl;

/// The control numbers of the viewer (also their objectName).
namespace EventLogControl {
inline constexpr int Close = 1;
inline constexpr int EntryList = 1050;
inline constexpr int CheckNow = 1051;
inline constexpr int EventList = 1066;
inline constexpr int MachineLabel = 1100;
inline constexpr int UserLabel = 1101;
inline constexpr int MachineName = 1102;
inline constexpr int UserName = 1103;
inline constexpr int Summary = 1104;
inline constexpr int Login = 1115;
inline constexpr int ConfirmAll = 1116;
inline constexpr int NoticePage = 1117;
inline constexpr int SwitchView = 1118;
inline constexpr int CompleteSelected = 1119;
inline constexpr int CompleteAll = 1120;
inline constexpr int NoticeList = 1142;
}  // namespace EventLogControl

/// The columns of the notices list.
namespace NoticeColumn {
inline constexpr int Status = 0;
inline constexpr int Content = 1;
inline constexpr int NotifyDate = 2;
inline constexpr int DocId = 3;
inline constexpr int NotifyId = 4;
inline constexpr int Time = 5;
}  // namespace NoticeColumn

class EventLogDlg : public View<QDialog> {
    Q_OBJECT
public:
    /// A hidden viewer in the event view. `monitors` receives the check-now requests
    /// (none are sent without it); it must outlive the viewer.
    EventLogDlg(std::shared_ptr<MonitoredEntry::EntryManager> manager, Monitor::EventSignalObserver* monitors,
                QWidget* parent = nullptr);
    ~EventLogDlg() override;

    /// The control with this number, or null.
    QWidget* Control(int id) const;
    EntryListCtrl& EntryList() const;
    EventListCtrl& EventList() const;
    QTreeWidget& NoticeList() const;

    /// The entry whose events are shown.
    std::optional<ID> SelectedEntry() const;
    bool IsNoticeView() const;
    int NoticeCount() const;
    int OverdueCount() const;

    // What the controls do; public so that the main window and tests can drive them.
    /// Shows the selected entry (or the only one) with its state and events.
    void SelectionUpdate();
    void SwitchView(bool noticeView);
    /// Rebuilds the notices list from the event list's rows.
    void BuildNoticeList();
    void CountNotices();
    /// Opens the selected event in the details window (modal), marking it read first.
    void OpenEvent();
    void CheckNow();
    void OpenLoginPage();
    void OpenNoticePage();
    void ConfirmAll();
    void CompleteSelectedNotice();
    /// Completes the notices from the first row on and stops at the first failure; the
    /// list empties only when every row succeeded.
    void CompleteAllNotices();
    /// One tick of the notice timer: shows the due notices as the main window's notice
    /// flags ask.
    void NoticeDisplay();

    /// OK, Cancel and Close end the window for good.
    void done(int result) override;

protected:
    void OnUpdate() override;

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl;
};

/// A new, hidden viewer in the bottom-right corner of the work area, for the main
/// window's single-window opener.
QDialog* MakeEventLogDlg(std::shared_ptr<MonitoredEntry::EntryManager> manager,
                         Monitor::EventSignalObserver* monitors);

}  // namespace UI
