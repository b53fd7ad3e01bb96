#pragma once
// Keeps one entry's machine name and user display name as the machine reports them,
// asking at the machine monitor interval.

#include "MonitoredEntry/BasicID.hpp"

#include <ostrel/thread/actor.hpp>

#include <memory>

namespace MonitoredEntry {
class EntryManager;
}

namespace Monitor {

class MachineMonitor : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    MachineMonitor(const ID& id, MonitoredEntry::EntryManager& manager);
    ~MachineMonitor() override;

    const ID& GetID() const;
    /// Takes over the entry's current machine and user.
    void Refresh();

    struct Pimpl;

protected:
    int run() override;

private:
    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace Monitor
