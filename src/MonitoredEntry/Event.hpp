#pragma once
// One logged event: its identifier in the log, whether the person confirmed it, and
// what the machine reported.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/EventProperty.hpp"

namespace MonitoredEntry {

class Event {
public:
    /// A new, unread event.
    Event(const ID& id, const EventProperty& property) : id_(id), property_(property) {}

    const ID& GetID() const { return id_; }
    const EventProperty& GetProperty() const { return property_; }
    bool GetRead() const { return read_; }
    void SetRead(bool read) { read_ = read; }

private:
    ID id_;
    bool read_ = false;
    EventProperty property_;
};

}  // namespace MonitoredEntry
