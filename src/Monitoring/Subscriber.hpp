#pragma once
// Keeps one entry's feed subscription alive: subscribes when started, renews at the
// subscribe interval, retries at the shorter retry interval after a failure,
// subscribes again at once when the entry's machine or user changes, and unsubscribes
// as its thread ends. Publishes the feed location for the entry's event monitor and
// writes the outcome into the entry's monitoring state.

#include "MonitoredEntry/BasicID.hpp"

#include <ostrel/thread/actor.hpp>

#include <boost/optional.hpp>
#include <boost/thread/mutex.hpp>

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
        /// keeper has ended); the location while a subscription is in force. An
        /// interruption point.
        boost::optional<std::wstring> GetURL();

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
