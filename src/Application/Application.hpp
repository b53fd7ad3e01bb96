#pragma once
// The application object: prepares the process, reads the command line, runs one of
// the three run modes and turns the outcome into the process exit code.

#include <QApplication>

#include <memory>
#include <string>
#include <vector>

namespace System {
class InstanceLock;
}

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    ~Application() override;

    /// The one application object of the process.
    static Application& Instance();

    /// Start-up, the message loop if the mode has a main window, then the exit code.
    int Run();

    void SetExitCode(int code) { exitCode_ = code; }
    int GetExitCode() const { return exitCode_; }

    /// The single-instance lock "OsmarkNorvane4" (exists once start-up has created it).
    System::InstanceLock& InstanceLock();

private:
    bool InitInstance();
    int ExitInstance(int loopQuitCode);

    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl_;
    std::vector<std::string> words_;
    int exitCode_ = 0;
};
