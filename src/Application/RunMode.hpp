#pragma once

/// One way the program runs: the resident notifier, the installer's run or the uninstaller's.
class RunMode {
public:
    RunMode() = default;
    RunMode(const RunMode&) = delete;
    RunMode& operator=(const RunMode&) = delete;
    virtual ~RunMode() = default;

    /// Does the mode's work; true: run the message loop (a mode without a main window
    /// ends it at once); false: end the process now.
    virtual bool Begin() = 0;
    /// Runs before the exit code is computed.
    virtual void End() = 0;
    /// True when the mode needs the message loop (it has a main window).
    virtual bool HasMainWindow() const { return false; }
};
