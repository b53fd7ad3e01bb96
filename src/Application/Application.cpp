#include "Application/Application.hpp"

#include "Application/CommandLine.hpp"
#include "Application/ExitCode.hpp"
#include "Application/InstallMode.hpp"
#include "Application/NormalMode.hpp"
#include "Application/UninstallMode.hpp"
#include "Norvane/UI/DesktopOpener.hpp"
#include "Norvane/UI/Message.hpp"
#include "System/InstanceLock.hpp"
#include "System/ExecutablePath.hpp"
#include "Utility/Catalogue.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/StringIds.hpp"

#include <ostrel/exception.hpp>

#include <QLibraryInfo>
#include <QTranslator>

#include <chrono>
#include <locale>
#include <thread>

namespace {

Application* theApplication = nullptr;

constexpr const char* instanceLockName = "OsmarkNorvane4";
constexpr auto lockRetryPause = std::chrono::milliseconds(500);
constexpr auto lockRetryLimit = std::chrono::milliseconds(60000);

// The lock file may be briefly out of reach (a runtime directory being set up): retry
// every 500 ms for a minute before giving up.
std::unique_ptr<System::InstanceLock> createInstanceLock()
{
    std::chrono::milliseconds waited{0};
    for (;;) {
        try {
            return std::make_unique<System::InstanceLock>(instanceLockName);
        } catch (const std::exception&) {
            if (waited >= lockRetryLimit) OSTREL_THROW(ostrel::runtime_error());
        }
        std::this_thread::sleep_for(lockRetryPause);
        waited += lockRetryPause;
    }
}

}  // namespace

struct Application::Pimpl {
    std::unique_ptr<System::InstanceLock> lock = createInstanceLock();
    std::unique_ptr<RunMode> mode;
};

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    theApplication = this;
    // Dialogs come and go; only the orderly shutdown ends the program.
    setQuitOnLastWindowClosed(false);
    // Every text of the program is Japanese; so are Qt's own (wizard and message box
    // buttons, file dialogs). Without the translation they stay as Qt ships them.
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);
    // Qt has taken its own options out of argv; the rest are the program's words.
    for (int i = 1; i < argc; ++i) words_.emplace_back(argv[i]);
}

Application::~Application()
{
    pimpl_.reset();
    theApplication = nullptr;
}

Application& Application::Instance() { return *theApplication; }

System::InstanceLock& Application::InstanceLock() { return *pimpl_->lock; }

int Application::Run()
{
    const bool loop = InitInstance();
    int quitCode = 0;
    if (loop && pimpl_->mode && pimpl_->mode->HasMainWindow()) quitCode = exec();
    return ExitInstance(quitCode);
}

bool Application::InitInstance()
{
    try {
        std::locale::global(std::locale::classic());
        Catalogue::Load(ExecutablePath());
        const auto name = LoadString(StringId::ApplicationName);
        if (!name.empty()) {
            setApplicationName(QString::fromStdWString(name));
            setApplicationDisplayName(QString::fromStdWString(name));
        }
        pimpl_ = std::make_unique<Pimpl>();
        System::SetOpener(std::make_shared<UI::DesktopOpener>());

        const CommandLine line = ParseCommandLine(words_);
        if (line.install)
            pimpl_->mode = std::make_unique<InstallMode>(*this, line);
        else if (line.uninstall)
            pimpl_->mode = std::make_unique<UninstallMode>(*this);
        else
            pimpl_->mode = std::make_unique<NormalMode>(*this);
    } catch (...) {
        UI::Message::Show(StringId::InitializationFailed);
        exitCode_ = ExitCode::InitializationFailed;
        return false;
    }
    return pimpl_->mode->Begin();
}

int Application::ExitInstance(int loopQuitCode)
{
    if (pimpl_ && pimpl_->mode) pimpl_->mode->End();
    Catalogue::Release();
    if (exitCode_ != 0) return exitCode_;
    return loopQuitCode != 0 ? ExitCode::LoopFailed : ExitCode::Normal;
}
