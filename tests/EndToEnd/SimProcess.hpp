#pragma once
// The simulated machine and the notifier as real processes, for end-to-end tests.

#include "Process.hpp"
#include "TempDir.hpp"

#include <memory>
#include <string>
#include <vector>

/// quillhaven-sim started with a control port; commands go over that port.
class SimProcess {
public:
    /// `httpPort` 0 lets the machine pick a free port.
    SimProcess(const std::vector<std::string>& users, const boost::filesystem::path& outputDirectory,
               int httpPort = 0);
    ~SimProcess();

    int HttpPort() const { return httpPort_; }
    /// Sends one command and returns its answer line.
    std::string Command(const std::string& command);
    /// The machine's log so far.
    std::string Log() const { return process_->Stdout(); }
    /// Number of log lines containing `text`.
    int Count(const std::string& text) const;
    void Kill() { process_->Signal(9); }

private:
    std::unique_ptr<Process> process_;
    int httpPort_ = 0;
    int controlPort_ = 0;
};

/// The data directory, runtime directory and temporary folder of one notifier.
struct NotifierEnvironment {
    IsolatedEnvironment env;
    boost::filesystem::path dataFile() const { return env.dataDirectory() / "data.dat"; }
    boost::filesystem::path settings() const { return env.dataDirectory() / "config.dat"; }

    std::unique_ptr<Process> Start(const std::vector<std::string>& arguments = {});
    int Run(const std::vector<std::string>& arguments);
    /// Installs an entry for `account` at the machine and sets the listen port.
    void Install(const SimProcess& machine, const std::string& account, const std::string& password, int listenPort);
    /// The events logged for the first entry of the data file (-1 when it does not load).
    int LoggedEvents() const;
};

unsigned short FreeUdpPort();
unsigned short FreeTcpPort();
