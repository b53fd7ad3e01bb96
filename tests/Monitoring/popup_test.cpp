// The popup event manager with a recording popup factory and sound output: what is
// shown, what is spoken, what is marked read, what is dropped.

#include "Fakes.hpp"

#include "Monitoring/DetectedEventManager.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "RSS/RSSFeed.hpp"

#include "QuillhavenSim/Machine.hpp"

#include <gtest/gtest.h>

using MachineEvent::DetectedEvent;
using MachineEvent::DetectedEventManager;
using MachineEvent::PopupEventManager;
using MachineEvent::PopupResult;

namespace {

class Popups : public ::testing::Test {
protected:
    Popups()
    {
        machine.AddUser("alice", "secret", "Alice");
        MachineEvent::GetNoticeFlags().Reset();
    }

    ID Entry(const Fakes::EntrySettings& settings)
    {
        return Fakes::AddEntry(manager, L"127.0.0.1", machine.HttpPort(), settings);
    }

    /// Logs `count` scans published on the machine, as the monitors would; their
    /// properties carry the machine's voice addresses.
    std::vector<ID> LogScans(const ID& entry, int count, const std::wstring& notice = L"")
    {
        for (int i = 0; i < count; ++i) machine.PublishScan("alice");
        QuillhavenServer server(Fakes::PropertyOf(manager, entry).GetMFP());
        const auto user = Fakes::PropertyOf(manager, entry).GetUser();
        const auto feed = server.GetRSSFeed(user, server.SubscribeToRSSFeed(1, user, HTTP::Timeout{3000, 0, 3000, 3000}));
        std::vector<MachineEvent::DetectedEventPointer> batch;
        for (auto item : feed->GetItemList()) {
            if (!notice.empty()) item.categorynotice = std::string(notice.begin(), notice.end());
            batch.push_back(std::make_shared<const DetectedEvent>(entry, QH::ToEventProperty(item)));
        }
        std::vector<ID> ids;
        const auto before = Fakes::Log(manager, entry).GetNextID().GetValue();
        DetectedEventManager::LogBatch(manager, batch);
        for (long id = before; id < Fakes::Log(manager, entry).GetNextID().GetValue(); ++id) ids.emplace_back(id);
        return ids;
    }

    ID LogOne(const ID& entry, const MonitoredEntry::EventProperty& property)
    {
        const auto before = Fakes::Log(manager, entry).GetNextID();
        DetectedEventManager::LogBatch(manager, {std::make_shared<const DetectedEvent>(entry, property)});
        return before;
    }

    bool Read(const ID& entry, const ID& event) { return Fakes::Log(manager, entry).GetEvent(event).GetRead(); }

    Fakes::ScopedLimits limits;
    QuillhavenSim::Machine machine;
    MonitoredEntry::EntryManager manager;
    Fakes::FakePopups popups;
    Fakes::RecordingSound sound{10000};  // a long voice: only a stop ends it early
    PopupEventManager::Timing quick{20, 10, 601};
};

TEST_F(Popups, ConfirmingAPopupMarksTheEventReadAndStopsItsVoice)
{
    const ID entry = Entry({});
    const ID event = LogScans(entry, 1).at(0);
    PopupEventManager popup(manager, popups, sound, quick);
    popup.start();
    popup.Notify(entry, event);

    ASSERT_TRUE(Fakes::WaitFor([&] { return Read(entry, event); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return sound.Stops() == 1; }));
    const auto made = popups.MadeSoFar();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].entryID, entry);
    EXPECT_EQ(made[0].eventID, event);
    EXPECT_TRUE(made[0].thumbnailLoaded);
    EXPECT_EQ(made[0].snapshot->GetEvent().GetID(), event);
    EXPECT_EQ(made[0].snapshot->GetMFP().GetHost(), L"127.0.0.1");
    EXPECT_EQ(made[0].snapshot->GetUser().GetID(), L"alice");
    ASSERT_EQ(sound.Played().size(), 1u);
    EXPECT_EQ(std::string(sound.Played()[0].data(), 4), "RIFF");
    popup.stop();
}

TEST_F(Popups, AVoiceStillPlayingWhenTheWaitEndsIsStopped)
{
    const ID entry = Entry({});
    const ID event = LogScans(entry, 1).at(0);
    popups.Script({PopupResult::Cancel});
    PopupEventManager popup(manager, popups, sound, {20, 10, 5});  // the wait ends after five polls
    popup.start();
    popup.Notify(entry, event);
    ASSERT_TRUE(Fakes::WaitFor([&] { return sound.Stops() == 1; }, 3000));
    EXPECT_FALSE(sound.IsPlaying());
    EXPECT_FALSE(Read(entry, event));  // closed without OK
    popup.stop();
}

TEST_F(Popups, LeavingAPopupForTheEventLogDropsTheWaitingOnes)
{
    const ID entry = Entry({.noticeVoice = false});
    const auto events = LogScans(entry, 4);
    PopupEventManager popup(manager, popups, sound, quick);
    popups.Hold();
    popups.Script({PopupResult::EventLog});
    popup.start();
    for (const ID& event : events) popup.Notify(entry, event);

    ASSERT_TRUE(Fakes::WaitFor([&] { return popups.Showing(); }));
    EXPECT_EQ(popup.Pending(), 3u);
    popups.Release();
    ASSERT_TRUE(Fakes::WaitFor([&] { return popup.Pending() == 0 && !popups.Showing(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(popups.MadeSoFar().size(), 1u);
    for (const ID& event : events) EXPECT_FALSE(Read(entry, event));
    EXPECT_TRUE(sound.Played().empty());
    popup.stop();
}

TEST_F(Popups, OnlyTheNewestPairsUpToTheQueueSizeWait)
{
    limits.values.detectedEventQueueSize = 3;
    limits.Apply();
    const ID entry = Entry({.noticeVoice = false});
    const auto events = LogScans(entry, 7);
    PopupEventManager popup(manager, popups, sound, quick);
    popups.Hold();
    popup.start();
    popup.Notify(entry, events[0]);
    ASSERT_TRUE(Fakes::WaitFor([&] { return popups.Showing(); }));
    for (int i = 1; i < 7; ++i) popup.Notify(entry, events[i]);
    EXPECT_EQ(popup.Pending(), 3u);
    popups.Release();
    ASSERT_TRUE(Fakes::WaitFor([&] { return popups.MadeSoFar().size() == 4 && !popups.Showing(); }));
    std::vector<ID> shown;
    for (const auto& made : popups.MadeSoFar()) shown.push_back(made.eventID);
    EXPECT_EQ(shown, (std::vector<ID>{events[0], events[4], events[5], events[6]}));
    popup.stop();
}

struct VoiceCase {
    const char* name;
    std::wstring notice;  // Categorynotice of the scan
    bool popup, voice;     // expected
};

class PopupVoice : public Popups, public ::testing::WithParamInterface<VoiceCase> {};

TEST_P(PopupVoice, WithNoticeOffOnlyTheVoiceBitsSpeak)
{
    const VoiceCase& c = GetParam();
    const ID entry = Entry({.notice = false, .noticeVoice = true, .notifyDisplay = 1});
    Fakes::RecordingSound shortSound(20);
    PopupEventManager popup(manager, popups, shortSound, quick);
    popup.start();
    const ID event = LogScans(entry, 1, c.notice).at(0);
    popup.Notify(entry, event);
    if (c.voice) ASSERT_TRUE(Fakes::WaitFor([&] { return shortSound.Played().size() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(popups.MadeSoFar().size(), c.popup ? 1u : 0u);
    EXPECT_EQ(shortSound.Played().size(), c.voice ? 1u : 0u);
    EXPECT_FALSE(Read(entry, event));
    popup.stop();
}

INSTANTIATE_TEST_SUITE_P(Bits, PopupVoice,
                         ::testing::Values(VoiceCase{"PopupBitOnly", L"1", false, false},
                                           VoiceCase{"Bit2", L"2", false, true},
                                           VoiceCase{"Bit4", L"4", false, true}),
                         [](const auto& info) { return info.param.name; });

struct NoticeCase {
    const char* name;
    int notifyDisplay;
    std::wstring status;
    bool armed;
};

class DueDateNotice : public Popups, public ::testing::WithParamInterface<NoticeCase> {};

TEST_P(DueDateNotice, IsMarkedReadWithoutPopupAndArmsTheDisplayWhenOverdue)
{
    const NoticeCase& c = GetParam();
    const ID entry = Entry({.notifyDisplay = c.notifyDisplay});
    const ID event = LogOne(entry, Fakes::Property("n1", L"3", std::wstring(L"1"), c.status, std::wstring(L"http://127.0.0.1:1/v.wav")));
    PopupEventManager popup(manager, popups, sound, quick);
    popup.start();
    popup.Notify(entry, event);
    ASSERT_TRUE(Fakes::WaitFor([&] { return Read(entry, event); }));
    EXPECT_TRUE(popups.MadeSoFar().empty());
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(MachineEvent::GetNoticeFlags().noticeRequested.load(), c.armed);
    EXPECT_EQ(MachineEvent::GetNoticeFlags().overduePending.load(), c.armed);
    popup.stop();
}

INSTANTIATE_TEST_SUITE_P(Display, DueDateNotice,
                         ::testing::Values(NoticeCase{"OverdueAtEachTime", 2, L"2", true},
                                           NoticeCase{"ActiveAtEachTime", 2, L"0", false},
                                           NoticeCase{"OverdueOnceADay", 1, L"2", false}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Popups, StopClosesTheOpenPopup)
{
    const ID entry = Entry({});
    const ID event = LogScans(entry, 1).at(0);
    PopupEventManager popup(manager, popups, sound, quick);
    popups.Hold();
    popup.start();
    popup.Notify(entry, event);
    ASSERT_TRUE(Fakes::WaitFor([&] { return popups.Showing(); }));
    popup.stop();
    EXPECT_FALSE(popup.running());
    ASSERT_EQ(popups.MadeSoFar().size(), 1u);
    EXPECT_TRUE(popups.MadeSoFar()[0].closedByRequest);
    EXPECT_FALSE(Read(entry, event));
    EXPECT_FALSE(sound.IsPlaying());  // the voice went with the program
    popup.Notify(entry, event);
    EXPECT_EQ(popup.Pending(), 0u);
}

TEST_F(Popups, EventsThatAreGoneOrAlreadyReadAreSkipped)
{
    const ID entry = Entry({.noticeVoice = false});
    const auto events = LogScans(entry, 2);
    PopupEventManager::MarkRead(manager, entry, events[0]);
    PopupEventManager::MarkRead(manager, entry, events[1]);
    EXPECT_EQ(PopupEventManager::LookUp(manager, entry, events[0]), nullptr);  // no unread event at all
    EXPECT_EQ(PopupEventManager::LookUp(manager, ID(99), events[0]), nullptr);
    const ID fresh = LogScans(entry, 1).at(0);
    EXPECT_NE(PopupEventManager::LookUp(manager, entry, fresh), nullptr);
    EXPECT_EQ(PopupEventManager::LookUp(manager, entry, ID(1234)), nullptr);
    Fakes::ChangeEntry(manager, entry, [](MonitoredEntry::EntryProperty& p) {
        auto config = p.GetConfig();
        config.SetNotice(false);
        config.SetNoticeVoice(false);
        config.SetNotifyDisplay(0);
        p.SetConfig(config);
    });
    EXPECT_EQ(PopupEventManager::LookUp(manager, entry, fresh), nullptr);
}

}  // namespace
