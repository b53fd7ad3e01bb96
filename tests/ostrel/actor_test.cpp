#include <ostrel/thread/actor.hpp>
#include <ostrel/thread/sync_queue.hpp>
#include <ostrel/thread/worker.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Sleeps until interrupted; counts its runs and hook calls.
class SleepyActor : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    ~SleepyActor() override { stop(); }
    std::atomic<int> runs{0}, starts{0}, interrupts{0};
    std::thread::id startThread;

protected:
    void on_start() override
    {
        ++starts;
        startThread = std::this_thread::get_id();
    }
    void on_interrupt() override { ++interrupts; }
    int run() override
    {
        ++runs;
        try {
            boost::this_thread::sleep_for(boost::chrono::seconds(60));
        } catch (const boost::thread_interrupted&) {
            return 42;
        }
        return 0;
    }
};

TEST(Actor, StartTwiceLaunchesOneThreadAndStopReturnsTheExitCode)
{
    SleepyActor actor;
    actor.start();
    actor.start();
    EXPECT_TRUE(actor.running());
    EXPECT_EQ(actor.starts, 1);
    EXPECT_EQ(actor.startThread, std::this_thread::get_id());  // on_start runs in the caller
    actor.stop();
    EXPECT_FALSE(actor.running());
    EXPECT_EQ(actor.runs, 1);
    EXPECT_EQ(actor.exit_code(), 42);
    EXPECT_NO_THROW(actor.rethrow());
}

TEST(Actor, StopOnNeverStartedActorReturnsAtOnce)
{
    SleepyActor actor;
    const auto start = std::chrono::steady_clock::now();
    actor.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(actor.interrupts, 0);
}

TEST(Actor, InterruptTwiceCallsTheHookOnceAndRestartClearsTheRequest)
{
    SleepyActor actor;
    actor.start();
    actor.interrupt();
    actor.interrupt();
    EXPECT_EQ(actor.interrupts, 1);
    actor.stop();
    EXPECT_EQ(actor.interrupts, 1);
    actor.start();
    EXPECT_FALSE(actor.interruption_requested());
    actor.stop();
    EXPECT_EQ(actor.runs, 2);
    EXPECT_EQ(actor.interrupts, 2);
}

class ThrowingActor : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    ~ThrowingActor() override { stop(); }
    bool fail = true;

protected:
    int run() override
    {
        if (fail) throw std::out_of_range("boom");
        return 1;
    }
};

TEST(Actor, ExceptionIsStoredUntilTheNextStart)
{
    ThrowingActor actor;
    actor.start();
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(actor.running());  // a dead thread stays started until stopped
    actor.stop();
    EXPECT_THROW(actor.rethrow(), std::out_of_range);
    actor.fail = false;
    actor.start();
    actor.stop();
    EXPECT_NO_THROW(actor.rethrow());
    EXPECT_EQ(actor.exit_code(), 1);
}

// The UI-thread policy never interrupts the thread: it polls the request.
class PollingActor : public ostrel::actor<ostrel::ui_thread_actor_impl> {
public:
    ~PollingActor() override { stop(); }
    std::atomic<int> polls{0};

protected:
    int run() override
    {
        while (!interruption_requested()) {
            ++polls;
            std::this_thread::sleep_for(5ms);
        }
        return 7;
    }
};

TEST(Actor, UiThreadPolicyEndsWhenTheThreadSeesTheRequest)
{
    PollingActor actor;
    actor.start();
    std::this_thread::sleep_for(30ms);
    actor.stop();
    EXPECT_FALSE(actor.running());
    EXPECT_GT(actor.polls, 0);
    EXPECT_EQ(actor.exit_code(), 7);
}

TEST(Worker, HandsEveryItemToTheHandlerAndStopsWhenTheQueueIsDisabled)
{
    ostrel::sync_queue<int> queue(4);
    std::mutex mutex;
    std::vector<int> handled;
    ostrel::worker<ostrel::sync_queue<int>, int> worker(queue, [&](const int& item) {
        std::lock_guard lock(mutex);
        handled.push_back(item);
    });
    worker.start();
    for (int i = 0; i < 20; ++i) queue.push(i);
    for (int wait = 0; wait < 200; ++wait) {
        {
            std::lock_guard lock(mutex);
            if (handled.size() == 20) break;
        }
        std::this_thread::sleep_for(10ms);
    }
    queue.disable();
    worker.stop();
    EXPECT_EQ(worker.exit_code(), 0);
    {
        std::lock_guard lock(mutex);
        ASSERT_EQ(handled.size(), 20u);
        for (int i = 0; i < 20; ++i) EXPECT_EQ(handled[i], i);
    }

    queue.enable();
    worker.start();  // restartable
    queue.push(99);
    queue.disable();
    worker.stop();
}

}  // namespace
