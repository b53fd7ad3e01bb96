#include "Fixtures.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EntryManager.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace MonitoredEntry;
using TestData::Property;
using namespace std::chrono_literals;

namespace {

// Counts its calls; can be made to block inside the call until released.
class RecordingObserver : public EntryManager::Observer {
public:
    void OnEntryChanged(const EntryManager& manager) override
    {
        std::unique_lock lock(mutex_);
        ++calls_;
        {
            std::lock_guard entries(manager);  // observers may take the entry lock
            lastCount_ = manager.GetDB().Count();
        }
        changed_.notify_all();
        changed_.wait(lock, [&] { return !blocking_; });
    }

    void Block()
    {
        std::lock_guard lock(mutex_);
        blocking_ = true;
    }
    void Release()
    {
        std::lock_guard lock(mutex_);
        blocking_ = false;
        changed_.notify_all();
    }
    bool WaitForCalls(int n, std::chrono::milliseconds limit = 5s)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return calls_ >= n; });
    }
    int Calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::size_t LastCount()
    {
        std::lock_guard lock(mutex_);
        return lastCount_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    std::size_t lastCount_ = 0;
    bool blocking_ = false;
};

TEST(Transaction, UncommittedChangesRollBackWithoutNotice)
{
    EntryManager manager;
    RecordingObserver observer;
    manager.AddObserver(&observer);
    ASSERT_TRUE(observer.WaitForCalls(1));  // the first notice of a new observer
    {
        EntryManager::Transaction t(manager);
        t.Append(Property(L"a"));
        t.Append(Property(L"b"));
        EXPECT_EQ(t.GetDB().Count(), 2u);
    }
    {
        std::lock_guard lock(manager);
        EXPECT_EQ(manager.GetDB().Count(), 0u);
        EXPECT_EQ(manager.GetDB().GetNextID(), ID(0));
    }
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(observer.Calls(), 1);
    manager.RemoveObserver(&observer);
}

TEST(Transaction, AFailedStepLeavesTheStoreAsItWas)
{
    EntryManager manager;
    {
        EntryManager::Transaction t(manager);
        t.Append(Property(L"a"));
        t.Commit();
    }
    try {
        EntryManager::Transaction t(manager);
        EXPECT_TRUE(t.Erase(ID(0)));
        t.Append(Property(L"b"));
        t.Append(Property(L"b"));  // duplicate host
        t.Commit();
    } catch (const DuplicateEntry&) {
    }
    std::lock_guard lock(manager);
    ASSERT_EQ(manager.GetDB().Count(), 1u);
    EXPECT_TRUE(manager.GetDB().Contains(ID(0)));
    EXPECT_EQ(manager.GetDB().GetNextID(), ID(1));
}

TEST(Transaction, NestedTransactionRollsBackToItsOwnStart)
{
    EntryManager manager;
    {
        EntryManager::Transaction outer(manager);
        outer.Append(Property(L"a"));
        {
            EntryManager::Transaction inner(manager);
            inner.Append(Property(L"b"));
        }
        EXPECT_EQ(outer.GetDB().Count(), 1u);
    }
    std::lock_guard lock(manager);
    EXPECT_EQ(manager.GetDB().Count(), 0u);
    EXPECT_EQ(manager.GetDB().GetNextID(), ID(0));
}

TEST(Transaction, EntryLimitComesBeforeTheDuplicateTest)
{
    TestData::LimitsGuard guard;
    Limits::Values limits = Limits::Current();
    limits.entryMax = 2;
    Limits::Set(limits);
    EntryManager manager;
    EntryManager::Transaction t(manager);
    t.Append(Property(L"a"));
    EXPECT_THROW(t.Append(Property(L"a", false)), DuplicateEntry);  // any entry on the host
    t.Append(Property(L"b"));
    EXPECT_THROW(t.Append(Property(L"a")), OverLimitEntryCount);
}

TEST(Transaction, SetEntryDuplicateRule)
{
    EntryManager manager;
    EntryManager::Transaction t(manager);
    t.Append(Property(L"a"));
    t.Append(Property(L"b"));
    auto moved = t.GetEntryCopy(ID(1));
    auto property = moved->GetProperty();
    auto mfp = property.GetMFP();
    mfp.SetHost(L"a");
    property.SetMFP(mfp);
    moved->SetProperty(property);
    EXPECT_THROW(t.SetEntry(moved), DuplicateEntry);
    property.SetMonitoring(false);  // an unmonitored entry never clashes
    moved->SetProperty(property);
    EXPECT_NO_THROW(t.SetEntry(moved));
    EXPECT_THROW(t.SetEntry(std::make_shared<Entry>(ID(9), Property(L"z"))), MissingEntry);
}

TEST(EntryManager, CommitsWhileAnObserverIsBlockedGiveExactlyOneFurtherCall)
{
    EntryManager manager;
    RecordingObserver observer;
    observer.Block();
    manager.AddObserver(&observer);
    ASSERT_TRUE(observer.WaitForCalls(1));  // now blocked inside the call
    for (int i = 0; i < 10; ++i) {
        EntryManager::Transaction t(manager);
        if (i == 9) t.Append(Property(L"last"));
        t.Commit();
    }
    observer.Release();
    ASSERT_TRUE(observer.WaitForCalls(2));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(observer.Calls(), 2);
    EXPECT_EQ(observer.LastCount(), 1u);  // the further call sees the final state
    manager.RemoveObserver(&observer);
}

TEST(EntryManager, ObserverRegistration)
{
    EntryManager manager;
    RecordingObserver observer;
    EXPECT_TRUE(manager.AddObserver(&observer));
    ASSERT_TRUE(observer.WaitForCalls(1));
    EXPECT_FALSE(manager.AddObserver(&observer));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(observer.Calls(), 1);  // the second registration queued nothing

    // Hold the worker in another observer's call, queue a request, then unregister.
    RecordingObserver blocker;
    blocker.Block();
    EXPECT_TRUE(manager.AddObserver(&blocker));
    ASSERT_TRUE(blocker.WaitForCalls(1));
    {
        EntryManager::Transaction t(manager);
        t.Commit();
    }
    std::thread remover([&] { EXPECT_TRUE(manager.RemoveObserver(&observer)); });
    std::this_thread::sleep_for(50ms);
    blocker.Release();
    remover.join();
    const int afterRemoval = observer.Calls();
    ASSERT_TRUE(blocker.WaitForCalls(2));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(observer.Calls(), afterRemoval);
    EXPECT_FALSE(manager.RemoveObserver(&observer));
    manager.RemoveObserver(&blocker);
}

TEST(EntryManager, SearchMonitoringAndCopies)
{
    EntryManager manager;
    {
        EntryManager::Transaction t(manager);
        t.Append(Property(L"a", true));
        t.Append(Property(L"b", false));
        t.Commit();
    }
    std::lock_guard lock(manager);
    const auto monitored = manager.SearchMonitoring();
    ASSERT_EQ(monitored->size(), 1u);
    EXPECT_EQ(monitored->begin()->GetID(), ID(0));
    EXPECT_THROW(manager.GetEntryCopy(ID(5)), MissingEntry);
    EXPECT_EQ(manager.GetEntryCopy(ID(1))->GetID(), ID(1));
}

}  // namespace
