// The real norvane4 and quillhaven-sim processes on 127.0.0.1, offscreen, with
// throwaway directories: what a person at the workstation would see happen.

#include "SimProcess.hpp"

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

class EndToEnd : public ::testing::Test {
protected:
    NotifierEnvironment notifier;
    int listenPort = FreeUdpPort();

    bool subscribed(const SimProcess& machine, int times = 1)
    {
        return WaitUntil([&] { return machine.Count("SUBSCRIBETOFEED -> 200 SUCCESS") >= times; }, 30s);
    }
};

TEST_F(EndToEnd, AScanAtTheMachineEndsUpInTheDataFile)
{
    SimProcess machine({"alice:secret:Alice", "bob:pw:Bob"}, notifier.env.root().path());
    notifier.Install(machine, "alice", "secret", listenPort);
    auto running = notifier.Start();
    ASSERT_TRUE(subscribed(machine)) << machine.Log();

    machine.Command("scan bob");
    machine.Command("scan alice pdf Contract");
    // The popup fetches the thumbnail of alice's document only.
    ASSERT_TRUE(WaitUntil([&] { return machine.Count("NVF=6&DC=0002&UN=alice") >= 1; }, 30s)) << machine.Log();

    EXPECT_EQ(notifier.Run({}), 11) << "a second start is refused";
    EXPECT_EQ(notifier.Run({"--uninstall"}), 0);
    EXPECT_EQ(running->Wait(30s), 0);
    EXPECT_EQ(machine.Count("UNSUBSCRIBETOFEED -> 200 SUCCESS"), 1);
    EXPECT_EQ(notifier.LoggedEvents(), 1);
}

TEST_F(EndToEnd, AMachineThatStopsAnsweringIsWatchedAgainWithoutLosingAnEvent)
{
    SimProcess machine({"alice:secret"}, notifier.env.root().path());
    notifier.Install(machine, "alice", "secret", listenPort);
    auto settings = ReadFile(notifier.settings());
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"RETRY_SUBSCRIBE_INTERVAL_MS = 300000", "RETRY_SUBSCRIBE_INTERVAL_MS = 300"},
             {"SUBSCRIBE_INTERVAL_MS = 1800000", "SUBSCRIBE_INTERVAL_MS = 1000"}})
        settings.replace(settings.find(from), from.size(), to);
    WriteFile(notifier.settings(), settings);

    auto running = notifier.Start();
    ASSERT_TRUE(subscribed(machine));

    // The machine fails every request for a while; a document arrives meanwhile.
    const int failures = 8;
    machine.Command("fault 500 " + std::to_string(failures));
    machine.Command("scan alice pdf During the outage");
    ASSERT_TRUE(WaitUntil([&] { return machine.Count("-> 500") >= failures; }, 30s)) << machine.Log();

    // Back again: the notifier subscribes anew and the next signal brings both documents.
    const int before = machine.Count("SUBSCRIBETOFEED -> 200 SUCCESS");
    ASSERT_TRUE(subscribed(machine, before + 1));
    machine.Command("scan alice pdf After the outage");
    ASSERT_TRUE(WaitUntil([&] { return machine.Count("NVF=6&DC=0002") >= 1; }, 30s)) << machine.Log();

    EXPECT_EQ(notifier.Run({"--uninstall"}), 0);
    EXPECT_EQ(running->Wait(30s), 0);
    EXPECT_EQ(notifier.LoggedEvents(), 2) << "the document of the outage was not lost";
}

TEST_F(EndToEnd, TerminationDuringABurstSavesWhatWasLoggedAndTheRestFollowsAtTheNextStart)
{
    SimProcess machine({"alice:secret"}, notifier.env.root().path());
    notifier.Install(machine, "alice", "secret", listenPort);
    auto running = notifier.Start();
    ASSERT_TRUE(subscribed(machine));

    const int burst = 12;
    for (int i = 0; i < burst; ++i) machine.Command("scan alice");
    running->Signal(SIGTERM);
    EXPECT_EQ(running->Wait(60s), 0);
    const int saved = notifier.LoggedEvents();
    EXPECT_GE(saved, 0) << "the data file loads";
    EXPECT_LE(saved, burst);

    // The next start reads the feed again: whatever the first run had not logged follows.
    int logged = saved;
    for (int attempt = 0; attempt < 20 && logged < burst; ++attempt) {
        auto again = notifier.Start();
        ASSERT_TRUE(subscribed(machine, 2 + attempt));
        std::this_thread::sleep_for(1000ms);
        EXPECT_EQ(notifier.Run({"--uninstall"}), 0);
        EXPECT_EQ(again->Wait(30s), 0);
        logged = notifier.LoggedEvents();
    }
    EXPECT_EQ(logged, burst) << "events were lost";
}

}  // namespace
