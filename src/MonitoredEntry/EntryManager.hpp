#pragma once
// The one owner of all monitored entries. Every reader and writer takes its recursive
// lock; changes happen only in transactions, which roll back unless committed; after
// a commit the registered observers are told on the manager's own worker thread.
//
// Lock order: the observer list before the entry lock. Never register or unregister
// an observer while holding the entry lock.

#include "MonitoredEntry/EntryDB.hpp"

#include <ostrel/thread/sync_queue.hpp>
#include <ostrel/thread/worker.hpp>

#include <memory>
#include <mutex>
#include <vector>

namespace MonitoredEntry {

class EntryManager {
public:
    class Observer {
    public:
        virtual ~Observer() = default;
        /// Called on the manager's worker thread, without the entry lock held.
        virtual void OnEntryChanged(const EntryManager& manager) = 0;
    };

    class Transaction;

    /// An empty store; the notification worker runs from here on.
    EntryManager();
    /// Adopts a store as it was saved.
    explicit EntryManager(EntryDB store);
    EntryManager(const EntryManager&) = delete;
    EntryManager& operator=(const EntryManager&) = delete;
    /// Stops and joins the notification worker.
    ~EntryManager();

    // The entry lock (recursive); use std::lock_guard / std::unique_lock on the manager.
    void lock() const { mutex_.lock(); }
    void unlock() const { mutex_.unlock(); }
    bool try_lock() const { return mutex_.try_lock(); }

    /// Read access to the store; hold the lock while using it.
    const EntryDB& GetDB() const { return db_; }
    /// A copy of the stored entry (sharing its log); raises MissingEntry. Hold the lock.
    std::shared_ptr<Entry> GetEntryCopy(const ID& id) const;
    /// The matching entries; hold the lock while iterating.
    std::shared_ptr<SearchResult> Search(const EntryDB::Predicate& predicate) const;
    /// The entries that are monitored.
    std::shared_ptr<SearchResult> SearchMonitoring() const;

    /// Registers an observer once and queues a notice for it; false if it was registered.
    bool AddObserver(Observer* observer);
    /// Unregisters; once this returns the observer is not called again.
    bool RemoveObserver(Observer* observer);

private:
    struct NotifyRequest {};
    using NotifyQueue = ostrel::sync_queue<NotifyRequest>;

    void Notify();
    void CallObservers();

    mutable std::recursive_mutex mutex_;
    EntryDB db_;
    std::mutex observersMutex_;
    std::vector<Observer*> observers_;
    NotifyQueue queue_{1};
    ostrel::worker<NotifyQueue, NotifyRequest> worker_;
};

/// A scoped change of the store. Holds the entry lock from construction to the end;
/// ending it uncommitted (or by an exception) restores the store as it was.
class EntryManager::Transaction {
public:
    explicit Transaction(EntryManager& manager);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();

    /// Raises DuplicateEntry when a monitored entry elsewhere uses the host of this
    /// monitored entry; InvalidEntry and MissingEntry from the store.
    void SetEntry(const std::shared_ptr<Entry>& entry);
    /// Raises OverLimitEntryCount at the entry limit (checked first), DuplicateEntry
    /// when any entry uses the host, InvalidEntry from the store.
    const ID& Append(const EntryProperty& property);
    bool Erase(const ID& id);

    const EntryDB& GetDB() const { return manager_.db_; }
    const Entry& GetEntry(const ID& id) const { return manager_.db_.GetEntry(id); }
    bool Contains(const ID& id) const { return manager_.db_.Contains(id); }
    std::shared_ptr<Entry> GetEntryCopy(const ID& id) const { return manager_.GetEntryCopy(id); }

    /// Takes effect when the transaction ends.
    void Commit() { committed_ = true; }

private:
    EntryManager& manager_;
    std::unique_lock<std::recursive_mutex> lock_;
    EntryDB snapshot_;  // kept here, so that a nested transaction restores its own start
    bool committed_ = false;
};

}  // namespace MonitoredEntry
