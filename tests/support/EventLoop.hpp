#pragma once
// Runs the Qt event loop of a window test until a condition holds or a limit passes.

#include <QCoreApplication>

#include <chrono>
#include <thread>

template <class Condition>
bool SpinUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
