#pragma once

#include "Application/CommandLine.hpp"
#include "Application/RunMode.hpp"

#include <memory>

class Application;

/// The installer's run: replaces the settings with defaults and the data file with
/// one holding the entry the options describe.
class InstallMode : public RunMode {
public:
    InstallMode(Application& application, const CommandLine& line);
    ~InstallMode() override;

    bool Begin() override;
    void End() override;

private:
    struct Pimpl;
    Application& application_;
    std::unique_ptr<Pimpl> pimpl_;
};

/// The option checks that come before anything is touched: true when the options can
/// describe an entry (host, user name and account ID present and not empty, a machine
/// name not empty if given, ports within 0..65535).
bool InstallOptionsComplete(const CommandLine& line);
