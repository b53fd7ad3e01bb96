#pragma once
// A child process for end-to-end tests: started with extra environment variables,
// its standard output and error captured in files.

#include <boost/filesystem/path.hpp>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class Process {
public:
    Process(const std::string& executable, const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& environment, const boost::filesystem::path& outputDirectory);
    ~Process();  // kills the child if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    /// The exit code, or nothing if the process did not end within `limit`
    /// (a death by signal gives 128 + the signal number).
    std::optional<int> Wait(std::chrono::milliseconds limit);
    bool Running();
    void Signal(int number);
    int Pid() const { return pid_; }
    std::string Stdout() const;
    std::string Stderr() const;

private:
    int pid_ = -1;
    std::optional<int> exitCode_;
    boost::filesystem::path out_, err_;
};

/// The norvane4 executable under test (the build's own, unless NORVANE4_BIN names another).
std::string Norvane4Executable();

/// Polls `condition` every 20 ms until it holds or `limit` passes.
template <class Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
