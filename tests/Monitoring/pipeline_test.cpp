// The detected-event manager: batching by the quiet window, logging in one
// transaction, and the selection of the events to announce.

#include "Fakes.hpp"

#include "Monitoring/DetectedEventManager.hpp"

#include <gtest/gtest.h>

#include <thread>

using MachineEvent::DetectedEvent;
using MachineEvent::DetectedEventManager;
using MachineEvent::DetectedEventPointer;
using MachineEvent::DetectedEventQueue;

namespace {

DetectedEventPointer Detected(const ID& entry, const std::string& guid, const std::wstring& notice = L"0")
{
    return std::make_shared<const DetectedEvent>(entry, Fakes::Property(guid, notice));
}

class RecordingNotifiable : public MachineEvent::NotifiableEventManager {
public:
    void Notify(const ID& entryID, const ID& eventID) override
    {
        std::lock_guard lock(mutex);
        pairs.emplace_back(entryID, eventID);
    }
    std::vector<std::pair<ID, ID>> Pairs()
    {
        std::lock_guard lock(mutex);
        return pairs;
    }
    std::mutex mutex;
    std::vector<std::pair<ID, ID>> pairs;
};

class Pipeline : public ::testing::Test {
protected:
    Fakes::ScopedLimits limits;
    MonitoredEntry::EntryManager manager;
    DetectedEventQueue queue{200};
};

TEST_F(Pipeline, ItemsCloserThanTheQuietWindowFormOneBatchAndFartherOnesSeparateBatches)
{
    const ID id = Fakes::AddEntry(manager, L"127.0.0.1", 80);
    DetectedEventManager detected(manager, queue);
    detected.start();

    // Ten items 100 ms apart: nothing is logged before the last one has been quiet.
    for (int i = 0; i < 10; ++i) {
        queue.push(Detected(id, "a" + std::to_string(i)));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (i < 9) {
            EXPECT_EQ(Fakes::Log(manager, id).GetEventList().size(), 0u) << "after item " << i;
        }
    }
    ASSERT_TRUE(Fakes::WaitFor([&] { return Fakes::Log(manager, id).GetEventList().size() == 10; }));

    // Items 500 ms apart: each is logged on its own.
    for (int i = 0; i < 3; ++i) {
        queue.push(Detected(id, "b" + std::to_string(i)));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(Fakes::Log(manager, id).GetEventList().size(), 11u + i);
    }
    detected.stop();
}

TEST_F(Pipeline, StopEndsTheWaitPromptly)
{
    DetectedEventManager detected(manager, queue);
    detected.start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto before = std::chrono::steady_clock::now();
    detected.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(detected.running());
}

struct SelectionCase {
    const char* name;
    std::vector<std::wstring> notices;
    bool notice, noticeVoice;
    int notifyDisplay;
    std::vector<int> forwarded;  // indices of the batch
};

class Selection : public Pipeline, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, FollowsTheNoticeBitsAndTheEntrySettings)
{
    const SelectionCase& c = GetParam();
    Fakes::EntrySettings settings;
    settings.notice = c.notice;
    settings.noticeVoice = c.noticeVoice;
    settings.notifyDisplay = c.notifyDisplay;
    const ID id = Fakes::AddEntry(manager, L"127.0.0.1", 80, settings);

    std::vector<DetectedEventPointer> batch;
    for (std::size_t i = 0; i < c.notices.size(); ++i) batch.push_back(Detected(id, "g" + std::to_string(i), c.notices[i]));
    const auto selected = DetectedEventManager::LogBatch(manager, batch);

    std::vector<int> indices;
    for (const auto& [entry, event] : selected) {
        EXPECT_EQ(entry, id);
        indices.push_back(int(event.GetValue()));  // event IDs count from 0 in a new log
    }
    EXPECT_EQ(indices, c.forwarded);
    EXPECT_EQ(Fakes::Log(manager, id).GetEventList().size(), c.notices.size());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Selection,
    ::testing::Values(
        SelectionCase{"Bit4OnlyTheFirstOfTheBatch", {L"4", L"4", L"4"}, false, false, 0, {0}},
        SelectionCase{"Bit2Every", {L"2", L"2", L"2"}, false, false, 0, {0, 1, 2}},
        SelectionCase{"Bit1WithNoticeOn", {L"1", L"0"}, true, true, 0, {0}},
        SelectionCase{"Bit1WithBothOff", {L"1"}, false, false, 0, {0}},
        SelectionCase{"Bit1WithOnlyVoiceOn", {L"1"}, false, true, 0, {}},
        SelectionCase{"NotifyDisplayForwardsAll", {L"0", L"1", L"4", L"4"}, false, true, 1, {0, 1, 2, 3}},
        SelectionCase{"Bit1TakenFirstLeavesBit4MarkFree", {L"5", L"4", L"4"}, true, false, 0, {0, 1}},
        SelectionCase{"LeadingDigitsOnly", {L"2x", L"x2", L""}, false, false, 0, {0}},
        SelectionCase{"OutOfRangeIsLargest", {L"99999999999999999999"}, false, false, 0, {0}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Pipeline, BatchSkipsDuplicatesAndRemovedEntriesAndLogsTheRestInOrder)
{
    const ID kept = Fakes::AddEntry(manager, L"127.0.0.1", 80, {.notifyDisplay = 1});
    const ID removed = Fakes::AddEntry(manager, L"127.0.0.2", 80);
    {
        MonitoredEntry::EntryManager::Transaction transaction(manager);
        transaction.Erase(removed);
        transaction.Commit();
    }
    DetectedEventManager::LogBatch(manager, {Detected(kept, "old")});

    const auto selected = DetectedEventManager::LogBatch(
        manager, {Detected(kept, "old"), Detected(kept, "n1"), Detected(removed, "x"), Detected(kept, "n1"),
                  Detected(kept, "n2")});
    const auto log = Fakes::Log(manager, kept);
    ASSERT_EQ(log.GetEventList().size(), 3u);
    EXPECT_EQ(log.GetEventList()[1].GetProperty().GetDocID(), std::wstring(L"n1"));
    EXPECT_EQ(log.GetEventList()[2].GetProperty().GetDocID(), std::wstring(L"n2"));
    EXPECT_EQ(selected, (DetectedEventManager::Selection{{kept, ID(1)}, {kept, ID(2)}}));
}

TEST_F(Pipeline, AFloodOfItemsIsLoggedCompletelyInOrderAndTrimmedToTheLogCapacity)
{
    const ID a = Fakes::AddEntry(manager, L"127.0.0.1", 80, {.notifyDisplay = 1, .logMax = 200});
    const ID b = Fakes::AddEntry(manager, L"127.0.0.2", 80, {.notifyDisplay = 1, .logMax = 5000});
    RecordingNotifiable notified;
    DetectedEventManager detected(manager, queue);
    detected.SetObserver(&notified);
    detected.start();

    // Two producers push far more than the queue holds; they wait for room, nothing is lost.
    constexpr int items = 5000;
    auto produce = [&](const ID& id) {
        for (int i = 0; i < items; ++i) queue.push(Detected(id, "f" + std::to_string(i)));
    };
    std::thread first(produce, a), second(produce, b);
    first.join();
    second.join();

    ASSERT_TRUE(Fakes::WaitFor([&] { return Fakes::Log(manager, b).GetNextID().GetValue() == items; }, 60000));
    ASSERT_TRUE(Fakes::WaitFor([&] { return Fakes::Log(manager, a).GetNextID().GetValue() == items; }, 60000));
    const auto logA = Fakes::Log(manager, a);
    const auto logB = Fakes::Log(manager, b);
    ASSERT_EQ(logA.GetEventList().size(), 200u);
    ASSERT_EQ(logB.GetEventList().size(), std::size_t(items));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(logA.GetEventList()[i].GetProperty().GetDocID(), L"f" + std::to_wstring(items - 200 + i));
    for (int i = 0; i < items; ++i)
        ASSERT_EQ(logB.GetEventList()[i].GetProperty().GetDocID(), L"f" + std::to_wstring(i));

    // Everything of b was announced, in order; of a at least what its log still holds.
    auto count = [&](const ID& id) {
        std::size_t n = 0;
        for (const auto& pair : notified.Pairs()) n += pair.first == id;
        return n;
    };
    ASSERT_TRUE(Fakes::WaitFor([&] { return count(b) == std::size_t(items) && count(a) >= 200; }));
    long previous = -1;
    for (const auto& pair : notified.Pairs())
        if (pair.first == b) {
            EXPECT_EQ(pair.second.GetValue(), previous + 1);
            previous = pair.second.GetValue();
        }
    detected.ClearObserver();
    detected.stop();
}

}  // namespace
