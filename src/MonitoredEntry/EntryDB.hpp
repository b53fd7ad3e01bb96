#pragma once
// The identifier-ordered store of all entries with the identifier counter. Entries in
// the list are never modified: a change replaces the pointer. Only the entry manager
// uses it, under its lock.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/Entry.hpp"
#include "MonitoredEntry/SearchResult.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace MonitoredEntry {

class EntryDB {
public:
    using EntryList = std::vector<std::shared_ptr<Entry>>;
    using Predicate = std::function<bool(const Entry&)>;

    EntryDB() = default;
    /// A store as it was saved: nothing is validated or re-sorted.
    EntryDB(const ID& nextID, EntryList entries) : nextID_(nextID), entries_(std::move(entries)) {}

    /// Raises MissingEntry.
    const Entry& GetEntry(const ID& id) const;
    /// Replaces the entry with the same identifier. Raises InvalidEntry (checked
    /// first) or MissingEntry.
    void SetEntry(const std::shared_ptr<Entry>& entry);
    /// Adds an entry with a new empty log; raises InvalidEntry for an invalid property.
    const ID& Append(const EntryProperty& property);
    bool Erase(const ID& id);
    bool Contains(const ID& id) const;
    std::shared_ptr<SearchResult> Search(const Predicate& predicate) const;
    /// Unread events of every entry, monitored or not.
    int CountUnread() const;
    std::size_t Count() const { return entries_.size(); }

    const ID& GetNextID() const { return nextID_; }
    const EntryList& GetEntryList() const { return entries_; }

    /// Exchanges counter and list with another store (snapshots and rollback).
    void Swap(EntryDB& other) noexcept
    {
        std::swap(nextID_, other.nextID_);
        entries_.swap(other.entries_);
    }

private:
    EntryList::const_iterator Find(const ID& id) const;

    ID nextID_;
    EntryList entries_;
};

}  // namespace MonitoredEntry
