// The monitoring engine against three simulated machines on 127.0.0.1.
//
// 1. Latency: the time from a machine sending its datagram (the start of publishing a
//    scan, which sends it) to the event being committed in the entry's log, over --events events spread
//    round-robin over three entries, one at a time with a pause between them. The
//    batching's quiet window of 300 ms is the floor.
// 2. Idle: the CPU time of the process over --idle seconds with the three entries
//    monitored, default intervals, no events.
//
//   build/bench/engine_bench [--events 200] [--idle 60] [--pause-ms 100]

#include "Application/Limits.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/Password.hpp"
#include "Monitoring/DetectedEventManager.hpp"
#include "Monitoring/EventMonitorManager.hpp"
#include "Monitoring/EventSignalReceiver.hpp"
#include "Monitoring/MachineMonitorManager.hpp"
#include "Utility/Text.hpp"

#include "QuillhavenSim/Machine.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

unsigned short FreeUdpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket(io, boost::asio::ip::udp::endpoint(boost::asio::ip::address_v4::any(), 0));
    return socket.local_endpoint().port();
}

/// Notes when each document first appears in a committed log.
class CommitWatch : public MonitoredEntry::EntryManager::Observer {
public:
    void OnEntryChanged(const MonitoredEntry::EntryManager& manager) override
    {
        const auto now = Clock::now();
        std::lock_guard entries(manager);
        std::lock_guard lock(mutex_);
        for (const auto& entry : manager.GetDB().GetEntryList())
            for (const auto& event : entry->ReadEventLog().GetEventList())
                if (const auto& doc = event.GetProperty().GetDocID())
                    committed_.emplace(std::make_pair(entry->GetID().GetValue(), *doc), now);
        changed_.notify_all();
    }

    bool WaitFor(const ID& entry, const std::wstring& doc, Clock::time_point& at, std::chrono::milliseconds limit)
    {
        const auto key = std::make_pair(entry.GetValue(), doc);
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, limit, [&] { return committed_.count(key) != 0; })) return false;
        at = committed_.at(key);
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::pair<long, std::wstring>, Clock::time_point> committed_;
};

int Option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

double Percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const std::size_t index = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

}  // namespace

int main(int argc, char** argv)
{
    const int events = Option(argc, argv, "--events", 200);
    const int idleSeconds = Option(argc, argv, "--idle", 60);
    const int pauseMs = Option(argc, argv, "--pause-ms", 100);

    Limits::Values limits = Limits::Current();
    limits.listenPort = FreeUdpPort();
    Limits::Set(limits);

    // Three machines, three entries; the hosts differ in spelling and all mean 127.0.0.1.
    const std::vector<std::wstring> hosts{L"127.0.0.1", L"localhost", L"LOCALHOST"};
    std::vector<std::unique_ptr<QuillhavenSim::Machine>> machines;
    MonitoredEntry::EntryManager manager;
    std::vector<ID> ids;
    for (const auto& host : hosts) {
        machines.push_back(std::make_unique<QuillhavenSim::Machine>());
        machines.back()->AddUser("alice", "secret", "Alice");
        const MonitoredEntry::MFP mfp(boost::none, host, int(machines.back()->HttpPort()), 443, false);
        const MonitoredEntry::User user(boost::none, L"alice", MonitoredEntry::Password(L"secret"));
        const MonitoredEntry::Config config(limits.eventLogMax, limits.checkIntervalMin, false, false, false, 10000,
                                            false, false, 0);
        MonitoredEntry::EntryManager::Transaction transaction(manager);
        ids.push_back(transaction.Append(MonitoredEntry::EntryProperty(true, mfp, user, config)));
        transaction.Commit();
    }

    MachineEvent::DetectedEventQueue queue(limits.detectedEventQueueSize);
    Monitor::EventSignalReceiver receiver(static_cast<unsigned short>(limits.listenPort));
    Monitor::EventMonitorManager monitors(manager, queue);
    Monitor::MachineMonitorManager machineMonitors(manager);
    MachineEvent::DetectedEventManager detected(manager, queue);
    CommitWatch watch;

    manager.AddObserver(&watch);
    receiver.AddObserver(&monitors);
    receiver.Start();
    manager.AddObserver(&monitors);
    manager.AddObserver(&machineMonitors);
    detected.start();

    // Wait for the three subscriptions and the first readings to settle.
    const auto settle = Clock::now() + std::chrono::seconds(10);
    auto subscribed = [&] {
        for (const auto& m : machines)
            if (m->Subscriptions().empty()) return false;
        return true;
    };
    while (!subscribed() && Clock::now() < settle) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!subscribed()) {
        std::fprintf(stderr, "engine_bench: the machines saw no subscription\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));

    std::mt19937 random(5);
    std::uniform_int_distribution<int> jitter(0, pauseMs);
    std::vector<double> latencies;
    int lost = 0;
    for (int i = 0; i < events; ++i) {
        auto& machine = *machines[i % machines.size()];
        // Publishing appends in memory and then sends the datagram: starting the clock
        // before it counts a few microseconds too many, never too few.
        const auto sent = Clock::now();
        const std::string code = machine.PublishScan("alice");
        Clock::time_point committed;
        if (watch.WaitFor(ids[i % ids.size()], Text::Widen(code), committed, std::chrono::seconds(10)))
            latencies.push_back(std::chrono::duration<double, std::milli>(committed - sent).count());
        else
            ++lost;
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs / 2 + jitter(random)));
    }

    if (!latencies.empty()) {
        std::printf("datagram -> committed event, %zu events on %zu entries (%d lost)\n", latencies.size(),
                    machines.size(), lost);
        std::printf("  median %.1f ms   p99 %.1f ms   min %.1f ms   max %.1f ms   (quiet window %ld ms)\n",
                    Percentile(latencies, 0.5), Percentile(latencies, 0.99),
                    *std::min_element(latencies.begin(), latencies.end()),
                    *std::max_element(latencies.begin(), latencies.end()),
                    MachineEvent::DetectedEventManager::quietWindowMs);
    }

    if (idleSeconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const double before = CpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const double used = CpuSeconds() - before;
        std::printf("idle: %.3f s CPU over %d s with %zu monitored entries (process total, machines included)\n", used,
                    idleSeconds, machines.size());
    }

    detected.stop();
    receiver.RemoveObserver(&monitors);
    receiver.Stop();
    machineMonitors.StopAll();
    manager.RemoveObserver(&machineMonitors);
    monitors.StopAll();
    manager.RemoveObserver(&monitors);
    manager.RemoveObserver(&watch);
    return lost == 0 ? 0 : 1;
}
