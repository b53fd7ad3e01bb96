#pragma once
// One item of a machine's RSS feed: eighteen texts as the machine sent them, in
// their stored order.

#include <string>

namespace RSS {

struct Item {
    std::string title;
    std::string description;      // a thumbnail address or detail lines, from the item's description
    std::string descriptionview;
    std::string descriptiontype;
    std::string category;
    std::string categoryid;
    std::string categorytype;
    std::string categorynotice;
    std::string guid;
    std::string enclosure;
    std::string enclosuretype;
    std::string enclosurelength;
    std::string notify;
    std::string content;
    std::string status;
    std::string notifyid;
    std::string notifydate;
    std::string pub;              // publication date, RFC 822

    /// Valid when its publication date is an accepted RFC 822 time.
    bool IsValid() const;

    friend bool operator==(const Item&, const Item&) = default;
};

}  // namespace RSS
