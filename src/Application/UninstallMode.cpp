#include "Application/UninstallMode.hpp"

#include "Application/Application.hpp"
#include "Application/ExitCode.hpp"
#include "Norvane/UI/InstanceChannel.hpp"
#include "System/InstanceLock.hpp"

#include <chrono>
#include <thread>

namespace {
// A running instance saves its data and unsubscribes from every machine before it
// answers; give it as long as its slowest network timeouts can take.
constexpr int closeAnswerLimitMs = 300000;
}  // namespace

bool TakeOverInstanceLock(Application& application, int attempts, int pauseMs)
{
    auto& lock = application.InstanceLock();
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (lock.TryTake()) return true;
        if (!UI::InstanceChannel::Close(closeAnswerLimitMs) && pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
    return lock.TryTake();
}

bool UninstallMode::Begin()
{
    try {
        if (!TakeOverInstanceLock(application_, 1, 0)) {
            application_.SetExitCode(ExitCode::InstanceNotStoppedOrDuplicate);
            return false;
        }
        application_.SetExitCode(ExitCode::Normal);
        return true;
    } catch (...) {
        application_.SetExitCode(ExitCode::InitializationFailed);
        return false;
    }
}

void UninstallMode::End()
{
    try {
        application_.InstanceLock().Release();
    } catch (...) {
    }
}
