// The per-user RSS feeds: who may read them, when they change and what their items hold.

#include "SimFixture.hpp"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <memory>
#include <vector>

namespace SimTest {
namespace {

using Fields = std::map<std::string, std::string>;  // "title", "category@notice", ...

struct ParsedFeed {
    std::vector<std::string> channelChildren;
    std::vector<Fields> items;
};

std::string Text(const xmlNode* node)
{
    xmlChar* text = xmlNodeGetContent(node);
    std::string result = reinterpret_cast<const char*>(text);
    xmlFree(text);
    return result;
}

ParsedFeed Parse(const std::string& xml)
{
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "feed.xml", nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS),
        &xmlFreeDoc);
    if (!doc) throw std::runtime_error("feed is not XML");
    ParsedFeed feed;
    const xmlNode* channel = xmlDocGetRootElement(doc.get())->children;
    for (const xmlNode* n = channel->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE) continue;
        const std::string name = reinterpret_cast<const char*>(n->name);
        feed.channelChildren.push_back(name);
        if (name != "item") continue;
        Fields fields;
        for (const xmlNode* f = n->children; f; f = f->next) {
            const std::string fname = reinterpret_cast<const char*>(f->name);
            fields[fname] = Text(f);
            for (const xmlAttr* a = f->properties; a; a = a->next)
                fields[fname + "@" + reinterpret_cast<const char*>(a->name)] = Text(a->children);
        }
        feed.items.push_back(fields);
    }
    return feed;
}

class Feeds : public SimFixture {};

TEST_F(Feeds, OnlyTheUsersOwnCredentialsReadTheFeed)
{
    Subscribe("alice", "secret");
    Answer none = ReadFeed("alice", "", "");
    EXPECT_EQ(none.status, 401);
    EXPECT_NE(none.wwwAuthenticate.find("Basic"), std::string::npos);
    EXPECT_EQ(ReadFeed("alice", "alice", "wrong").status, 403);
    EXPECT_EQ(ReadFeed("alice", "bob", "hunter2").status, 403);  // right password, other user
    EXPECT_EQ(ReadFeed("alice", "carol", "secret").status, 403);
    EXPECT_EQ(ReadFeed("alice", "alice", "secret").status, 200);
}

TEST_F(Feeds, WithoutSubscriptionTheFeedIsNotRegistered)
{
    Answer answer = ReadFeed("alice", "alice", "secret");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(FirstText(answer.body, "RESULT"), "FAIL_NO_FEED_REGISTERED");
    Subscribe("alice", "secret");
    ASSERT_EQ(Result(Request("UNSUBSCRIBETOFEED", "<USERNAME>alice</USERNAME>")), "SUCCESS");
    EXPECT_EQ(FirstText(ReadFeed("alice", "alice", "secret").body, "RESULT"), "FAIL_NO_FEED_REGISTERED");
}

TEST_F(Feeds, TheFeedChangesOnlyWhenSomethingHappens)
{
    Subscribe("alice", "secret");
    const std::string first = ReadFeed("alice", "alice", "secret").body;
    ParsedFeed empty = Parse(first);
    EXPECT_TRUE(empty.items.empty());
    EXPECT_EQ(empty.channelChildren.size(), 6u);  // title, link, description, language, generator, lastBuildDate
    Subscribe("alice", "secret");                 // a renewal is no event
    EXPECT_EQ(ReadFeed("alice", "alice", "secret").body, first);

    machine.PublishScan("bob");  // someone else's event
    EXPECT_EQ(ReadFeed("alice", "alice", "secret").body, first);
    machine.PublishScan("alice");
    const std::string second = ReadFeed("alice", "alice", "secret").body;
    EXPECT_NE(second, first);
    EXPECT_EQ(ReadFeed("alice", "alice", "secret").body, second);
}

TEST_F(Feeds, ItemsComeOldestFirstAfterTheChannelFields)
{
    Subscribe("alice", "secret");
    const std::string scan = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Pdf, "Report");
    machine.PublishDetailList("alice", "Job list", {"A1", "B2 & C3"});
    const std::string notice = machine.PublishNotice("alice", "支払期限", "2");
    const std::string fax = machine.PublishFax("alice");
    ParsedFeed feed = Parse(ReadFeed("alice", "alice", "secret").body);

    ASSERT_EQ(feed.items.size(), 4u);
    // Readers take every sibling after the first item as an item: items close the channel.
    const auto& names = feed.channelChildren;
    EXPECT_EQ(std::vector<std::string>(names.end() - 4, names.end()), std::vector<std::string>(4, "item"));

    const Fields& s = feed.items[0];
    EXPECT_EQ(s.at("title"), "Report");
    EXPECT_EQ(s.at("guid"), scan);
    EXPECT_EQ(s.at("category@type"), "0");
    EXPECT_EQ(s.at("description@view"), "0");
    // The description is an HTML fragment whose link ends with the document code.
    const std::string& d = s.at("description");
    EXPECT_EQ(d.rfind("<a href=\"", 0), 0u) << d;
    EXPECT_NE(d.find("&amp;DC=" + scan + "\""), std::string::npos) << d;
    EXPECT_EQ(s.at("enclosure@type"), "audio/wav");
    EXPECT_NE(s.at("enclosure@url").find("/vozoz/voice/"), std::string::npos);
    EXPECT_EQ(s.count("notify"), 0u);

    const Fields& list = feed.items[1];
    EXPECT_EQ(list.at("category@type"), "1");
    EXPECT_EQ(list.at("description@view"), "1");
    EXPECT_EQ(list.at("description"), "<table><tbody><tr><td>A1</td></tr><tr><td>B2 &amp; C3</td></tr></tbody></table>");

    const Fields& n = feed.items[2];
    EXPECT_EQ(n.at("notify"), "1");
    EXPECT_EQ(n.at("content"), "支払期限");
    EXPECT_EQ(n.at("status"), "2");
    EXPECT_EQ(n.at("notifyid"), notice);
    EXPECT_EQ(n.at("notifydate"), n.at("pubDate"));

    EXPECT_EQ(feed.items[3].at("guid"), fax);
    EXPECT_EQ(feed.items[3].at("category@id"), "2");
}

TEST_F(Feeds, NoticesNeverShareATimeAndTheOldestItemsGo)
{
    for (int i = 0; i < 120; ++i) machine.PublishNotice("alice", "due " + std::to_string(i), "0");
    Subscribe("alice", "secret");
    ParsedFeed feed = Parse(ReadFeed("alice", "alice", "secret").body);
    ASSERT_EQ(feed.items.size(), 100u);
    EXPECT_EQ(feed.items.front().at("content"), "due 20");
    EXPECT_EQ(feed.items.back().at("content"), "due 119");
    // Readers tell notices apart by their times.
    for (std::size_t i = 1; i < feed.items.size(); ++i)
        EXPECT_NE(feed.items[i].at("pubDate"), feed.items[i - 1].at("pubDate"));
}

TEST_F(Feeds, PublishingForAnUnknownUserIsRefused)
{
    EXPECT_THROW(machine.PublishScan("carol"), std::invalid_argument);
    EXPECT_THROW(machine.PublishNotice("alice", "x", "7"), std::invalid_argument);
}

class ShiftJisFeeds : public SimFixture {
protected:
    ShiftJisFeeds() : SimFixture(Options()) {}
    static QuillhavenSim::Options Options()
    {
        QuillhavenSim::Options options;
        options.shiftJisFeed = true;
        return options;
    }
};

TEST_F(ShiftJisFeeds, TheFeedIsEncodedAsItDeclares)
{
    Subscribe("alice", "secret");
    machine.PublishNotice("alice", "支払期限", "0");
    Answer answer = ReadFeed("alice", "alice", "secret");
    EXPECT_NE(answer.body.find("encoding=\"Shift_JIS\""), std::string::npos);
    EXPECT_NE(answer.contentType.find("Shift_JIS"), std::string::npos);
    EXPECT_NE(answer.body.find("\x8E\x78\x95\xA5"), std::string::npos);  // 支払 in Shift_JIS
    EXPECT_EQ(answer.body.find("支払"), std::string::npos);              // not UTF-8
    ParsedFeed feed = Parse(answer.body);
    ASSERT_EQ(feed.items.size(), 1u);
    EXPECT_EQ(feed.items[0].at("content"), "支払期限");
}

}  // namespace
}  // namespace SimTest
