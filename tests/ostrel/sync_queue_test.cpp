#include <ostrel/thread/sync_queue.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(SyncQueue, ItemsComeOutInTheOrderTheyWentIn)
{
    ostrel::sync_queue<int> queue(10);
    for (int i = 0; i < 5; ++i) queue.push(i);
    EXPECT_TRUE(queue.try_push(5));
    for (int i = 0; i <= 5; ++i) {
        int item = -1;
        queue.pop(item);
        EXPECT_EQ(item, i);
    }
}

TEST(SyncQueue, PushOnFullQueueWaitsForPop)
{
    ostrel::sync_queue<int> queue(1);
    queue.push(1);
    std::atomic<bool> pushed{false};
    auto producer = std::async(std::launch::async, [&] {
        queue.push(2);
        pushed = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(pushed);
    int item = 0;
    queue.pop(item);
    EXPECT_EQ(item, 1);
    producer.get();
    EXPECT_TRUE(pushed);
    queue.pop(item);
    EXPECT_EQ(item, 2);
}

TEST(SyncQueue, TryPushOnFullQueueChangesNothing)
{
    ostrel::sync_queue<int> queue(2);
    queue.push(1);
    queue.push(2);
    EXPECT_FALSE(queue.try_push(3));
    EXPECT_EQ(queue.size(), 2u);
    int item = 0;
    queue.pop(item);
    EXPECT_EQ(item, 1);
}

TEST(SyncQueue, DisableWakesEveryBlockedThread)
{
    ostrel::sync_queue<int> full(1);
    full.push(0);
    ostrel::sync_queue<int> empty(1);
    auto blockedPush = std::async(std::launch::async, [&] { full.push(1); });
    auto blockedPop = std::async(std::launch::async, [&] {
        int item;
        empty.pop(item);
    });
    auto blockedTimedPop = std::async(std::launch::async, [&] {
        int item;
        return empty.pop(item, 60000);
    });
    std::this_thread::sleep_for(100ms);
    full.disable();
    empty.disable();
    EXPECT_THROW(blockedPush.get(), ostrel::sync_queue_disabled);
    EXPECT_THROW(blockedPop.get(), ostrel::sync_queue_disabled);
    EXPECT_THROW(blockedTimedPop.get(), ostrel::sync_queue_disabled);
}

TEST(SyncQueue, DisabledQueueRefusesEveryOperationEvenWithItemsLeft)
{
    ostrel::sync_queue<int> queue(4);
    queue.push(1);
    queue.disable();
    int item = 0;
    EXPECT_THROW(queue.push(2), ostrel::sync_queue_disabled);
    EXPECT_THROW(queue.try_push(2), ostrel::sync_queue_disabled);
    EXPECT_THROW(queue.pop(item), ostrel::sync_queue_disabled);
    EXPECT_THROW(queue.pop(item, 10), ostrel::sync_queue_disabled);
    queue.enable();
    queue.pop(item);
    EXPECT_EQ(item, 1);
}

TEST(SyncQueue, TimedPopTimesOutOnEmptyQueueAndTakesLateItemsAtOnce)
{
    ostrel::sync_queue<int> queue(4);
    int item = 0;
    auto start = Clock::now();
    EXPECT_FALSE(queue.pop(item, 300));
    EXPECT_GE(Clock::now() - start, 295ms);

    auto producer = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(50ms);
        queue.push(7);
    });
    start = Clock::now();
    EXPECT_TRUE(queue.pop(item, 5000));
    EXPECT_EQ(item, 7);
    EXPECT_LT(Clock::now() - start, 4000ms);  // woken by the push, not by the limit
}
