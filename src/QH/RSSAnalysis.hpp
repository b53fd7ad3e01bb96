#pragma once
// Turning a machine's feed answer into RSS::RSSFeed and its items into events.

#include "HTTP/XML.hpp"
#include "RSS/Item.hpp"
#include "RSS/RSSFeed.hpp"

#include <memory>

namespace MonitoredEntry {
class EventProperty;
}

namespace QH {

/// The feed of a parsed answer; throws QH::InvalidRSSFeed when it is not usable.
class AnalyzeRSSFeed {
public:
    std::unique_ptr<RSS::RSSFeed> operator()(const HTTP::XML::Parser& parser) const;
};

/// One item element; throws QH::InvalidRSSFeed when a required child is missing.
class AnalyzeItem {
public:
    explicit AnalyzeItem(const HTTP::XML::Parser& parser) : parser(parser) {}
    RSS::Item operator()(const HTTP::XML::Parser::Iterator& item) const;

    struct Pimpl {
        /// The child of that name, or QH::InvalidRSSFeed.
        static HTTP::XML::Parser::Iterator Find(const HTTP::XML::Parser& parser,
                                                const HTTP::XML::Parser::Iterator& item, const HTTP::XML::Path& path);
    };

private:
    const HTTP::XML::Parser& parser;
};

/// The text of an item's description: the first link's address, or the table cells'
/// texts each followed by a line feed, or empty.
std::string AnalyzeDescription(const std::string& fragment);

/// A remembered item and an item of a new reading are the same item: for notices
/// (notify "1") equal publication dates, otherwise equal guids.
bool IsSameItem(const RSS::Item& remembered, const RSS::Item& item);

/// Position in `current`'s items of the first item after the last item of `previous`
/// (the start when that item is not found, or `previous` has no items).
RSS::RSSFeed::ItemList::const_iterator ItemsAfter(const RSS::RSSFeed& previous, const RSS::RSSFeed& current);

/// True when the item's description holds detail lines rather than a thumbnail address.
bool IsDetailList(const RSS::Item& item);

/// The event an item stands for. Throws RSS::InvalidTimeString for an unreadable
/// notification or publication date.
MonitoredEntry::EventProperty ToEventProperty(const RSS::Item& item);

}  // namespace QH
