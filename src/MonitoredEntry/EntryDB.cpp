#include "MonitoredEntry/EntryDB.hpp"

#include "MonitoredEntry/DBException.hpp"

#include <algorithm>

namespace MonitoredEntry {

EntryDB::EntryList::const_iterator EntryDB::Find(const ID& id) const
{
    return std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e->GetID() == id; });
}

const Entry& EntryDB::GetEntry(const ID& id) const
{
    const auto it = Find(id);
    if (it == entries_.end()) OSTREL_THROW(MissingEntry());
    return **it;
}

void EntryDB::SetEntry(const std::shared_ptr<Entry>& entry)
{
    if (!entry || !entry->IsValid()) OSTREL_THROW(InvalidEntry());
    const auto it = Find(entry->GetID());
    if (it == entries_.end()) OSTREL_THROW(MissingEntry());
    entries_[static_cast<std::size_t>(it - entries_.begin())] = entry;
}

const ID& EntryDB::Append(const EntryProperty& property)
{
    if (!property.IsValid()) OSTREL_THROW(InvalidEntry());
    auto entry = std::make_shared<Entry>(nextID_, property);
    // Insert into a copy so that a failure leaves the list as it was. Identifiers
    // grow, so the entry lands at the end until the counter wraps.
    EntryList entries = entries_;
    const auto at = std::upper_bound(entries.begin(), entries.end(), entry->GetID(),
                                     [](const ID& id, const auto& e) { return id < e->GetID(); });
    entries.insert(at, entry);
    entries_.swap(entries);
    nextID_.Advance();
    return entry->GetID();
}

bool EntryDB::Erase(const ID& id)
{
    const auto it = Find(id);
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

bool EntryDB::Contains(const ID& id) const { return Find(id) != entries_.end(); }

std::shared_ptr<SearchResult> EntryDB::Search(const Predicate& predicate) const
{
    SearchResult::Pointers matches;
    for (const auto& entry : entries_)
        if (predicate(*entry)) matches.push_back(entry);
    return std::make_shared<SearchResult>(std::move(matches));
}

int EntryDB::CountUnread() const
{
    int unread = 0;
    for (const auto& entry : entries_) unread += entry->ReadEventLog().CountUnread();
    return unread;
}

}  // namespace MonitoredEntry
