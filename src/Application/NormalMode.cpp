#include "Application/NormalMode.hpp"

#include "Application/Application.hpp"
#include "Application/ExitCode.hpp"
#include "Norvane/UI/MainFrame.hpp"
#include "Norvane/UI/Message.hpp"
#include "System/SystemError.hpp"
#include "Utility/StringIds.hpp"

NormalMode::NormalMode(Application& application) : application_(application) {}

NormalMode::~NormalMode() = default;

bool NormalMode::Begin()
{
    try {
        mainFrame_ = std::make_unique<UI::MainFrame>(application_.InstanceLock());
        QObject::connect(mainFrame_.get(), &UI::MainFrame::ExitCodeChosen,
                         [this](int code) { application_.SetExitCode(code); });
        application_.SetExitCode(ExitCode::Normal);
        return true;
    } catch (const ApplicationBusy&) {
        application_.SetExitCode(ExitCode::AlreadyRunning);
    } catch (...) {
        UI::Message::Show(StringId::InitializationFailed);
        application_.SetExitCode(ExitCode::InitializationFailed);
    }
    return false;
}

void NormalMode::End()
{
    if (mainFrame_) mainFrame_->Shutdown();
}
