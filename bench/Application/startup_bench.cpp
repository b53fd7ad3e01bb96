// Start-up time of norvane4 in the normal mode with empty data: from starting the
// process until its instance channel accepts a connection, over 20 starts. Each run
// is closed through the channel before the next one starts.
//
//   build/bench/startup_bench [path/to/norvane4]

#include <boost/filesystem.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;
namespace fs = boost::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

int connectTo(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return fd;
    ::close(fd);
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string program = argc > 1 ? argv[1] : NORVANE4_BIN;
    const int runs = 20;
    std::vector<double> millis;

    for (int run = 0; run < runs; ++run) {
        const fs::path root = fs::temp_directory_path() / fs::unique_path("norvane-startup-%%%%%%");
        for (const char* sub : {"data", "runtime", "tmp"}) fs::create_directories(root / sub);
        fs::permissions(root / "runtime", fs::owner_all);
        const std::string channel = (root / "runtime" / "OsmarkNorvane4MainFrame").string();

        std::vector<std::string> envStrings;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            if (entry.rfind("XDG_DATA_HOME=", 0) && entry.rfind("XDG_RUNTIME_DIR=", 0) && entry.rfind("TMPDIR=", 0) &&
                entry.rfind("QT_QPA_PLATFORM=", 0))
                envStrings.push_back(entry);
        }
        envStrings.push_back("XDG_DATA_HOME=" + (root / "data").string());
        envStrings.push_back("XDG_RUNTIME_DIR=" + (root / "runtime").string());
        envStrings.push_back("TMPDIR=" + (root / "tmp").string());
        envStrings.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::string arg0 = program;
        char* args[] = {arg0.data(), nullptr};

        const auto start = Clock::now();
        pid_t pid = 0;
        if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, envp.data()) != 0) {
            std::fprintf(stderr, "cannot start %s\n", program.c_str());
            return 1;
        }
        int fd = -1;
        while ((fd = connectTo(channel)) < 0) {
            if (Clock::now() - start > std::chrono::seconds(30)) {
                std::fprintf(stderr, "no answer within 30 s\n");
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

        [[maybe_unused]] auto written = ::write(fd, "close\n", 6);
        char buffer[64];
        [[maybe_unused]] auto read = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        int status = 0;
        ::waitpid(pid, &status, 0);
        fs::remove_all(root);
    }

    std::sort(millis.begin(), millis.end());
    const double median = (millis[runs / 2 - 1] + millis[runs / 2]) / 2;
    std::printf("norvane4 start-up until the instance channel answers (%d starts, empty data)\n", runs);
    std::printf("  median %.1f ms   best %.1f ms   worst %.1f ms\n", median, millis.front(), millis.back());
    return 0;
}
