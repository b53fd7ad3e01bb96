#include "RSS/RSSFeed.hpp"

#include "RSS/EventTime.hpp"

#include <algorithm>

namespace RSS {

RSSFeed::RSSFeed(const std::string& title, const std::string& link, const std::string& date, const ItemList& items)
    : title_(title), link_(link), date_(date), items_(items)
{
}

bool RSSFeed::IsValid() const
{
    return EventTime::IsValidText(date_) &&
           std::all_of(items_.begin(), items_.end(), [](const Item& item) { return item.IsValid(); });
}

}  // namespace RSS
