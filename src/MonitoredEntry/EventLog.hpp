#pragma once
// The bounded log of one entry's events, oldest first, with its own identifier
// counter. Logs are values: change a private copy and install it in a copy of the entry.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/Event.hpp"

#include <vector>

namespace MonitoredEntry {

class EventLog {
public:
    using EventList = std::vector<Event>;

    /// An empty log keeping at most `max` events.
    explicit EventLog(int max = 0) : max_(max) {}
    /// A log as stored: nothing is checked.
    EventLog(const EventList& events, const ID& nextID, int max) : events_(events), nextID_(nextID), max_(max) {}

    /// Appends a new unread event and drops the oldest beyond the maximum. Raises
    /// DuplicateEvent, leaving the log unchanged, when the same event is logged.
    ID Append(const EventProperty& property);
    /// Raises MissingEvent when no event has the identifier.
    const Event& GetEvent(const ID& id) const;
    /// Replaces the event with the same identifier in place; raises MissingEvent.
    void SetEvent(const Event& event);
    int CountUnread() const;
    /// Keeps only the newest n events.
    void Trim(int n);

    int GetMax() const { return max_; }
    /// Only stores the value; callers trim first when the maximum shrinks.
    void SetMax(int max) { max_ = max; }
    /// Trims to a lower maximum, then stores it.
    void ChangeMax(int max);

    const EventList& GetEventList() const { return events_; }
    const ID& GetNextID() const { return nextID_; }

private:
    EventList events_;
    ID nextID_;
    int max_ = 0;
};

}  // namespace MonitoredEntry
