#include "Process.hpp"

#include "TempDir.hpp"

#include <boost/filesystem/operations.hpp>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = boost::filesystem;

namespace {
int counter = 0;
}

Process::Process(const std::string& executable, const std::vector<std::string>& arguments,
                 const std::map<std::string, std::string>& environment, const fs::path& outputDirectory)
{
    const std::string stem = "process" + std::to_string(++counter);
    out_ = outputDirectory / (stem + ".out");
    err_ = outputDirectory / (stem + ".err");

    std::map<std::string, std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const auto equals = entry.find('=');
        if (equals != std::string::npos) merged[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    for (const auto& [key, value] : environment) merged[key] = value;
    std::vector<std::string> envStrings;
    for (const auto& [key, value] : merged) envStrings.push_back(key + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings) envp.push_back(s.data());
    envp.push_back(nullptr);

    std::vector<std::string> argStrings{executable};
    argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& s : argStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int result = ::posix_spawn(&pid_, executable.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) throw std::runtime_error("cannot start " + executable);
}

Process::~Process()
{
    if (!exitCode_) {
        ::kill(pid_, SIGKILL);
        Wait(std::chrono::seconds(10));
    }
}

std::optional<int> Process::Wait(std::chrono::milliseconds limit)
{
    if (exitCode_) return exitCode_;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (std::chrono::steady_clock::now() > end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool Process::Running() { return !Wait(std::chrono::milliseconds(0)); }

void Process::Signal(int number) { ::kill(pid_, number); }

std::string Process::Stdout() const { return fs::exists(out_) ? ReadFile(out_) : std::string(); }
std::string Process::Stderr() const { return fs::exists(err_) ? ReadFile(err_) : std::string(); }

std::string Norvane4Executable()
{
    const char* path = std::getenv("NORVANE4_BIN");
    return path ? path : NORVANE4_BIN;
}
