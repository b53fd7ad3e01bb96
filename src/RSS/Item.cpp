#include "RSS/Item.hpp"

#include "RSS/EventTime.hpp"

namespace RSS {

bool Item::IsValid() const { return EventTime::IsValidText(pub); }

}  // namespace RSS
