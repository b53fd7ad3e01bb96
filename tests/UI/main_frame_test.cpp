// The running instance as other instances reach it through its channel.

#include "Norvane/UI/InstanceChannel.hpp"
#include "QtApplication.hpp"
#include "Norvane/UI/MainFrame.hpp"
#include "System/InstanceLock.hpp"
#include "System/SystemError.hpp"

#include "TempDir.hpp"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <future>

namespace {


class RunningInstance : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApplication();
    }
    IsolatedEnvironment env;
    System::InstanceLock lock{"OsmarkNorvane4"};

    // Runs the event loop until `client` (on another thread) finishes.
    template <class Client>
    auto serve(Client client)
    {
        auto result = std::async(std::launch::async, client);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) QCoreApplication::exit(0);
        });
        poll.start(10);
        QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
        EXPECT_EQ(QCoreApplication::exec(), 0) << "the client did not finish";
        return result.get();
    }
};

TEST_F(RunningInstance, ActivateReachesTheRunningWindow)
{
    UI::MainFrame frame(lock);
    EXPECT_TRUE(lock.Held());
    int activations = 0;
    QObject::connect(&frame, &UI::MainFrame::Activated, [&] { ++activations; });
    EXPECT_TRUE(serve([] { return UI::InstanceChannel::Activate(); }));
    EXPECT_EQ(activations, 1);
    EXPECT_FALSE(frame.ShuttingDown());
    frame.Shutdown();
}

TEST_F(RunningInstance, CloseIsAnsweredOnlyAfterTheLockIsFree)
{
    UI::MainFrame frame(lock);
    std::string lockFile = lock.Path();
    const bool answered = serve([&] {
        const bool closed = UI::InstanceChannel::Close(10000);
        // The answer has arrived: another instance must be able to take the lock now.
        System::InstanceLock other("OsmarkNorvane4");
        return closed && other.TryTake();
    });
    EXPECT_TRUE(answered);
    EXPECT_TRUE(frame.ShuttingDown());
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(UI::InstanceChannel::Reachable(200));
}

TEST_F(RunningInstance, SecondMainFrameIsBusy)
{
    System::InstanceLock held("OsmarkNorvane4");
    ASSERT_TRUE(held.TryTake());
    EXPECT_THROW(UI::MainFrame frame(lock), ApplicationBusy);
    EXPECT_FALSE(lock.Held());
}

}  // namespace
