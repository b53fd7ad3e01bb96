#pragma once
// Waiting in a test for something the GUI thread's event loop brings about (queued
// change notices, timers), processing events meanwhile.

#include <QCoreApplication>

#include <chrono>
#include <thread>

/// Processes events until `condition` holds; false when `limit` passed first.
template <class Condition>
bool ProcessEventsUntil(Condition condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
