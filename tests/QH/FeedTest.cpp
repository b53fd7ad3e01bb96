// Feed analysis, item identity and the mapping of items to events, from fixtures.

#include "HTTP/Error.hpp"
#include "MonitoredEntry/EventProperty.hpp"
#include "QH/Error.hpp"
#include "QH/RSSAnalysis.hpp"

#include "TestSupport.hpp"
#include "TempDir.hpp"

#include <gtest/gtest.h>

using namespace QH;
using HTTP::XML::Parser;

namespace {

Parser ParsedText(const std::string& text)
{
    Parser parser;
    EXPECT_TRUE(parser.Parse(HTTP::Bytes(text.begin(), text.end()))) << text;
    return parser;
}

Parser ParsedFixture(const std::string& name) { return ParsedText(ReadFile(std::string(QH_FIXTURES) + name)); }

const char* kPub = "Tue, 10 Jun 2008 04:00:05 +0900";

// A minimal feed around the given items (or a whole channel body when `channel` is given).
std::string Feed(const std::string& items, const std::string& date = kPub)
{
    return "<rss><channel><title>t</title><link>l</link><lastBuildDate>" + date + "</lastBuildDate>" + items +
           "</channel></rss>";
}

std::string Item(const std::string& guid, const std::string& pub = kPub, const std::string& extra = "")
{
    return "<item><title>x</title><description/><category>c</category><guid>" + guid + "</guid><pubDate>" + pub +
           "</pubDate>" + extra + "</item>";
}

RSS::Item Make(const std::string& guid, const std::string& pub, const std::string& notify)
{
    RSS::Item item;
    item.guid = guid;
    item.pub = pub;
    item.notify = notify;
    return item;
}

}  // namespace

TEST(AnalyzeRSSFeed, ReadsChannelAndItems)
{
    const auto feed = AnalyzeRSSFeed()(ParsedFixture("feed.xml"));
    EXPECT_EQ(feed->GetTitle(), "alice's documents");
    EXPECT_EQ(feed->GetLink(), "http://127.0.0.1/vozoz/norvane?NVF=3");
    EXPECT_EQ(feed->GetDate(), kPub);
    const auto& items = feed->GetItemList();
    ASSERT_EQ(items.size(), 4u);

    const RSS::Item& scan = items[0];
    EXPECT_EQ(scan.title, "Scan from the second floor");
    EXPECT_EQ(scan.description, "http://127.0.0.1/vozoz/norvane?NVF=6&DC=0001");
    EXPECT_EQ(scan.descriptionview, "0");
    EXPECT_EQ(scan.descriptiontype, "html");
    EXPECT_EQ(scan.category, "Scan");
    EXPECT_EQ(scan.categoryid, "2");
    EXPECT_EQ(scan.categorytype, "0");
    EXPECT_EQ(scan.categorynotice, "3");
    EXPECT_EQ(scan.enclosure, "http://127.0.0.1/vozoz/voice/0001.wav");
    EXPECT_EQ(scan.enclosuretype, "audio/wav");
    EXPECT_EQ(scan.enclosurelength, "4410");
    EXPECT_EQ(scan.guid, "doc-0001");
    EXPECT_EQ(scan.notify, "0");
    EXPECT_EQ(scan.content, "");
    EXPECT_EQ(scan.status, "0");
    EXPECT_EQ(scan.notifyid, "0");
    EXPECT_EQ(scan.notifydate, scan.pub);  // empty notify date takes the publication date

    const RSS::Item& list = items[1];  // no notice group at all: the defaults
    EXPECT_EQ(list.description, "A1\nB2\n");
    EXPECT_EQ(list.enclosure, "");
    EXPECT_EQ(list.notify, "-1");
    EXPECT_EQ(list.status, "-1");
    EXPECT_EQ(list.notifyid, "0");
    EXPECT_EQ(list.notifydate, list.pub);

    const RSS::Item& notice = items[2];
    EXPECT_EQ(notice.description, "");
    EXPECT_EQ(notice.notify, "1");
    EXPECT_EQ(notice.content, "Pay the toner bill");
    EXPECT_EQ(notice.notifyid, "15");
    EXPECT_EQ(notice.notifydate, "Wed, 11 Jun 2008 09:00:00 +0900");

    const RSS::Item& partial = items[3];  // four of five notice texts: all defaults
    EXPECT_EQ(partial.description, "");   // the fragment does not parse
    EXPECT_EQ(partial.notify, "-1");
    EXPECT_EQ(partial.content, "");
    EXPECT_EQ(partial.status, "-1");
    EXPECT_EQ(partial.notifyid, "0");
    EXPECT_EQ(partial.notifydate, partial.pub);
}

TEST(AnalyzeRSSFeed, ShiftJisFeedArrivesAsUtf8)
{
    const auto feed = AnalyzeRSSFeed()(ParsedFixture("feed_shift_jis.xml"));
    EXPECT_EQ(feed->GetTitle(), "\xE5\xB1\xB1\xE7\x94\xB0\xE3\x81\xAE\xE6\x96\x87\xE6\x9B\xB8");  // 山田の文書
    ASSERT_EQ(feed->GetItemList().size(), 1u);
    EXPECT_EQ(feed->GetItemList()[0].category, "\xE3\x82\xB9\xE3\x82\xAD\xE3\x83\xA3\xE3\x83\xB3\xE6\x96\x87\xE6\x9B\xB8");
}

TEST(AnalyzeRSSFeed, ItemsStartAtTheFirstItemAndTakeEverySiblingAfterIt)
{
    auto feed = AnalyzeRSSFeed()(ParsedText(Feed("")));
    EXPECT_TRUE(feed->GetItemList().empty());

    // A sibling after the first item is analysed as an item whatever its name; one
    // without the required children fails the whole feed.
    const std::string stray = Feed(Item("1") + "<guid>ignored</guid>" + Item("2"));
    EXPECT_THROW(AnalyzeRSSFeed()(ParsedText(stray)), InvalidRSSFeed);
    feed = AnalyzeRSSFeed()(ParsedText(Feed("<language>ja</language>" + Item("1") + Item("2"))));
    ASSERT_EQ(feed->GetItemList().size(), 2u);
    EXPECT_EQ(feed->GetItemList()[1].guid, "2");
}

TEST(AnalyzeRSSFeed, RejectsUnusableFeeds)
{
    const std::string bad = "Tue, 10 Jun 2008 4:00:05 +0900";
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"no channel", "<rss><title>t</title></rss>"},
        {"no title", "<rss><channel><link>l</link><lastBuildDate>" + std::string(kPub) + "</lastBuildDate></channel></rss>"},
        {"no link", "<rss><channel><title>t</title><lastBuildDate>" + std::string(kPub) + "</lastBuildDate></channel></rss>"},
        {"no build date", "<rss><channel><title>t</title><link>l</link></channel></rss>"},
        {"bad build date", Feed("", bad)},
        {"bad publication date", Feed(Item("1") + Item("2", bad))},
        {"item without guid", Feed("<item><title>x</title><description/><category>c</category><pubDate>" +
                                   std::string(kPub) + "</pubDate></item>")},
        {"item without category", Feed("<item><title>x</title><description/><guid>g</guid><pubDate>" +
                                       std::string(kPub) + "</pubDate></item>")},
        {"item without title", Feed("<item><description/><category>c</category><guid>g</guid><pubDate>" +
                                    std::string(kPub) + "</pubDate></item>")},
        {"item without publication date", Feed("<item><title>x</title><description/><category>c</category>"
                                               "<guid>g</guid></item>")},
    };
    for (const auto& c : cases) EXPECT_THROW(AnalyzeRSSFeed()(ParsedText(c.text)), InvalidRSSFeed) << c.what;

    // No description at all: its text cannot be read.
    const std::string noDescription = Feed("<item><title>x</title><category>c</category><guid>g</guid><pubDate>" +
                                           std::string(kPub) + "</pubDate></item>");
    EXPECT_THROW(AnalyzeRSSFeed()(ParsedText(noDescription)), HTTP::InvalidContentType);
}

TEST(Description, LinkOrTableCells)
{
    struct Case {
        const char* fragment;
        const char* expected;
    } cases[] = {
        {"<a href=\"thumb.jpg\">x</a>", "thumb.jpg"},
        {"<table><tr><td>A1</td><td>B2</td></tr></table>", "A1\nB2\n"},
        {"<div><table><tr><td>A1</td></tr></table><a href=\"thumb.jpg\"/></div>", "thumb.jpg"},
        {"<a name=\"x\">no address</a>", ""},
        {"<p>plain</p>", ""},
        {"<p>unclosed", ""},
        {"just words", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AnalyzeDescription(c.fragment), c.expected) << c.fragment;
}

TEST(ItemIdentity, NoticesByDateOthersByGuid)
{
    EXPECT_TRUE(IsSameItem(Make("a", kPub, "1"), Make("b", kPub, "1")));
    EXPECT_FALSE(IsSameItem(Make("a", kPub, "0"), Make("b", kPub, "0")));
    EXPECT_TRUE(IsSameItem(Make("a", "x", "0"), Make("a", "y", "0")));
    EXPECT_FALSE(IsSameItem(Make("a", "x", "1"), Make("a", "y", "1")));
}

TEST(ItemIdentity, ItemsAfterThePreviousFeedsLastItem)
{
    auto feedOf = [](std::initializer_list<const char*> guids) {
        RSS::RSSFeed feed;
        for (const char* guid : guids) feed.GetItemList().push_back(Make(guid, kPub, "0"));
        return feed;
    };
    struct Case {
        RSS::RSSFeed previous, current;
        std::ptrdiff_t expected;
    } cases[] = {
        {feedOf({}), feedOf({"a", "b"}), 0},
        {feedOf({"a", "b"}), feedOf({"a", "b", "c", "d"}), 2},
        {feedOf({"a", "b"}), feedOf({"b", "c"}), 1},
        {feedOf({"a", "b"}), feedOf({"a", "b"}), 2},
        {feedOf({"a", "b"}), feedOf({"x", "y"}), 0},       // not found: everything is new
        {feedOf({"b"}), feedOf({"b", "c", "b", "d"}), 3},  // searched from the end
    };
    for (const auto& c : cases) {
        const auto& items = c.current.GetItemList();
        EXPECT_EQ(ItemsAfter(c.previous, c.current) - items.begin(), c.expected);
    }
}

TEST(ItemMapping, DocumentsDetailListsAndNotices)
{
    const auto feed = AnalyzeRSSFeed()(ParsedFixture("feed.xml"));
    const auto& items = feed->GetItemList();

    const auto scan = ToEventProperty(items[0]);
    EXPECT_EQ(scan.GetCategory(), L"Scan");
    EXPECT_EQ(scan.GetInfo(), L"Scan from the second floor");
    EXPECT_EQ(scan.GetThumbNailURL(), std::wstring(L"http://127.0.0.1/vozoz/norvane?NVF=6&DC=0001"));
    EXPECT_EQ(scan.GetDocID(), std::wstring(L"doc-0001"));
    EXPECT_EQ(scan.GetVoiceURL(), std::wstring(L"http://127.0.0.1/vozoz/voice/0001.wav"));
    EXPECT_FALSE(scan.GetDetailList());
    EXPECT_EQ(scan.GetCategorynotice(), L"3");
    EXPECT_EQ(scan.GetTime().GetText(), items[0].pub);
    EXPECT_EQ(scan.GetNotifyDate().GetText(), items[0].pub);

    const auto list = ToEventProperty(items[1]);
    EXPECT_EQ(list.GetDetailList(), std::wstring(L"A1\nB2\n"));
    EXPECT_FALSE(list.GetThumbNailURL());
    EXPECT_FALSE(list.GetDocID());
    EXPECT_FALSE(list.GetVoiceURL());
    EXPECT_EQ(list.GetNotify(), std::wstring(L"-1"));

    const auto notice = ToEventProperty(items[2]);
    EXPECT_FALSE(notice.GetThumbNailURL());  // empty description
    EXPECT_FALSE(notice.GetDocID());
    EXPECT_FALSE(notice.GetVoiceURL());      // wav type, but no address
    EXPECT_EQ(notice.GetContent(), std::wstring(L"Pay the toner bill"));
    EXPECT_EQ(notice.GetNotifyId(), std::wstring(L"15"));
    EXPECT_EQ(notice.GetNotifyDate().GetDay(), 11);

    // A detail list even when empty; a description is a list only for type 1 and view 1.
    RSS::Item item = items[1];
    item.description.clear();
    EXPECT_EQ(ToEventProperty(item).GetDetailList(), std::wstring());
    item.descriptionview = "0";
    item.description = "A1\n";
    EXPECT_FALSE(ToEventProperty(item).GetDetailList());
    EXPECT_EQ(ToEventProperty(item).GetThumbNailURL(), std::wstring(L"A1\n"));

    item.notifydate = "tomorrow";
    EXPECT_THROW(ToEventProperty(item), RSS::InvalidTimeString);
}
