#pragma once
// What the event-window tests share: the application object, a simulated machine with
// the account "alice", an entry manager holding one entry for it, fakes for message
// boxes, the desktop's opener and the Save As dialog, and a short timeout table.

#include "Norvane/UI/EventDlg.hpp"
#include "Monitoring/Popup.hpp"
#include "Norvane/UI/Message.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/EventProperty.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "System/System.hpp"

#include "TempDir.hpp"

#include <QColor>
#include <QSize>
#include <QWidget>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace EventWindowsTest {

/// Records every message box and answers questions with a preset answer.
class RecordingMessages : public UI::MessageService {
public:
    void Show(const std::wstring& text, UI::MessageIcon icon) override;
    bool Ask(const std::wstring& text) override;
    /// The string numbers shown so far (questions included), in order.
    std::vector<unsigned> Shown() const;
    UI::MessageIcon LastIcon() const;
    bool answer = true;

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> texts_;
    UI::MessageIcon lastIcon_ = UI::MessageIcon::Exclamation;
};

class RecordingOpener : public System::Opener {
public:
    bool Open(const std::wstring& fileOrAddress, const std::wstring& workingDirectory) override;
    std::vector<std::wstring> Opened() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> opened_;
};

/// Answers the Save As dialog with a preset path (or a cancel) and records what it was offered.
class ScriptedSaveAs : public UI::SaveAsChooser {
public:
    std::optional<std::wstring> Choose(QWidget* owner, const std::wstring& filter, const std::wstring& suffix) override;
    std::optional<std::wstring> answer;
    std::wstring offeredFilter;
    std::wstring offeredSuffix;
    int calls = 0;
};

struct EntrySettings {
    bool monitoring = true;
    int eraseTime = 0;
    bool eventRead = false;
    bool deleteMsg = false;
    bool thumbnailHidden = false;
};

class EventWindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    EventWindowFixture();
    ~EventWindowFixture() override;

    MonitoredEntry::MFP Machine() const;
    MonitoredEntry::User Alice() const;

    /// A scan published for alice, read back from her feed as the event monitor maps it.
    MonitoredEntry::EventProperty PublishScan(QuillhavenSim::DocumentFormat format = QuillhavenSim::DocumentFormat::Pdf);
    /// A property written here: every optional text is given or absent as asked.
    static MonitoredEntry::EventProperty MakeProperty(const boost::optional<std::wstring>& thumbnail,
                                                      const boost::optional<std::wstring>& detailList,
                                                      const std::wstring& notify = L"-1",
                                                      const std::string& categorytype = "0");

    /// Puts one entry for alice with these events (the first `unread` of them unread,
    /// the rest read) into a new entry manager; the events get IDs 0, 1, ...
    void MakeEntry(const std::vector<MonitoredEntry::EventProperty>& events, int unread,
                   const EntrySettings& settings = {});
    std::shared_ptr<const MachineEvent::Event> Snapshot(const MonitoredEntry::EventProperty& property) const;

    /// A window for the event, wired to the entry (not shown yet).
    template <class Dialog>
    std::unique_ptr<Dialog> MakeWindow(const MonitoredEntry::EventProperty& property, bool loadThumbnail = true)
    {
        auto window = std::make_unique<Dialog>(Snapshot(property));
        window->SetEntryManager(manager.get());
        window->SetEntryID(ID(0));
        window->SetEventID(ID(0));
        if (loadThumbnail) window->LoadThumbnail();
        return window;
    }

    /// Processes events until the condition holds; false after the time limit.
    static bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

    IsolatedEnvironment env;
    QuillhavenSim::Machine machine;
    std::unique_ptr<MonitoredEntry::EntryManager> manager;
    std::shared_ptr<RecordingMessages> messages = std::make_shared<RecordingMessages>();
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<ScriptedSaveAs> saveAs = std::make_shared<ScriptedSaveAs>();
};

/// A plain picture of one colour, encoded as PNG.
std::vector<char> PngBytes(const QSize& size, const QColor& colour);

/// A control of the window by number.
template <class T = QWidget>
T* ControlOf(const QWidget& window, int id)
{
    return window.findChild<T*>(QString::number(id));
}

}  // namespace EventWindowsTest
