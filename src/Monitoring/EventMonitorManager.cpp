#include "Monitoring/EventMonitorManager.hpp"

namespace Monitor {

EventMonitorManager::EventMonitorManager(MonitoredEntry::EntryManager& manager, MachineEvent::DetectedEventQueue& queue)
    : MonitorManager<EventMonitor>(
          [&manager, &queue](const ID& id) { return std::make_shared<EventMonitor>(id, manager, queue); })
{
}

void EventMonitorManager::OnSignal(const Signal& signal)
{
    ForEach([&](EventMonitor& monitor) { monitor.OnSignal(signal); });
}

}  // namespace Monitor
