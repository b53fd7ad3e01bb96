// The popup: its place, the erase timer and the mouse, and the popup manager's side.

#include "EventWindowFixture.hpp"

#include "Norvane/UI/PopupEventDlg.hpp"
#include "Norvane/UI/PopupHost.hpp"

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

// The popup manager's thread: make, load the thumbnail, run and wait, while the GUI
// thread goes on.
class PopupHostTest : public PopupTest {
protected:
    std::future<UI::PopupHost::Result> RunOnWorker(UI::PopupHost& host, const MonitoredEntry::EventProperty& property)
    {
        auto snapshot = Snapshot(property);
        auto* entries = manager.get();
        return std::async(std::launch::async, [&host, snapshot, entries] {
            host.Make(snapshot, entries, ID(0), ID(0));
            host.LoadThumbnail();
            return host.Run();
        });
    }
    UI::PopupEventDlg* WaitForPopup(UI::PopupHost& host)
    {
        WaitUntil([&] { return host.Current() && host.Current()->isVisible(); }, 10s);
        return host.Current();
    }
};

TEST_F(PopupHostTest, ResultsComeBackToTheWaitingThread)
{
    const auto scan = PublishScan();
    EntrySettings settings;
    settings.eraseTime = 1000;
    MakeEntry({scan}, 1, settings);

    UI::PopupHost host;
    // Closed with its button: OK, and the thumbnail was loaded on the worker thread.
    auto result = RunOnWorker(host, scan);
    UI::PopupEventDlg* popup = WaitForPopup(host);
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->TimerActive());
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(popup, &move);
    EXPECT_EQ(ControlOf<QLabel>(*popup, C::Picture)->pixmap().size(), QSize(64, 48));
    ControlOf<QPushButton>(*popup, C::Close)->click();
    ASSERT_TRUE(WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_EQ(result.get(), UI::PopupHost::Result::OK);

    // Left alone: the erase timer ends it with Cancel.
    result = RunOnWorker(host, scan);
    ASSERT_TRUE(WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_EQ(result.get(), UI::PopupHost::Result::Cancel);

    // The event-log button.
    result = RunOnWorker(host, scan);
    popup = WaitForPopup(host);
    ASSERT_NE(popup, nullptr);
    ControlOf<QPushButton>(*popup, C::EventLog)->click();
    ASSERT_TRUE(WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_EQ(result.get(), UI::PopupHost::Result::LeftForLog);
}

TEST_F(PopupHostTest, CloseRequestFromAnotherThreadEndsTheShownPopupWithOK)
{
    const auto property = MakeProperty(boost::none, boost::none);
    MakeEntry({property}, 1);
    UI::PopupHost host;
    auto result = RunOnWorker(host, property);
    UI::PopupEventDlg* popup = WaitForPopup(host);
    ASSERT_NE(popup, nullptr);
    std::thread([&host] { host.RequestClose(); }).join();
    ASSERT_TRUE(WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_EQ(result.get(), UI::PopupHost::Result::OK);
    EXPECT_TRUE(WaitUntil([&] { return !popup->isVisible(); }, 2s));

    // Once the manager is stopping, a popup that was not shown yet is not shown at all.
    result = RunOnWorker(host, property);
    ASSERT_TRUE(WaitUntil([&] { return result.wait_for(0s) == std::future_status::ready; }, 5s));
    EXPECT_EQ(result.get(), UI::PopupHost::Result::Cancel);
}

TEST_F(PopupHostTest, CloseRequestDoesNotWaitForABusyGuiThread)
{
    const auto property = MakeProperty(boost::none, boost::none);
    MakeEntry({property}, 1);
    UI::PopupHost host;
    auto result = RunOnWorker(host, property);
    ASSERT_NE(WaitForPopup(host), nullptr);
    // The GUI thread itself stops the manager and waits for its thread, as at shutdown.
    host.RequestClose();
    EXPECT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), UI::PopupHost::Result::OK);
}

}  // namespace
}  // namespace EventWindowsTest
