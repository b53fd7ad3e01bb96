#include "MonitoredEntry/EventLog.hpp"

#include "MonitoredEntry/DBException.hpp"

#include <algorithm>

namespace MonitoredEntry {

namespace {

// Drops the oldest events until at most n remain.
void TrimList(EventLog::EventList& events, int n)
{
    const std::size_t keep = n < 0 ? 0 : static_cast<std::size_t>(n);
    if (events.size() > keep) events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(events.size() - keep));
}

}  // namespace

ID EventLog::Append(const EventProperty& property)
{
    for (const Event& logged : events_)
        if (logged.GetProperty().IsSameEvent(property)) OSTREL_THROW(DuplicateEvent());

    // Build the new list aside so that a failure leaves the log as it was.
    EventList events;
    events.reserve(events_.size() + 1);
    events.insert(events.end(), events_.begin(), events_.end());
    const ID id = nextID_;
    events.emplace_back(id, property);
    TrimList(events, max_);
    events_.swap(events);
    nextID_.Advance();
    return id;
}

const Event& EventLog::GetEvent(const ID& id) const
{
    const auto it = std::find_if(events_.begin(), events_.end(), [&](const Event& e) { return e.GetID() == id; });
    if (it == events_.end()) OSTREL_THROW(MissingEvent());
    return *it;
}

void EventLog::SetEvent(const Event& event)
{
    const auto it =
        std::find_if(events_.begin(), events_.end(), [&](const Event& e) { return e.GetID() == event.GetID(); });
    if (it == events_.end()) OSTREL_THROW(MissingEvent());
    *it = event;
}

int EventLog::CountUnread() const
{
    return static_cast<int>(std::count_if(events_.begin(), events_.end(), [](const Event& e) { return !e.GetRead(); }));
}

void EventLog::Trim(int n) { TrimList(events_, n); }

void EventLog::ChangeMax(int max)
{
    if (max < max_) Trim(max);
    max_ = max;
}

}  // namespace MonitoredEntry
