#pragma once
// Keeps exactly one monitor per monitored entry as entries are added, changed and
// removed. A monitor stays while its entry exists, also while the entry's monitoring
// is off; it goes (and its destructor stops it) when the entry is removed.

#include "MonitoredEntry/EntryManager.hpp"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace Monitor {

template <class M>
class MonitorManager : public MonitoredEntry::EntryManager::Observer {
public:
    using Pointer = std::shared_ptr<M>;
    using Factory = std::function<Pointer(const ID&)>;

    explicit MonitorManager(Factory factory) : factory_(std::move(factory)) {}
    MonitorManager(const MonitorManager&) = delete;
    MonitorManager& operator=(const MonitorManager&) = delete;
    /// Unregister from the entry manager first; the monitors stop as they go.
    ~MonitorManager() override = default;

    /// On the entry manager's worker thread: drops the monitors of removed entries,
    /// refreshes the others and starts one for each newly monitored entry.
    void OnEntryChanged(const MonitoredEntry::EntryManager& manager) override
    {
        std::vector<Pointer> kept, dropped, added;
        {
            std::lock_guard lock(mutex_);
            std::lock_guard entries(manager);
            const auto& db = manager.GetDB();
            for (const Pointer& monitor : monitors_)
                (db.Contains(monitor->GetID()) ? kept : dropped).push_back(monitor);
            for (const auto& entry : db.GetEntryList()) {
                if (!entry->IsMonitoring() || Find(entry->GetID())) continue;
                added.push_back(factory_(entry->GetID()));
            }
        }
        for (const Pointer& monitor : kept) Keep(*monitor);
        for (const Pointer& monitor : added) monitor->start();
        {
            std::lock_guard lock(mutex_);
            std::vector<Pointer> monitors = kept;
            monitors.insert(monitors.end(), added.begin(), added.end());
            std::sort(monitors.begin(), monitors.end(),
                      [](const Pointer& a, const Pointer& b) { return a->GetID() < b->GetID(); });
            monitors_.swap(monitors);
        }
        // `dropped` goes here, outside the lock: the last owner stops the monitor.
    }

    /// The current monitors in entry order.
    std::vector<Pointer> GetMonitors() const
    {
        std::lock_guard lock(mutex_);
        return monitors_;
    }

    /// Stops every monitor (they stay listed); used at shutdown before unregistering.
    void StopAll()
    {
        for (const Pointer& monitor : GetMonitors()) monitor->stop();
    }

protected:
    /// A monitor whose entry still exists sees the change.
    virtual void Keep(M& monitor) = 0;

    template <class F>
    void ForEach(F&& f) const
    {
        std::lock_guard lock(mutex_);
        for (const Pointer& monitor : monitors_) f(*monitor);
    }

private:
    bool Find(const ID& id) const
    {
        return std::any_of(monitors_.begin(), monitors_.end(),
                           [&](const Pointer& monitor) { return monitor->GetID() == id; });
    }

    Factory factory_;
    mutable std::mutex mutex_;
    std::vector<Pointer> monitors_;
};

}  // namespace Monitor
