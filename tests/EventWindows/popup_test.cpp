// The popup: its place, the erase timer and the mouse, and the popup manager's side.

#include "EventWindowFixture.hpp"

#include "Norvane/UI/PopupEventDlg.hpp"
#include "Norvane/UI/PopupWindow.hpp"
#include "Monitoring/PopupEventManager.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <future>

namespace EventWindowsTest {
namespace {

namespace C = UI::EventControl;
using namespace std::chrono_literals;

class PopupTest : public EventWindowFixture {
protected:
    std::unique_ptr<UI::PopupEventDlg> ShowPopup(int eraseTime)
    {
        EntrySettings settings;
        settings.eraseTime = eraseTime;
        const auto property = MakeProperty(boost::none, boost::none);
        MakeEntry({property}, 1, settings);
        auto popup = MakeWindow<UI::PopupEventDlg>(property, false);
        popup->show();
        return popup;
    }
};

TEST_F(PopupTest, SitsOnTopInTheBottomRightCornerOfTheWorkArea)
{
    auto popup = ShowPopup(0);
    EXPECT_TRUE(popup->windowFlags() & Qt::WindowStaysOnTopHint);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(popup->frameGeometry().bottomRight(), work.bottomRight());
}

TEST_F(PopupTest, EraseTimerClosesItWithCancel)
{
    auto popup = ShowPopup(300);
    EXPECT_TRUE(popup->TimerActive());
    EXPECT_EQ(UI::PopupEventDlg::CurrentEraseTime(), 300);
    ASSERT_TRUE(WaitUntil([&] { return !popup->isVisible(); }, 3s));
    EXPECT_EQ(popup->result(), QDialog::Rejected);
    EXPECT_TRUE(popup->IsClosedByTimer());
    EXPECT_FALSE(popup->IsLeftForLog());
}

TEST_F(PopupTest, TheMouseOverItOrItsFrameStopsTheTimer)
{
    struct Case {
        const char* name;
        QEvent::Type type;
        int target;  // 0: the window itself
    };
    for (const Case c : {Case{"client area", QEvent::MouseMove, C::Machine},
                         Case{"frame", QEvent::NonClientAreaMouseMove, 0},
                         Case{"entering", QEvent::Enter, 0}}) {
        SCOPED_TRACE(c.name);
        auto popup = ShowPopup(300);
        QWidget* target = c.target ? ControlOf(*popup, c.target) : popup.get();
        if (c.type == QEvent::Enter) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QCoreApplication::sendEvent(target, &enter);
        } else {
            QMouseEvent move(c.type, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(target, &move);
        }
        EXPECT_FALSE(popup->TimerActive());
        EXPECT_FALSE(WaitUntil([&] { return !popup->isVisible(); }, 700ms));
    }
}

TEST_F(PopupTest, WithoutEraseTimeItStaysAndEscapeEndsItWithOK)
{
    auto popup = ShowPopup(0);
    EXPECT_FALSE(popup->TimerActive());
    EXPECT_FALSE(WaitUntil([&] { return !popup->isVisible(); }, 300ms));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(popup.get(), &escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->result(), QDialog::Accepted);
}

// The popup manager's side: make the popup, load its thumbnail and run it on a thread
// of its own while the GUI thread goes on.
class PopupWindowTest : public PopupTest {
protected:
    using Result = MachineEvent::PopupResult;

    std::future<Result> RunOnWorker(const MonitoredEntry::EventProperty& property)
    {
        auto snapshot = Snapshot(property);
        auto* entries = manager.get();
        return std::async(std::launch::async, [this, snapshot, entries] {
            auto popup = factory.Make(snapshot, *entries, ID(0), ID(0));
            popup->LoadThumbnail();
            return popup->Run();
        });
    }
    UI::PopupEventDlg* WaitForPopup()
    {
        WaitUntil([&] { return factory.Current() && factory.Current()->isVisible(); }, 10s);
        return factory.Current();
    }
    static bool Ready(std::future<Result>& result)
    {
        return WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s);
    }

    UI::PopupWindowFactory factory;
};

TEST_F(PopupWindowTest, ResultsComeBackToTheWaitingThread)
{
    const auto scan = PublishScan();
    EntrySettings settings;
    settings.eraseTime = 1000;
    MakeEntry({scan}, 1, settings);

    // Closed with its button: OK; the thumbnail was loaded on the worker thread.
    auto result = RunOnWorker(scan);
    UI::PopupEventDlg* popup = WaitForPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->TimerActive());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &move);
    EXPECT_EQ(ControlOf<QLabel>(*popup, C::Picture)->pixmap().size(), QSize(64, 48));
    ControlOf<QPushButton>(*popup, C::Close)->click();
    ASSERT_TRUE(Ready(result));
    EXPECT_EQ(result.get(), Result::OK);
    // The popup object is gone: so is its window.
    EXPECT_TRUE(WaitUntil([&] { return factory.Current() == nullptr; }, 2s));

    // Left alone: the erase timer ends it with Cancel.
    result = RunOnWorker(scan);
    ASSERT_TRUE(Ready(result));
    EXPECT_EQ(result.get(), Result::Cancel);

    // The event-log button.
    result = RunOnWorker(scan);
    popup = WaitForPopup();
    ASSERT_NE(popup, nullptr);
    ControlOf<QPushButton>(*popup, C::EventLog)->click();
    ASSERT_TRUE(Ready(result));
    EXPECT_EQ(result.get(), Result::EventLog);
}

TEST_F(PopupWindowTest, CloseEndsTheShownPopupWithOKEvenWhileTheGuiThreadIsBusy)
{
    const auto property = MakeProperty(boost::none, boost::none);
    MakeEntry({property}, 1);
    auto popup = factory.Make(Snapshot(property), *manager, ID(0), ID(0));
    auto result = std::async(std::launch::async, [&] { return popup->Run(); });
    UI::PopupEventDlg* window = WaitForPopup();
    ASSERT_NE(window, nullptr);
    // The GUI thread stops the manager and waits for its thread, as at shutdown.
    popup->Close();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), Result::OK);
    EXPECT_TRUE(WaitUntil([&] { return !window->isVisible(); }, 2s));

    // From another thread, before the popup was shown: it is not shown at all.
    auto later = factory.Make(Snapshot(property), *manager, ID(0), ID(0));
    std::thread([&] { later->Close(); }).join();
    EXPECT_EQ(later->Run(), Result::Cancel);
}

// No sound device in the tests; the events here have no voice to play anyway.
class SilentSound : public MachineEvent::SoundOutput {
public:
    bool Play(const std::shared_ptr<const MachineEvent::WaveBytes>&) override { return false; }
    bool IsPlaying() override { return false; }
    void Stop() override {}
};

class PopupManagerTest : public PopupWindowTest {
protected:
    bool EventRead()
    {
        std::lock_guard lock(*manager);
        return manager->GetDB().GetEntry(ID(0)).ReadEventLog().GetEvent(ID(0)).GetRead();
    }
    SilentSound sound;
};

TEST_F(PopupManagerTest, ClosingThePopupWithOKMarksTheEventRead)
{
    const auto scan = PublishScan();
    MakeEntry({scan}, 1);
    MachineEvent::PopupEventManager popups(*manager, factory, sound, {50, 10, 5});
    popups.start();
    popups.Notify(ID(0), ID(0));
    UI::PopupEventDlg* window = WaitForPopup();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(EventRead());
    ControlOf<QPushButton>(*window, C::Close)->click();
    EXPECT_TRUE(WaitUntil([&] { return EventRead(); }, 5s));
    popups.stop();
}

TEST_F(PopupManagerTest, StoppingTheManagerOnTheGuiThreadClosesTheShownPopup)
{
    const auto property = MakeProperty(boost::none, boost::none);
    MakeEntry({property}, 1);
    MachineEvent::PopupEventManager popups(*manager, factory, sound, {50, 10, 5});
    popups.start();
    popups.Notify(ID(0), ID(0));
    QPointer<UI::PopupEventDlg> window = WaitForPopup();
    ASSERT_FALSE(window.isNull());
    // As at shutdown: the GUI thread stops the manager and waits for its thread.
    popups.stop();
    EXPECT_TRUE(EventRead());  // a close request ends a shown popup with OK
    EXPECT_TRUE(WaitUntil([&] { return window.isNull() || !window->isVisible(); }, 5s));
}

}  // namespace
}  // namespace EventWindowsTest
