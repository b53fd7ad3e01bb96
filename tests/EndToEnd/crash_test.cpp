// norvane4 killed with SIGKILL at random moments while events arrive and the data file
// is saved every half second, 200 times: each next start must find a complete data file,
// the previous or the new one, never a damaged one.
//
//   ctest -L crash      (not part of the everyday test run)

#include "SimProcess.hpp"

#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <random>
#include <thread>

using namespace std::chrono_literals;

TEST(CrashTest, SigkillNeverLeavesADamagedDataFile)
{
    NotifierEnvironment notifier;
    SimProcess machine({"alice:secret"}, notifier.env.root().path());
    notifier.Install(machine, "alice", "secret", FreeUdpPort());

    std::atomic<bool> publishing{true};
    std::thread publisher;
    // A failed check returns early: the publisher still ends, and the failure is reported.
    struct StopPublishing {
        std::atomic<bool>& flag;
        std::thread& thread;
        ~StopPublishing()
        {
            flag = false;
            if (thread.joinable()) thread.join();
        }
    } stopPublishing{publishing, publisher};
    publisher = std::thread([&] {
        // Short bursts with pauses longer than the logger's quiet window, so that
        // batches are logged and saved all the time.
        while (publishing) {
            for (int i = 0; i < 3; ++i) machine.Command("scan alice");
            std::this_thread::sleep_for(400ms);
        }
    });

    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> lifetimeMs(50, 2500);
    int previous = notifier.LoggedEvents();
    ASSERT_EQ(previous, 0);
    const int rounds = 200;
    for (int round = 0; round < rounds; ++round) {
        auto running = notifier.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(lifetimeMs(random)));
        running->Signal(SIGKILL);
        ASSERT_TRUE(running->Wait(10s));
        const int logged = notifier.LoggedEvents();
        ASSERT_GE(logged, 0) << "round " << round << ": the data file does not load";
        ASSERT_GE(logged, previous) << "round " << round << ": the data file went back";
        previous = logged;
    }
    EXPECT_GT(previous, 0) << "no save ever completed";
    std::printf("%d kills; %d events in the last complete data file\n", rounds, previous);
}
