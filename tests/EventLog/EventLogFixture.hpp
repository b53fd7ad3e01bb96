#pragma once
// What the event log viewer tests share: the application object, a simulated machine
// with the account "alice", an entry manager filled per test, fakes for message boxes
// and the desktop's opener, and builders of logged events with times around today.

#include "Norvane/UI/EventLogDlg.hpp"
#include "Norvane/UI/Message.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/EventProperty.hpp"
#include "Monitoring/Signal.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "System/System.hpp"

#include "EventLoop.hpp"
#include "TempDir.hpp"

#include <QDateTime>
#include <QPointer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EventLogTest {

class SilentMessages : public UI::MessageService {
public:
    void Show(const std::wstring& text, UI::MessageIcon) override { shown.push_back(text); }
    bool Ask(const std::wstring& text) override
    {
        shown.push_back(text);
        return true;
    }
    std::vector<std::wstring> shown;
};

class RecordingOpener : public System::Opener {
public:
    bool Open(const std::wstring& address, const std::wstring&) override
    {
        std::lock_guard lock(mutex);
        opened.push_back(address);
        return true;
    }
    std::mutex mutex;
    std::vector<std::wstring> opened;
};

/// Keeps a copy of every signal it is given.
class RecordingMonitors : public Monitor::EventSignalObserver {
public:
    void OnSignal(const Monitor::Signal& signal) override { received.push_back(signal.Clone()); }
    std::vector<std::unique_ptr<Monitor::Signal>> received;
};

/// One logged event as a test writes it.
struct LoggedEvent {
    MonitoredEntry::EventProperty property;
    bool read = false;
};

/// One entry for a fixture's manager.
struct EntrySpec {
    std::wstring host = L"127.0.0.1";
    std::wstring machineName = L"Front & desk";
    std::wstring userId = L"alice";
    bool monitoring = true;
    int notifyDisplay = 1;
    std::vector<LoggedEvent> events;
};

/// The RFC 822 text of a local date-time, as a machine writes it.
std::string Rfc822(const QDateTime& time);
/// A local time `days` from today at hh:mm:ss.
QDateTime Day(int days, int hour = 9, int minute = 0, int second = 0);

/// A document event with this name, information and time.
MonitoredEntry::EventProperty DocumentEvent(const std::wstring& category, const std::wstring& info,
                                            const QDateTime& time);
/// A due-date notice event ("期限お知らせ"): status "0" active, "1" completed, "2" overdue.
MonitoredEntry::EventProperty NoticeEvent(const std::wstring& notifyId, const std::wstring& status,
                                          const std::wstring& content, const QDateTime& notifyDate,
                                          const QDateTime& time, const std::wstring& docId = L"0001");

class EventLogFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    EventLogFixture();
    ~EventLogFixture() override;

    /// A new entry manager with these entries (IDs 0, 1, ...), their events in the
    /// order given (IDs 0, 1, ... in each log).
    void MakeManager(const std::vector<EntrySpec>& entries);
    /// A new viewer on the manager, not shown.
    UI::EventLogDlg& OpenViewer();

    bool EventRead(long entry, long event) const;
    /// The event list's rows as (entry, event) values, in row order.
    std::vector<std::pair<long, long>> EventRows() const;
    /// The text of a row of the event list.
    std::wstring EventCell(int row, int column) const;
    /// The notices list's column, top to bottom.
    std::vector<std::wstring> NoticeColumnTexts(int column) const;
    bool Enabled(int control) const;
    /// Makes the entry list select this row as a click would.
    void ClickEntryRow(int row);

    static bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
    {
        return SpinUntil(condition, limit);
    }

    IsolatedEnvironment env;
    QuillhavenSim::Machine machine;
    std::shared_ptr<MonitoredEntry::EntryManager> manager;
    RecordingMonitors monitors;
    std::shared_ptr<SilentMessages> messages = std::make_shared<SilentMessages>();
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    QPointer<UI::EventLogDlg> viewer;
};

}  // namespace EventLogTest
