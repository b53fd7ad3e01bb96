#pragma once

#include "Application/RunMode.hpp"

class Application;

/// The uninstaller's run: stops a running instance and ends.
class UninstallMode : public RunMode {
public:
    explicit UninstallMode(Application& application) : application_(application) {}
    bool Begin() override;
    void End() override;

private:
    Application& application_;
};

/// Takes the single-instance lock, asking a running instance to close first if it holds
/// it; `attempts` tries, `pauseMs` between tries when no instance answered. True when
/// the lock is held at the end.
bool TakeOverInstanceLock(Application& application, int attempts, int pauseMs);
