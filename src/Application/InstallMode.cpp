#include "Application/InstallMode.hpp"

#include "Application/Application.hpp"
#include "Application/Config.hpp"
#include "Application/ExitCode.hpp"
#include "Application/UninstallMode.hpp"
#include "Norvane/UI/Message.hpp"
#include "System/InstanceLock.hpp"
#include "Utility/StringIds.hpp"

namespace {

bool portInRange(const boost::optional<int>& port) { return !port || (*port >= 0 && *port <= 65535); }
bool presentAndFilled(const boost::optional<std::string>& value) { return value && !value->empty(); }

// A step that ends the install with its own exit code and no message.
struct InstallExit {
    int code;
};

// Three tries to take the lock, a running instance asked to close between them.
constexpr int lockTakeOverRounds = 2;
constexpr int pauseWithoutInstanceMs = 300;

}  // namespace

bool InstallOptionsComplete(const CommandLine& line)
{
    return (!line.machineName || !line.machineName->empty()) && presentAndFilled(line.host) &&
           portInRange(line.http) && portInRange(line.https) && presentAndFilled(line.userName) &&
           presentAndFilled(line.accountId);
}

struct InstallMode::Pimpl {
    CommandLine line;
    bool succeeded = false;
};

InstallMode::InstallMode(Application& application, const CommandLine& line)
    : application_(application), pimpl_(std::make_unique<Pimpl>())
{
    pimpl_->line = line;
}

InstallMode::~InstallMode() = default;

bool InstallMode::Begin()
{
    pimpl_->succeeded = false;
    try {
        if (!InstallOptionsComplete(pimpl_->line)) throw InstallExit{ExitCode::InvalidOptions};
        if (!TakeOverInstanceLock(application_, lockTakeOverRounds, pauseWithoutInstanceMs))
            throw InstallExit{ExitCode::InstanceNotStoppedOrDuplicate};

        auto& config = Config::Instance();
        config.Remove();
        config.Load();
        config.MakeInstallCopy();

        // Building the entry from the options needs the entry store; until it exists the
        // install cannot complete.
        throw InstallExit{ExitCode::InitializationFailed};
    } catch (const InstallExit& exit) {
        if (exit.code == ExitCode::InitializationFailed) UI::Message::Show(StringId::InitializationFailed);
        application_.SetExitCode(exit.code);
    } catch (...) {
        UI::Message::Show(StringId::InitializationFailed);
        application_.SetExitCode(ExitCode::InitializationFailed);
    }
    return false;
}

void InstallMode::End()
{
    try {
        application_.InstanceLock().Release();
    } catch (...) {
    }
}
