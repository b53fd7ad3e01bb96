#pragma once
// One event monitor per monitored entry; passes every signal of the listener to all
// of them, in entry order.

#include "Monitoring/DetectedEvent.hpp"
#include "Monitoring/EventMonitor.hpp"
#include "Monitoring/MonitorManager.hpp"
#include "Monitoring/Signal.hpp"

namespace Monitor {

class EventMonitorManager : public MonitorManager<EventMonitor>, public EventSignalObserver {
public:
    EventMonitorManager(MonitoredEntry::EntryManager& manager, MachineEvent::DetectedEventQueue& queue);

    void OnSignal(const Signal& signal) override;

protected:
    void Keep(EventMonitor& monitor) override { monitor.Update(); }
};

}  // namespace Monitor
