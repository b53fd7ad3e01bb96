// The whole program, measured:
//  1. from the machine's datagram to the popup being visible, over 50 events (the tray
//     program in this process, offscreen, against a simulated machine on 127.0.0.1);
//  2. the resident memory of a running norvane4 process with three monitored entries
//     after 100 events.
//
//   build/bench/tray_bench [--events 50] [--memory-events 100]

#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/MainFrame.hpp"
#include "Norvane/UI/PopupEventDlg.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "System/InstanceLock.hpp"

#include <QApplication>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/filesystem.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;
namespace fs = boost::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
    return fallback;
}

unsigned short freeUdpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
    return socket.local_endpoint().port();
}

template <class Condition>
bool spinUntil(Condition condition, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

UI::PopupEventDlg* visiblePopup()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* popup = qobject_cast<UI::PopupEventDlg*>(widget); popup && popup->isVisible()) return popup;
    return nullptr;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5))];
}

MonitoredEntry::EntryProperty entryFor(const std::wstring& host, int port)
{
    const MonitoredEntry::MFP mfp(boost::none, host, port, 443, false);
    const MonitoredEntry::User user(boost::none, L"alice", MonitoredEntry::Password(L"secret"));
    const MonitoredEntry::Config config(200, 1800000, true, false, false, 10000, false, true, 1);
    return MonitoredEntry::EntryProperty(true, mfp, user, config);
}

// A folder with data, runtime and temporary directories, set for this process and its children.
fs::path isolate()
{
    static const fs::path base = fs::temp_directory_path();
    const fs::path root = base / fs::unique_path("norvane-bench-%%%%%%");
    for (const char* sub : {"data", "runtime", "tmp"}) fs::create_directories(root / sub);
    fs::permissions(root / "runtime", fs::owner_all);
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
    return root;
}

void writeSettings(const fs::path& root, int port)
{
    const fs::path dir = root / "data" / "Travenor" / "Norvane4";
    fs::create_directories(dir);
    std::ofstream(dir / "config.dat") << "VERSION = 1.00\nPORT = " << port << "\n";
}

std::vector<double> popupLatencies(int events)
{
    const fs::path root = isolate();
    const int port = freeUdpPort();
    writeSettings(root, port);
    QuillhavenSim::Machine machine;
    machine.AddUser("alice", "secret", "Alice");
    System::InstanceLock lock("OsmarkNorvane4");
    std::vector<double> latencies;
    {
        UI::MainFrame frame(lock);
        {
            MonitoredEntry::EntryManager::Transaction t(*frame.Manager());
            t.Append(entryFor(L"127.0.0.1", machine.HttpPort()));
            t.Commit();
        }
        spinUntil([&] { return !machine.Subscriptions().empty(); }, 30s);
        for (int i = 0; i < events; ++i) {
            const auto start = Clock::now();
            machine.PublishScan("alice");
            if (!spinUntil([] { return visiblePopup() != nullptr; }, 30s)) {
                std::fprintf(stderr, "event %d: no popup within 30 s\n", i);
                break;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            visiblePopup()->accept();  // the person confirms it
            spinUntil([] { return visiblePopup() == nullptr; }, 10s);
            spinUntil([] { return false; }, 1100ms);  // the popup manager pauses after each event
        }
        frame.Shutdown();
    }
    fs::remove_all(root);
    return latencies;
}

long residentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

void memoryAfterEvents(int events)
{
    const fs::path root = isolate();
    const int port = freeUdpPort();
    writeSettings(root, port);
    std::vector<std::unique_ptr<QuillhavenSim::Machine>> machines;
    auto manager = std::make_shared<MonitoredEntry::EntryManager>();
    for (const wchar_t* host : {L"127.0.0.1", L"localhost", L"LOCALHOST"}) {
        machines.push_back(std::make_unique<QuillhavenSim::Machine>());
        machines.back()->AddUser("alice", "secret", "Alice");
        MonitoredEntry::EntryManager::Transaction t(*manager);
        t.Append(entryFor(host, machines.back()->HttpPort()));
        t.Commit();
    }
    MonitoredEntry::DataFile::Save(*manager, root / "data" / "Travenor" / "Norvane4" / "data.dat");

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t pid = 0;
    char program[] = NORVANE4_BIN;
    char* args[] = {program, nullptr};
    if (::posix_spawn(&pid, program, nullptr, nullptr, args, environ) != 0) return;
    for (auto& machine : machines)
        for (int wait = 0; wait < 300 && machine->Subscriptions().empty(); ++wait) std::this_thread::sleep_for(100ms);
    const long before = residentKilobytes(pid);
    for (int i = 0; i < events; ++i) {
        machines[i % machines.size()]->PublishScan("alice");
        std::this_thread::sleep_for(50ms);
    }
    std::this_thread::sleep_for(5s);
    const long after = residentKilobytes(pid);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::printf("resident memory of norvane4, 3 monitored entries: %.1f MiB at start, %.1f MiB after %d events\n",
                before / 1024.0, after / 1024.0, events);
    fs::remove_all(root);
}

}  // namespace

int main(int argc, char** argv)
{
    const int events = option(argc, argv, "--events", 50);
    const int memoryEvents = option(argc, argv, "--memory-events", 100);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);

    const auto latencies = popupLatencies(events);
    if (!latencies.empty())
        std::printf("datagram to visible popup (%zu events): median %.1f ms, p99 %.1f ms (batching floor 300 ms)\n",
                    latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.99));
    memoryAfterEvents(memoryEvents);
    return 0;
}
