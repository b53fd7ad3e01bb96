#include "Application/InstallMode.hpp"

#include "Application/Application.hpp"
#include "Application/Config.hpp"
#include "Application/ExitCode.hpp"
#include "Application/Limits.hpp"
#include "Application/UninstallMode.hpp"
#include "HTTP/Error.hpp"
#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/Duplicate.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/EntryProperty.hpp"
#include "Norvane/UI/EntryConfigSheet.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/SearchAgent.hpp"
#include "QH/QuillhavenServer.hpp"
#include "System/InstanceLock.hpp"
#include "Utility/StringIds.hpp"
#include "Utility/Text.hpp"

#include <mutex>

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

// The machine discovery knows of, if one has exactly the given address.
boost::optional<MonitoredEntry::MFP> discoveredMachine(const std::wstring& host)
{
    SearchAgent agent;
    for (const auto& machine : agent.GetMachines())
        if (machine.GetHost() == host) return machine;
    return boost::none;
}

// The name the machine's web service reports, if it answers.
boost::optional<std::wstring> reportedMachineName(const MonitoredEntry::MFP& mfp)
{
    try {
        QuillhavenServer server(mfp);
        const auto settings = server.GetMachineSettings();
        if (!settings->machineName.empty()) return Text::Widen(settings->machineName);
    } catch (const HTTP::Error&) {
    }
    return boost::none;
}

}  // namespace

bool InstallOptionsComplete(const CommandLine& line)
{
    return (!line.machineName || !line.machineName->empty()) && presentAndFilled(line.host) &&
           portInRange(line.http) && portInRange(line.https) && presentAndFilled(line.userName) &&
           presentAndFilled(line.accountId);
}

struct InstallMode::Pimpl {
    CommandLine line;
    boost::optional<MonitoredEntry::Password> password;  // enciphered as soon as it is read
    std::shared_ptr<MonitoredEntry::EntryManager> manager = std::make_shared<MonitoredEntry::EntryManager>();
    bool succeeded = false;

    MonitoredEntry::EntryProperty BuildProperty() const;
};

MonitoredEntry::EntryProperty InstallMode::Pimpl::BuildProperty() const
{
    using namespace MonitoredEntry;
    EntryProperty property = GetDefaultEntryProperty();
    MFP mfp = property.GetMFP();
    mfp.SetHost(Text::Widen(*line.host));

    const auto discovered = discoveredMachine(mfp.GetHost());
    if (line.http)
        mfp.SetHTTP(*line.http);
    else if (discovered && discovered->GetHTTP())
        mfp.SetHTTP(discovered->GetHTTP());
    if (line.https)
        mfp.SetHTTPS(*line.https);
    else if (discovered && discovered->GetHTTPS())
        mfp.SetHTTPS(discovered->GetHTTPS());
    // The name last: asking the machine needs its ports.
    if (line.machineName)
        mfp.SetName(Text::Widen(*line.machineName));
    else if (discovered && discovered->GetName())
        mfp.SetName(discovered->GetName());
    else
        mfp.SetName(reportedMachineName(mfp));
    property.SetMFP(mfp);

    property.SetUser(User(Text::Widen(*line.userName), Text::Widen(*line.accountId),
                          password ? *password : Password(std::wstring())));
    return property;
}

InstallMode::InstallMode(Application& application, const CommandLine& line)
    : application_(application), pimpl_(std::make_unique<Pimpl>())
{
    pimpl_->line = line;
    if (line.password) {
        pimpl_->password = MonitoredEntry::Password(Text::Widen(*line.password));
        pimpl_->line.password.reset();  // the plain text is not kept
    }
}

InstallMode::~InstallMode() = default;

bool InstallMode::Begin()
{
    pimpl_->succeeded = false;
    try {
        if (!InstallOptionsComplete(pimpl_->line) ||
            !MonitoredEntry::MFP::IsValidHost(Text::Widen(*pimpl_->line.host)) ||
            (pimpl_->password && !pimpl_->password->IsValid()))
            throw InstallExit{ExitCode::InvalidOptions};
        if (!TakeOverInstanceLock(application_, lockTakeOverRounds, pauseWithoutInstanceMs))
            throw InstallExit{ExitCode::InstanceNotStoppedOrDuplicate};

        auto& config = Config::Instance();
        config.Remove();
        config.Load();
        config.MakeInstallCopy();

        const MonitoredEntry::EntryProperty property = pimpl_->BuildProperty();
        ID entry;
        if (!property.IsValid()) throw InstallExit{ExitCode::InvalidEntry};
        {
            MonitoredEntry::EntryManager::Transaction transaction(*pimpl_->manager);
            const auto& db = transaction.GetDB();
            if (static_cast<int>(db.Count()) >= Limits::Current().entryMax)
                throw InstallExit{ExitCode::EntryLimitReached};
            if (!db.Search(MonitoredEntry::Conditions::Duplicate<MonitoredEntry::EntryProperty>(property))->empty())
                throw InstallExit{ExitCode::InstanceNotStoppedOrDuplicate};
            entry = transaction.Append(property);
            transaction.Commit();
        }

        // The installing person reviews the new entry; without a screen it stands as built.
        UI::EntryConfigSheet review(*pimpl_->manager, entry);
        review.Run();

        application_.SetExitCode(ExitCode::Normal);
        pimpl_->succeeded = true;
        return true;
    } catch (const InstallExit& exit) {
        application_.SetExitCode(exit.code);
    } catch (...) {
        UI::Message::Show(StringId::InitializationFailed);
        application_.SetExitCode(ExitCode::InitializationFailed);
    }
    return false;
}

void InstallMode::End()
{
    if (pimpl_->succeeded) {
        try {
            MonitoredEntry::DataFile::Save(*pimpl_->manager, MonitoredEntry::DataFile::DefaultPath());
        } catch (...) {
            UI::Message::Show(StringId::DataNotSaved);
            application_.SetExitCode(ExitCode::DataNotSaved);
        }
    }
    try {
        application_.InstanceLock().Release();
    } catch (...) {
    }
}
