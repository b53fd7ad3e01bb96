#pragma once
// Keeps one entry's feed subscription alive: subscribes when started, renews at the
// subscribe interval, retries at the shorter retry interval after a failure,
// subscribes again at once when the entry's machine or user changes, and unsubscribes
// as its thread ends. Publishes the feed location for the entry's event monitor and
// writes the outcome into the entry's monitoring state.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/Distinction.hpp"

#include <ostrel/thread/actor.hpp>

#include <boost/optional.hpp>
#include <boost/thread/mutex.hpp>

#include <functional>
#include <memory>
#include <string>

namespace MonitoredEntry {
class EntryManager;
}

namespace Monitor {

class Subscriber : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    Subscriber(const ID& id, MonitoredEntry::EntryManager& manager);
    ~Subscriber() override;

    /// Takes over the entry's current machine and user; when they differ from the ones
    /// subscribed with, the keeper subscribes again at once.
    void Refresh();

    /// Holds the feed location steady while the feed is read: a renewal waits for it.
    class ScopedRSSFeedURLLock {
    public:
        explicit ScopedRSSFeedURLLock(Subscriber& subscriber);
        ScopedRSSFeedURLLock(const ScopedRSSFeedURLLock&) = delete;
        ScopedRSSFeedURLLock& operator=(const ScopedRSSFeedURLLock&) = delete;

        /// Waits until a subscription attempt has completed since the start (or the
        /// keeper has ended); the location while a subscription for this machine and
        /// account is in force. A subscription still made for a machine or account the
        /// entry no longer has is waited out, so a reading never goes to the new machine
        /// with the old machine's location. An interruption point.
        /// `current` gives the machine and account the reading is for; it is asked again
        /// while waiting (it may change meanwhile) and the last answer is left in `used`.
        boost::optional<std::wstring> GetURL(const std::function<MonitoredEntry::Distinction()>& current,
                                             MonitoredEntry::Distinction& used);

    private:
        Subscriber& subscriber_;
        boost::unique_lock<boost::mutex> lock_;
    };

    struct Pimpl;

protected:
    void on_start() override;
    int run() override;

private:
    void End();
    void SetState(int subscriptionState, int errorFlag);

    std::unique_ptr<Pimpl> pimpl;
};

}  // namespace Monitor
