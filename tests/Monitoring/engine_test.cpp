// The whole engine against the simulated machine on 127.0.0.1: subscriptions, signals,
// feed reads, logging, popups and voices, machine names.

#include "Fakes.hpp"

#include "Monitoring/DetectedEventManager.hpp"
#include "Monitoring/EventMonitorManager.hpp"
#include "Monitoring/EventSignalReceiver.hpp"
#include "Monitoring/HostAddresses.hpp"
#include "Monitoring/MachineMonitorManager.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "RSS/RSSFeed.hpp"
#include "Utility/Text.hpp"

#include "QuillhavenSim/Machine.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <gtest/gtest.h>

namespace {

int Count(const QuillhavenSim::Machine& machine, const std::string& command, const std::string& method = "POST")
{
    int n = 0;
    for (const auto& request : machine.Requests())
        if (request.method == method && (command.empty() || request.command == command)) ++n;
    return n;
}

int FeedReads(const QuillhavenSim::Machine& machine) { return Count(machine, "", "GET"); }

bool Subscribed(const QuillhavenSim::Machine& machine, int port)
{
    for (const auto& s : machine.Subscriptions())
        if (s.user == "alice" && s.listenPort == port) return true;
    return false;
}

/// The engine as the main window assembles it, with recording popups and sound.
class Engine : public ::testing::Test {
protected:
    Engine() { machine.AddUser("alice", "secret", "Alice"); }

    ~Engine() override
    {
        popup.stop();
        detected.ClearObserver();
        receiver.RemoveObserver(&events);
        receiver.Stop();
        machines.StopAll();
        manager.RemoveObserver(&machines);
        events.StopAll();
        manager.RemoveObserver(&events);
        detected.stop();
    }

    void Start(bool withMachineMonitors = false)
    {
        receiver.AddObserver(&events);
        receiver.Start();
        manager.AddObserver(&events);
        if (withMachineMonitors) manager.AddObserver(&machines);
        detected.SetObserver(&popup);
        popup.start();
        detected.start();
    }

    ID Entry(const Fakes::EntrySettings& settings = {}) { return Fakes::AddEntry(manager, L"127.0.0.1", machine.HttpPort(), settings); }
    int Port() const { return limits.values.listenPort; }
    std::size_t Logged(const ID& id) { return Fakes::Log(manager, id).GetEventList().size(); }
    std::pair<int, int> State(const ID& id)
    {
        const auto p = Fakes::PropertyOf(manager, id);
        return {p.GetSubscriptionState(), p.GetErrorFlag()};
    }

    Fakes::ScopedLimits limits;
    QuillhavenSim::Machine machine;
    MonitoredEntry::EntryManager manager;
    MachineEvent::DetectedEventQueue queue{200};
    Monitor::EventSignalReceiver receiver{static_cast<unsigned short>(limits.values.listenPort)};
    Monitor::EventMonitorManager events{manager, queue};
    Monitor::MachineMonitorManager machines{manager};
    Fakes::FakePopups popups;
    Fakes::RecordingSound sound{20};
    MachineEvent::DetectedEventManager detected{manager, queue};
    MachineEvent::PopupEventManager popup{manager, popups, sound, {20, 10, 601}};
};

TEST_F(Engine, TheRoadOfOneEvent)
{
    machine.PublishScan("alice");
    machine.PublishScan("alice");
    const ID id = Entry();  // interval of a minute: only the signal can bring the next read
    Start();

    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));
    // The first read of an entry without a stored feed logs every item.
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 2; }));
    EXPECT_EQ(State(id), std::make_pair(1, 0));

    const std::string code = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Pdf, "Quarterly report");
    ASSERT_FALSE(machine.Datagrams().empty());
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 3; }, 5000));

    const auto last = Fakes::Log(manager, id).GetEventList().back();
    EXPECT_EQ(last.GetProperty().GetDocID(), Text::Widen(code));
    EXPECT_EQ(last.GetProperty().GetInfo(), L"Quarterly report");
    {
        std::lock_guard lock(manager);
        const auto& feed = manager.GetDB().GetEntry(id).GetLatestRSSFeed();
        ASSERT_TRUE(feed);
        EXPECT_EQ(feed->GetItemList().size(), 3u);
    }

    // Every scan asks for a popup and a voice; the popups are confirmed one by one.
    ASSERT_TRUE(Fakes::WaitFor([&] { return popups.MadeSoFar().size() == 3; }));
    const auto made = popups.MadeSoFar().back();
    EXPECT_EQ(made.entryID, id);
    EXPECT_EQ(made.eventID, last.GetID());
    EXPECT_EQ(made.snapshot->GetProperty().GetDocID(), Text::Widen(code));
    EXPECT_EQ(made.snapshot->GetMFP().GetHost(), L"127.0.0.1");
    EXPECT_EQ(made.snapshot->GetUser().GetID(), L"alice");
    EXPECT_TRUE(made.thumbnailLoaded);
    ASSERT_TRUE(Fakes::WaitFor([&] { return sound.Played().size() == 3; }));
    EXPECT_EQ(std::string(sound.Played().back().data(), 4), "RIFF");
    ASSERT_TRUE(Fakes::WaitFor([&] { return Fakes::Log(manager, id).CountUnread() == 0; }));
}

TEST_F(Engine, SubscriptionsAreRenewedAndFailedOnesRetried)
{
    limits.values.subscribeIntervalMs = 300;
    limits.values.retrySubscribeIntervalMs = 200;
    limits.Apply();
    machine.InjectFault(QuillhavenSim::FaultKind::Busy, 2);
    const ID id = Entry();
    Start();

    ASSERT_TRUE(Fakes::WaitFor([&] { return State(id) == std::make_pair(2, 1); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return State(id) == std::make_pair(1, 0); }));
    EXPECT_GE(Count(machine, ""), 3);
    const int afterRetries = Count(machine, "");
    ASSERT_TRUE(Fakes::WaitFor([&] { return Count(machine, "") >= afterRetries + 3; }));
    EXPECT_EQ(State(id), std::make_pair(1, 0));
}

TEST_F(Engine, AChangeOfHostSubscribesAtOnceAndReads)
{
    QuillhavenSim::Machine other;
    other.AddUser("alice", "secret", "Alice");
    const ID id = Entry();
    Start();
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return FeedReads(machine) == 1; }));

    // Changing only the settings leads to no new subscription.
    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) {
        auto config = p.GetConfig();
        config.SetInterval(50000);
        p.SetConfig(config);
    });
    other.PublishScan("alice");
    Fakes::ChangeEntry(manager, id, [&](MonitoredEntry::EntryProperty& p) {
        p.SetMFP(MonitoredEntry::MFP(boost::none, L"localhost", int(other.HttpPort()), 443, false));
    });
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(other, Port()); }, 5000));
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 1; }, 5000));
    EXPECT_EQ(Count(machine, ""), 1);
}

TEST_F(Engine, AnUpdateRequestReadsTheFeedOfTheEntryWithThatHost)
{
    const ID id = Entry();
    Start();
    ASSERT_TRUE(Fakes::WaitFor([&] { return FeedReads(machine) == 1; }));
    MonitoredEntry::Distinction distinction;
    {
        std::lock_guard lock(manager);
        distinction = MonitoredEntry::Distinction(manager.GetDB().GetEntry(id));
    }
    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty&) {});  // no change of host: no read
    events.OnSignal(Monitor::UpdateSignal(distinction));
    ASSERT_TRUE(Fakes::WaitFor([&] { return FeedReads(machine) == 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(FeedReads(machine), 2);
}

TEST_F(Engine, SwitchingMonitoringOffUnsubscribesAndOnAgainSubscribes)
{
    const ID id = Entry();
    Start();
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));

    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) { p.SetMonitoring(false); });
    ASSERT_TRUE(Fakes::WaitFor([&] { return machine.Subscriptions().empty(); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return State(id) == std::make_pair(2, 0); }));
    EXPECT_EQ(events.GetMonitors().size(), 1u);  // the monitor stays

    // A signal while off reads nothing.
    const int reads = FeedReads(machine);
    machine.PublishScan("alice");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(FeedReads(machine), reads);

    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) { p.SetMonitoring(true); });
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 1; }));
}

TEST_F(Engine, RemovingAnEntryStopsItsMonitorsAndUnsubscribes)
{
    const ID id = Entry();
    Start(true);
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return machines.GetMonitors().size() == 1; }));
    {
        MonitoredEntry::EntryManager::Transaction transaction(manager);
        transaction.Erase(id);
        transaction.Commit();
    }
    ASSERT_TRUE(Fakes::WaitFor([&] { return events.GetMonitors().empty() && machines.GetMonitors().empty(); }));
    EXPECT_TRUE(machine.Subscriptions().empty());
    const auto requests = machine.Requests().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(machine.Requests().size(), requests);
}

TEST_F(Engine, TheMachineMonitorWritesTheReportedNamesAndClearsAnEmptyOne)
{
    limits.values.machineMonitorIntervalMs = 200;
    limits.Apply();
    machine.SetMachineName("MX-4051");
    const ID id = Entry();
    Start(true);
    ASSERT_TRUE(Fakes::WaitFor([&] {
        const auto p = Fakes::PropertyOf(manager, id);
        return p.GetMFP().GetName() == std::wstring(L"MX-4051") && p.GetUser().GetName() == std::wstring(L"Alice");
    }));
    machine.SetMachineName("");
    ASSERT_TRUE(Fakes::WaitFor([&] { return !Fakes::PropertyOf(manager, id).GetMFP().GetName(); }));
    EXPECT_EQ(Fakes::PropertyOf(manager, id).GetUser().GetName(), std::wstring(L"Alice"));

    // An unreachable machine leaves the names as they were.
    machine.SetMachineName("MX-4051");
    ASSERT_TRUE(Fakes::WaitFor([&] { return Fakes::PropertyOf(manager, id).GetMFP().GetName().has_value(); }));
    machine.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(Fakes::PropertyOf(manager, id).GetMFP().GetName(), std::wstring(L"MX-4051"));
}

TEST_F(Engine, AFloodOfDatagramsCostsAHandfulOfReadsAndAnUnresolvableHostSilencesNobody)
{
    // A second entry whose host resolves to nothing sees every datagram too.
    Fakes::AddEntry(manager, L"no-such-host.invalid", 80);
    const ID id = Entry();
    Start();
    ASSERT_TRUE(Fakes::WaitFor([&] { return Subscribed(machine, Port()); }));
    ASSERT_TRUE(Fakes::WaitFor([&] { return FeedReads(machine) == 1; }));

    boost::asio::io_context io;
    boost::asio::ip::udp::socket fromMachine(io, boost::asio::ip::udp::endpoint(boost::asio::ip::make_address("127.0.0.1"), 0));
    boost::asio::ip::udp::socket fromElsewhere(io, boost::asio::ip::udp::endpoint(boost::asio::ip::make_address("127.0.0.2"), 0));
    const boost::asio::ip::udp::endpoint target(boost::asio::ip::make_address("127.0.0.1"), receiver.Port());
    const auto resolutions = Monitor::HostAddresses::Shared().Resolutions();

    // Datagrams from an unknown address: no reading, few name lookups.
    for (int i = 0; i < 2000; ++i) fromElsewhere.send_to(boost::asio::buffer("x", 1), target);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(FeedReads(machine), 1);
    EXPECT_LE(Monitor::HostAddresses::Shared().Resolutions() - resolutions, 4u);

    // Ten thousand from the machine's address within a second.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10000; ++i) {
        fromMachine.send_to(boost::asio::buffer("QUILLHAVEN alice", 16), target);
        if (i % 100 == 99) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int reads = FeedReads(machine) - 1;
    EXPECT_GE(reads, 1);
    EXPECT_LE(reads, 30);

    // Still responsive: the next scan comes through.
    machine.PublishScan("alice");
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 1; }, 5000));
}

TEST_F(Engine, AMachineAnsweringGarbageShowsAnErrorAndIsReadAgain)
{
    const ID id = Entry({.interval = 200});
    Start();
    ASSERT_TRUE(Fakes::WaitFor([&] { return FeedReads(machine) >= 1 && State(id) == std::make_pair(1, 0); }));
    machine.InjectFault(QuillhavenSim::FaultKind::NonXml, 2);
    ASSERT_TRUE(Fakes::WaitFor([&] { return State(id).second == 1; }));
    machine.PublishScan("alice");
    ASSERT_TRUE(Fakes::WaitFor([&] { return Logged(id) == 1 && State(id) == std::make_pair(1, 0); }));
}

}  // namespace
