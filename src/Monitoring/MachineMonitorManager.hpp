#pragma once
// One machine monitor per monitored entry.

#include "Monitoring/MachineMonitor.hpp"
#include "Monitoring/MonitorManager.hpp"

namespace Monitor {

class MachineMonitorManager : public MonitorManager<MachineMonitor> {
public:
    explicit MachineMonitorManager(MonitoredEntry::EntryManager& manager)
        : MonitorManager<MachineMonitor>(
              [&manager](const ID& id) { return std::make_shared<MachineMonitor>(id, manager); })
    {
    }

protected:
    void Keep(MachineMonitor& monitor) override { monitor.Refresh(); }
};

}  // namespace Monitor
