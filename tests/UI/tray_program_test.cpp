// The running tray program: data file, tray icon, menu and shutdown.

#include "MonitoredEntry/DataFile.hpp"
#include "QtApplication.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "Norvane/UI/MainFrame.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/PopupMenu.hpp"
#include "Norvane/UI/SystemTrayIcon.hpp"
#include "System/InstanceLock.hpp"

#include "Fixtures.hpp"
#include "TempDir.hpp"

#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QMenu>
#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace fs = boost::filesystem;
using namespace MonitoredEntry;

namespace {


class RecordedMessages : public UI::MessageService {
public:
    std::vector<std::wstring> shown;
    void Show(const std::wstring& text, UI::MessageIcon) override { shown.push_back(text); }
    bool Ask(const std::wstring& text) override
    {
        shown.push_back(text);
        return true;
    }
};

class TrayProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApplication();
    }
    void SetUp() override { UI::Message::SetService(messages); }
    void TearDown() override { UI::Message::SetService(nullptr); }

    // Lets queued change notices reach the window.
    template <class Condition>
    bool spinUntil(Condition condition)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    IsolatedEnvironment env;
    fs::path dataFile = env.dataDirectory() / "data.dat";
    std::shared_ptr<RecordedMessages> messages = std::make_shared<RecordedMessages>();
    System::InstanceLock lock{"OsmarkNorvane4"};
};

ID addEntry(EntryManager& manager, const std::wstring& host, bool monitoring, const std::wstring& name = L"")
{
    EntryManager::Transaction t(manager);
    auto property = TestData::Property(host, monitoring);
    auto mfp = property.GetMFP();
    if (!name.empty()) mfp.SetName(name);
    property.SetMFP(mfp);
    const ID id = t.Append(property);
    t.Commit();
    return id;
}

TEST_F(TrayProgram, TrayIconFollowsTheUnreadEvents)
{
    UI::MainFrame frame(lock);
    auto& manager = *frame.Manager();
    EXPECT_TRUE(frame.Tray().Shown());
    EXPECT_EQ(frame.Tray().Status(), UI::StatusTag::Normal);

    const ID entryId = addEntry(manager, L"mfp1", true);
    ID eventId;
    {
        EntryManager::Transaction t(manager);
        auto entry = t.GetEntryCopy(entryId);
        auto log = entry->GetEventLog();
        eventId = log.Append(TestData::MakeEvent(L"scan"));
        entry->SetEventLog(log);
        t.SetEntry(entry);
        t.Commit();
    }
    EXPECT_TRUE(spinUntil([&] { return frame.Tray().Status() == UI::StatusTag::Unread; }));

    MachineEvent::PopupEventManager::MarkRead(manager, entryId, eventId);
    EXPECT_TRUE(spinUntil([&] { return frame.Tray().Status() == UI::StatusTag::Normal; }));
    frame.Shutdown();
    EXPECT_FALSE(frame.Tray().Shown());
}

TEST_F(TrayProgram, LoginMenuListsMonitoredEntriesWithLiteralAmpersands)
{
    UI::MainFrame frame(lock);
    auto& manager = *frame.Manager();
    const ID first = addEntry(manager, L"mfp-a", true, L"R&D 複合機");
    addEntry(manager, L"mfp-b", false, L"Off");
    const ID third = addEntry(manager, L"mfp-c", true);

    frame.Menu().ConstructSubMenu();
    const auto actions = frame.Menu().LoginMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QString::fromStdWString(L"R&&D 複合機"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("mfp-c"));
    EXPECT_EQ(frame.Menu().LoginEntries(), (std::vector<ID>{first, third}));

    const auto top = frame.Menu().Menu()->actions();
    ASSERT_EQ(top.size(), 6);
    EXPECT_EQ(top[0]->text(), QString::fromStdWString(L"設定(&S)..."));
    EXPECT_TRUE(top[3]->isSeparator());
    EXPECT_EQ(top[5]->text(), QString::fromStdWString(L"終了(&E)"));
    frame.Shutdown();
}

TEST_F(TrayProgram, ShutdownSavesTheDataFileThatTheNextStartLoads)
{
    {
        UI::MainFrame frame(lock);
        addEntry(*frame.Manager(), L"saved-host", true);
        frame.Shutdown();
        EXPECT_FALSE(lock.Held());
    }
    ASSERT_TRUE(fs::exists(dataFile));
    EXPECT_EQ(fs::status(dataFile).permissions() & 0777, fs::owner_read | fs::owner_write);

    UI::MainFrame again(lock);
    std::lock_guard guard(*again.Manager());
    ASSERT_EQ(again.Manager()->GetDB().Count(), 1u);
    EXPECT_EQ(again.Manager()->GetDB().GetEntryList().front()->GetProperty().GetMFP().GetHost(), L"saved-host");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(TrayProgram, UnreadableDataFileIsKeptAndTold)
{
    WriteFile(dataFile, "this is not the data file");
    UI::MainFrame frame(lock);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0], L"設定の読み込みに失敗しました。");
    EXPECT_EQ(ReadFile(fs::path(dataFile.string() + ".unreadable")), "this is not the data file");
    std::lock_guard guard(*frame.Manager());
    EXPECT_EQ(frame.Manager()->GetDB().Count(), 0u);
}

TEST_F(TrayProgram, FailedSavesAreToldOnceAndTheShutdownEndsWithCode30)
{
    UI::MainFrame frame(lock);
    int exitCode = 0;
    QObject::connect(&frame, &UI::MainFrame::ExitCodeChosen, [&](int code) { exitCode = code; });
    fs::create_directories(fs::path(dataFile.string() + ".tmp"));  // the temporary file cannot be written

    EXPECT_FALSE(frame.SaveData());
    EXPECT_FALSE(frame.SaveData());
    EXPECT_EQ(messages->shown.size(), 1u) << "a periodic failure is told once";

    frame.Shutdown();
    EXPECT_EQ(exitCode, 30);
    ASSERT_EQ(messages->shown.size(), 2u) << "the shutdown tells again";
    EXPECT_EQ(messages->shown[1], L"設定の保存に失敗しました。");
    EXPECT_FALSE(lock.Held());
}

}  // namespace

namespace {

TEST_F(TrayProgram, AboutTwiceShowsOneWindowWithTheProgramsTexts)
{
    UI::MainFrame frame(lock);
    frame.ShowWindow(UI::Window::About);
    QWidget* about = frame.OpenWindow(UI::Window::About);
    ASSERT_NE(about, nullptr);
    frame.ShowWindow(UI::Window::About);
    EXPECT_EQ(frame.OpenWindow(UI::Window::About), about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), QString::fromStdWString(L"バージョン情報"));
    EXPECT_EQ(about->findChild<QLabel*>("1110")->text(), QStringLiteral("TRAVENOR Norvane4"));
    EXPECT_TRUE(about->findChild<QLabel*>("1111")->text().startsWith(QStringLiteral("Version 4.")));
    EXPECT_EQ(about->findChild<QLabel*>("1113")->text(), QStringLiteral("Language -"));
    frame.Shutdown();
    EXPECT_EQ(frame.OpenWindow(UI::Window::About), nullptr) << "the shutdown closes the open windows";
}

TEST_F(TrayProgram, NoticeDisplayStartsTheDailyNoticesOnceAnEntryExists)
{
    UI::MainFrame frame(lock);
    auto& flags = MachineEvent::GetNoticeFlags();
    frame.NoticeDisplay();
    EXPECT_FALSE(flags.dailyNoticeDue) << "nothing to show without entries";
    addEntry(*frame.Manager(), L"mfp1", true);
    frame.NoticeDisplay();
    EXPECT_TRUE(flags.dateChangeSeen);
    EXPECT_TRUE(flags.dailyNoticeDue);
    EXPECT_TRUE(flags.openInNoticeView);
    ASSERT_NE(frame.OpenWindow(UI::Window::EventLog), nullptr) << "the viewer exists and decides itself";

    flags.dailyNoticeDue = false;
    flags.noticeRequested = true;
    flags.overduePending = true;
    frame.NoticeDisplay();
    EXPECT_FALSE(flags.noticeRequested);
    EXPECT_FALSE(flags.overduePending);
    EXPECT_TRUE(flags.overdueNoticeDue);
    frame.Shutdown();
}

}  // namespace
