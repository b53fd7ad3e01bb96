#include "MonitoredEntry/EntryManager.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/Duplicate.hpp"

#include <algorithm>

namespace MonitoredEntry {

EntryManager::EntryManager() : EntryManager(EntryDB()) {}

EntryManager::EntryManager(EntryDB store)
    : db_(std::move(store)), worker_(queue_, [this](const NotifyRequest&) { CallObservers(); })
{
    worker_.start();
}

EntryManager::~EntryManager()
{
    queue_.disable();
    worker_.stop();
}

std::shared_ptr<Entry> EntryManager::GetEntryCopy(const ID& id) const
{
    std::lock_guard lock(mutex_);
    return std::make_shared<Entry>(db_.GetEntry(id));
}

std::shared_ptr<SearchResult> EntryManager::Search(const EntryDB::Predicate& predicate) const
{
    std::lock_guard lock(mutex_);
    return db_.Search(predicate);
}

std::shared_ptr<SearchResult> EntryManager::SearchMonitoring() const
{
    return Search([](const Entry& entry) { return entry.IsMonitoring(); });
}

bool EntryManager::AddObserver(Observer* observer)
{
    {
        std::lock_guard lock(observersMutex_);
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return false;
        observers_.push_back(observer);
    }
    Notify();
    return true;
}

bool EntryManager::RemoveObserver(Observer* observer)
{
    std::lock_guard lock(observersMutex_);
    const auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end()) return false;
    observers_.erase(it);
    return true;
}

void EntryManager::Notify()
{
    // One waiting request reaches every observer, so a second one is dropped; a
    // stopped queue means nobody listens any more.
    try {
        queue_.try_push(NotifyRequest());
    } catch (...) {
    }
}

void EntryManager::CallObservers()
{
    std::lock_guard lock(observersMutex_);
    for (Observer* observer : observers_) observer->OnEntryChanged(*this);
}

EntryManager::Transaction::Transaction(EntryManager& manager) : manager_(manager), lock_(manager.mutex_)
{
    EntryDB copy(manager.db_.GetNextID(), manager.db_.GetEntryList());
    snapshot_.Swap(copy);
}

EntryManager::Transaction::~Transaction()
{
    if (committed_) {
        lock_.unlock();
        manager_.Notify();
    } else {
        manager_.db_.Swap(snapshot_);
        lock_.unlock();
    }
}

void EntryManager::Transaction::SetEntry(const std::shared_ptr<Entry>& entry)
{
    if (entry && !manager_.db_.Search(Conditions::Duplicate<Entry>(*entry))->empty())
        OSTREL_THROW(DuplicateEntry());
    manager_.db_.SetEntry(entry);
}

const ID& EntryManager::Transaction::Append(const EntryProperty& property)
{
    const int limit = Limits::Current().entryMax;
    if (manager_.db_.Count() >= static_cast<std::size_t>(std::max(limit, 0))) OSTREL_THROW(OverLimitEntryCount());
    if (!manager_.db_.Search(Conditions::Duplicate<EntryProperty>(property))->empty())
        OSTREL_THROW(DuplicateEntry());
    return manager_.db_.Append(property);
}

bool EntryManager::Transaction::Erase(const ID& id) { return manager_.db_.Erase(id); }

}  // namespace MonitoredEntry
