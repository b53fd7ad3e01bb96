#include "MonitoredEntry/Entry.hpp"

#include <algorithm>

namespace MonitoredEntry {

Entry::Entry(const ID& id, const EntryProperty& property)
    : id_(id), property_(property), log_(std::make_shared<const EventLog>(property.GetConfig().GetLogMax()))
{
}

void Entry::SetLatestRSSFeed(const boost::optional<RSS::RSSFeed>& feed)
{
    feed_ = feed ? std::make_shared<const RSS::RSSFeed>(*feed) : nullptr;
}

bool Entry::IsValid() const
{
    if (!property_.IsValid()) return false;
    if (log_->GetEventList().size() > static_cast<std::size_t>(std::max(log_->GetMax(), 0))) return false;
    return !feed_ || feed_->IsValid();
}

}  // namespace MonitoredEntry
