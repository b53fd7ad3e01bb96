#pragma once
// Logs the detected events in batches (everything that arrives with gaps shorter than
// the quiet window), one transaction per batch, and forwards the events that deserve
// attention to its observer.

#include "MonitoredEntry/BasicID.hpp"
#include "Monitoring/DetectedEvent.hpp"

#include <ostrel/thread/actor.hpp>

#include <memory>
#include <utility>
#include <vector>

namespace MonitoredEntry {
class EntryManager;
}

namespace MachineEvent {

/// Receives the (entry ID, event ID) pairs selected from each logged batch.
class NotifiableEventManager {
public:
    virtual ~NotifiableEventManager() = default;
    virtual void Notify(const ID& entryID, const ID& eventID) = 0;
};

class DetectedEventManager : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    using Selection = std::vector<std::pair<ID, ID>>;

    /// A batch ends once the queue stayed empty this long.
    static constexpr long quietWindowMs = 300;

    DetectedEventManager(MonitoredEntry::EntryManager& manager, DetectedEventQueue& queue);
    ~DetectedEventManager() override;

    void SetObserver(NotifiableEventManager* observer);
    void ClearObserver() { SetObserver(nullptr); }

    /// Logs one batch in one transaction and returns the pairs to announce, in order.
    /// Events of removed entries and events already logged are skipped.
    static Selection LogBatch(MonitoredEntry::EntryManager& manager, const std::vector<DetectedEventPointer>& batch);

    struct Pimpl;

protected:
    int run() override;

private:
    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace MachineEvent
