#pragma once
// The process-wide copy of the limits and intervals, taken from the settings once at
// start-up and read everywhere else without going through the settings object.

#include <boost/numeric/interval.hpp>

#include <atomic>

using IntRange = boost::numeric::interval<int>;

namespace Limits {

struct Values {
    int entryMax = 3;
    int subscriptionWaitLimitMs = 180000;
    int listenPort = 61010;
    int subscribeIntervalMs = 1800000;
    int retrySubscribeIntervalMs = 300000;
    int machineMonitorIntervalMs = 600000;
    int eventLogMax = 200;
    int checkIntervalMin = 60000;
    int checkIntervalMax = 3600000;
    int eraseIntervalMin = 0;
    int eraseIntervalMax = 100000000;
    int detectedEventQueueSize = 200;
    int popupEraseMs = 10000;
};

/// The current values (the defaults of the settings until a copy is made).
const Values& Current();
/// Replaces the values; done on the main thread before any worker reads them.
void Set(const Values& values);

inline IntRange CheckIntervalRange() { return IntRange(Current().checkIntervalMin, Current().checkIntervalMax); }
inline IntRange EraseIntervalRange() { return IntRange(Current().eraseIntervalMin, Current().eraseIntervalMax); }

}  // namespace Limits
