#pragma once
// A new feed item of one entry on its way to the entry's event log, and the queue
// that carries such items from the event monitors to the detected-event manager.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/EventProperty.hpp"

#include <ostrel/thread/sync_queue.hpp>

#include <memory>

namespace MachineEvent {

class DetectedEvent {
public:
    DetectedEvent(const ID& entryID, const MonitoredEntry::EventProperty& property)
        : entryID_(entryID), property_(property)
    {
    }

    const ID& GetEntryID() const { return entryID_; }
    const MonitoredEntry::EventProperty& GetProperty() const { return property_; }

private:
    ID entryID_;
    MonitoredEntry::EventProperty property_;
};

using DetectedEventPointer = std::shared_ptr<const DetectedEvent>;
using DetectedEventQueue = ostrel::sync_queue<DetectedEventPointer>;

/// The integer value of a Categorynotice text: its leading decimal digits, 0 when there
/// are none; values beyond the int range count as the largest int.
int NoticeBits(const std::wstring& categorynotice);

}  // namespace MachineEvent
