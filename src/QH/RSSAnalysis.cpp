#include "QH/RSSAnalysis.hpp"

#include "MonitoredEntry/EventProperty.hpp"
#include "QH/Error.hpp"
#include "Utility/Text.hpp"

#include <ostrel/exception.hpp>

using HTTP::XML::Node;
using HTTP::XML::Parser;
using HTTP::XML::Path;

namespace QH {

namespace {

std::string Attribute(const std::map<std::string, std::string>& attributes, const std::string& name)
{
    auto it = attributes.find(name);
    return it == attributes.end() ? std::string() : it->second;
}

std::map<std::string, std::string> AttributesOf(const Parser::Iterator& element)
{
    return element.IsEnd() ? std::map<std::string, std::string>() : (*element).GetAttributes();
}

}  // namespace

std::unique_ptr<RSS::RSSFeed> AnalyzeRSSFeed::operator()(const Parser& parser) const
{
    const Parser::Iterator channel = parser.FindFirst("CHANNEL");
    if (channel.IsEnd()) OSTREL_THROW(InvalidRSSFeed());
    auto text = [&](const char* name) { return (*AnalyzeItem::Pimpl::Find(parser, channel, Path(name))).GetString(); };

    auto feed = std::make_unique<RSS::RSSFeed>();
    feed->SetTitle(text("TITLE"));
    feed->SetLink(text("LINK"));
    feed->SetDate(text("LASTBUILDDATE"));

    // The first ITEM and every sibling after it count as items, whatever their names.
    const AnalyzeItem analyze(parser);
    RSS::RSSFeed::ItemList& items = feed->GetItemList();
    for (Parser::Iterator item = parser.FindPath(channel, Path("ITEM")); !item.IsEnd(); ++item)
        items.push_back(analyze(item));

    if (!feed->IsValid()) OSTREL_THROW(InvalidRSSFeed());
    return feed;
}

Parser::Iterator AnalyzeItem::Pimpl::Find(const Parser& parser, const Parser::Iterator& item, const Path& path)
{
    Parser::Iterator found = parser.FindPath(item, path);
    if (found.IsEnd()) OSTREL_THROW(InvalidRSSFeed());
    return found;
}

RSS::Item AnalyzeItem::operator()(const Parser::Iterator& element) const
{
    auto required = [&](const char* name) { return (*Pimpl::Find(parser, element, Path(name))).GetString(); };

    RSS::Item item;
    item.title = required("TITLE");

    const Parser::Iterator description = parser.FindPath(element, Path("DESCRIPTION"));
    item.description = AnalyzeDescription((*description).GetString());
    const auto descriptionAttributes = AttributesOf(description);
    item.descriptionview = Attribute(descriptionAttributes, "view");
    item.descriptiontype = Attribute(descriptionAttributes, "type");

    const Parser::Iterator category = Pimpl::Find(parser, element, Path("CATEGORY"));
    item.category = (*category).GetString();
    const auto categoryAttributes = (*category).GetAttributes();
    item.categoryid = Attribute(categoryAttributes, "id");
    item.categorytype = Attribute(categoryAttributes, "type");
    item.categorynotice = Attribute(categoryAttributes, "notice");

    const auto enclosure = AttributesOf(parser.FindPath(element, Path("ENCLOSURE")));
    item.enclosure = Attribute(enclosure, "url");
    item.enclosuretype = Attribute(enclosure, "type");
    item.enclosurelength = Attribute(enclosure, "length");

    item.guid = required("GUID");
    item.pub = required("PUBDATE");

    // The notice texts count only as a group of five.
    try {
        item.notify = required("NOTIFY");
        item.content = required("CONTENT");
        item.status = required("STATUS");
        item.notifyid = required("NOTIFYID");
        item.notifydate = required("NOTIFYDATE");
        if (item.notifydate.empty()) item.notifydate = item.pub;
    } catch (const InvalidRSSFeed&) {
        item.notify = "-1";
        item.content.clear();
        item.status = "-1";
        item.notifyid = "0";
        item.notifydate = item.pub;
    }
    return item;
}

std::string AnalyzeDescription(const std::string& fragment)
{
    Parser parser;
    if (!parser.Parse(HTTP::Bytes(fragment.begin(), fragment.end()))) return {};
    const Parser::Iterator link = parser.FindFirst("A");
    if (!link.IsEnd()) return Attribute((*link).GetAttributes(), "href");
    std::string lines;
    for (Parser::Iterator cell = parser.FindFirst("TD"); !cell.IsEnd(); cell = parser.FindNext("TD")) {
        lines += (*cell).GetString();
        lines += '\n';
    }
    return lines;
}

bool IsSameItem(const RSS::Item& remembered, const RSS::Item& item)
{
    return item.notify == "1" ? remembered.pub == item.pub : remembered.guid == item.guid;
}

RSS::RSSFeed::ItemList::const_iterator ItemsAfter(const RSS::RSSFeed& previous, const RSS::RSSFeed& current)
{
    const auto& items = current.GetItemList();
    if (previous.GetItemList().empty()) return items.begin();
    const RSS::Item& last = previous.GetItemList().back();
    for (auto it = items.end(); it != items.begin();) {
        --it;
        if (IsSameItem(last, *it)) return it + 1;
    }
    return items.begin();
}

bool IsDetailList(const RSS::Item& item) { return item.categorytype == "1" && item.descriptionview == "1"; }

MonitoredEntry::EventProperty ToEventProperty(const RSS::Item& item)
{
    using Text::Widen;
    using Optional = MonitoredEntry::EventProperty::OptionalText;
    const bool detailList = IsDetailList(item);
    const bool document = !detailList && !item.description.empty();
    const bool voice = item.enclosuretype == "audio/wav" && !item.enclosure.empty();
    return MonitoredEntry::EventProperty(
        Widen(item.category), Widen(item.categoryid), item.categorytype, Widen(item.categorynotice), Widen(item.title),
        document ? Optional(Widen(item.description)) : Optional(), voice ? Optional(Widen(item.enclosure)) : Optional(),
        detailList ? Optional(Widen(item.description)) : Optional(), item.descriptionview,
        document ? Optional(Widen(item.guid)) : Optional(), Optional(Widen(item.notify)), Optional(Widen(item.content)),
        Optional(Widen(item.status)), Optional(Widen(item.notifyid)), RSS::EventTime(item.notifydate),
        RSS::EventTime(item.pub));
}

}  // namespace QH
