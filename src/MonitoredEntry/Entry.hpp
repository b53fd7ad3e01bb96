#pragma once
// One monitored entry: identifier, property, event log and the last feed read for it.
// Copies share the event log; change a log through a private copy and SetEventLog.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/EntryProperty.hpp"
#include "MonitoredEntry/EventLog.hpp"
#include "RSS/RSSFeed.hpp"

#include <boost/optional.hpp>

#include <memory>

namespace MonitoredEntry {

class Entry {
public:
    /// A new entry with an empty log of the property's LogMax and no feed.
    Entry(const ID& id, const EntryProperty& property);

    const ID& GetID() const { return id_; }
    const EntryProperty& GetProperty() const { return property_; }
    /// Replaces the property; the event log and its maximum stay as they are.
    void SetProperty(const EntryProperty& property) { property_ = property; }
    bool IsMonitoring() const { return property_.GetMonitoring(); }

    /// An independent copy of the log, to change and install with SetEventLog.
    EventLog GetEventLog() const { return *log_; }
    /// The shared log itself, for reading without a copy.
    const EventLog& ReadEventLog() const { return *log_; }
    void SetEventLog(const EventLog& log) { log_ = std::make_shared<const EventLog>(log); }

    /// Null until the first successful read of the feed.
    const std::shared_ptr<const RSS::RSSFeed>& GetLatestRSSFeed() const { return feed_; }
    void SetLatestRSSFeed(const boost::optional<RSS::RSSFeed>& feed);

    /// The property is valid, the log holds no more than its maximum and a present
    /// feed is valid.
    bool IsValid() const;

private:
    ID id_;
    EntryProperty property_;
    std::shared_ptr<const EventLog> log_;
    std::shared_ptr<const RSS::RSSFeed> feed_;  // feeds are never changed in place
};

}  // namespace MonitoredEntry
