#pragma once
// One reading of a machine's RSS feed: the channel's title, link and build date, and
// its items in document order. Copies are independent.

#include "RSS/Item.hpp"

#include <string>
#include <vector>

namespace RSS {

class RSSFeed {
public:
    using ItemList = std::vector<Item>;

    RSSFeed() = default;
    RSSFeed(const std::string& title, const std::string& link, const std::string& date, const ItemList& items);

    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    const std::string& GetLink() const { return link_; }
    void SetLink(const std::string& value) { link_ = value; }
    /// The channel's last build date, RFC 822.
    const std::string& GetDate() const { return date_; }
    void SetDate(const std::string& value) { date_ = value; }
    const ItemList& GetItemList() const { return items_; }
    ItemList& GetItemList() { return items_; }
    void SetItemList(const ItemList& value) { items_ = value; }

    /// The build date and every item's publication date are accepted RFC 822 times.
    bool IsValid() const;

    friend bool operator==(const RSSFeed&, const RSSFeed&) = default;

private:
    std::string title_;
    std::string link_;
    std::string date_;
    ItemList items_;
};

}  // namespace RSS
