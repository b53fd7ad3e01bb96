#pragma once
// Reads one entry's feed when its machine signals, when asked, and at the entry's
// interval; hands every item that is new since the last accepted reading to the
// detected-event queue, and then remembers the reading as the entry's latest feed.
// Owns the entry's subscription keeper.

#include "MonitoredEntry/BasicID.hpp"
#include "Monitoring/DetectedEvent.hpp"

#include <ostrel/thread/actor.hpp>

#include <memory>

namespace MonitoredEntry {
class EntryManager;
}

namespace Monitor {

class Signal;

class EventMonitor : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    EventMonitor(const ID& id, MonitoredEntry::EntryManager& manager, MachineEvent::DetectedEventQueue& queue);
    ~EventMonitor() override;

    const ID& GetID() const;

    /// Called for every signal on a listener thread; returns at once. Signals that
    /// need a name lookup are matched later on the monitor's own thread.
    void OnSignal(const Signal& signal);

    /// The entry changed: takes over its machine, user, interval and Monitoring
    /// switch; subscribes or unsubscribes as the switch and the host require.
    void Update();

    /// Feed readings made so far (successful or not).
    unsigned long Readings() const;

    struct Pimpl;

protected:
    int run() override;

private:
    void End();
    void ReadFeed();
    void Detect();
    void Deliver();
    /// Waits for a signal or the interval; true when a signal ended the wait.
    bool Wait();

    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace Monitor
