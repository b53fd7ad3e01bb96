#pragma once
// Announces the selected events one at a time: snapshot under the entry lock, spoken
// message downloaded from the machine and played, popup shown until it closes. Due-date
// notices are not shown; they arm the notice display and are marked read.

#include "MonitoredEntry/BasicID.hpp"
#include "Monitoring/DetectedEventManager.hpp"
#include "Monitoring/Popup.hpp"

#include <ostrel/thread/actor.hpp>

#include <memory>

namespace MonitoredEntry {
class EntryManager;
}

namespace MachineEvent {

class PopupEventManager : public NotifiableEventManager, public ostrel::actor<ostrel::ui_thread_actor_impl> {
public:
    /// The waits between events; tests shorten them.
    struct Timing {
        int pauseMs = 1000;        // after each announced event
        int voicePollMs = 100;     // while a voice plays
        int voiceRounds = 601;     // polls before a voice is cut off (about a minute)
    };

    PopupEventManager(MonitoredEntry::EntryManager& manager, PopupFactory& popups, SoundOutput& sound);
    PopupEventManager(MonitoredEntry::EntryManager& manager, PopupFactory& popups, SoundOutput& sound,
                      const Timing& timing);
    ~PopupEventManager() override;

    /// Queues the event; only the newest pairs up to the queue size wait.
    void Notify(const ID& entryID, const ID& eventID) override;

    /// Pairs waiting to be handled.
    std::size_t Pending() const;

    /// The snapshot of the event, or none when the entry is gone, announces nothing,
    /// no longer logs the event or has no unread event.
    static std::shared_ptr<const Event> LookUp(const MonitoredEntry::EntryManager& manager, const ID& entryID,
                                               const ID& eventID);
    /// Sets the event's Read flag in one transaction, if entry and event still exist.
    static void MarkRead(MonitoredEntry::EntryManager& manager, const ID& entryID, const ID& eventID);

    struct Pimpl;

protected:
    int run() override;
    void on_interrupt() override;

private:
    void Handle(const ID& entryID, const ID& eventID);

    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace MachineEvent
