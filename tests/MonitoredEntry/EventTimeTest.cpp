#include "RSS/EventTime.hpp"
#include "RSS/RSSFeed.hpp"

#include <ostrel/network/rfc822_date_parser.hpp>

#include <boost/optional/optional_io.hpp>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Rfc822DateParser, AcceptsExactlyTheGrammar)
{
    struct Case {
        const char* text;
        bool accepted;
    } cases[] = {
        {"Tue, 10 Jun 2008 04:00:00 GMT", true},
        {"10 Jun 2008 04:00:00 +0900", true},
        {"Tue 10 Jun 2008 04:00:00 GMT", false},    // no comma
        {"Tue , 10 Jun 2008 04:00:00 GMT", false},  // blank before the comma
        {"1 Jan 2008 9:05 GMT", false},             // one-digit hour
        {"01 Jan 08 09:05 GMT", false},             // two-digit year
        {"01 Jan 20080 09:05 GMT", false},
        {"01 jan 2008 09:05 GMT", false},
        {"tue, 01 Jan 2008 09:05 GMT", false},
        {"01 Jan 2008 09:05 Z", true},
        {"01 Jan 2008 09:05 A", true},
        {"01 Jan 2008 09:05 J", false},
        {"01 Jan 2008 09:05 z", false},
        {"01 Jan 2008 09:05 GMT+0900", false},
        {"01 Jan 2008 09:05 UTC", false},
        {"01 Jan 2008 09:05 +090", false},
        {"01 Jan 2008 09:05 +09000", false},
        {"01 Jan 2008 09: 05 GMT", false},
        {"01 Jan 2008 09:05:0 GMT", false},
        {"123 Jan 2008 09:05 GMT", false},
        {"  01 Jan 2008 09:05 GMT \r\n", true},
        {"01\tJan 2008\t09:05\tGMT", true},
        {"Sat,01 Jan 2008 09:05 EDT", true},
        {"99 Jan 2008 99:99:99 PDT", true},  // no range checks
        {"0 Jan 2008 00:00 -1200", true},
        {"", false},
        {"01 Jan 2008 09:05", false},
    };
    for (const auto& c : cases) {
        ostrel::network::rfc822_date_parser parser;
        EXPECT_EQ(parser.parse(c.text), c.accepted) << '"' << c.text << '"';
        EXPECT_EQ(parser.full(), c.accepted);
    }
}

TEST(Rfc822DateParser, FillsTheFields)
{
    ostrel::network::rfc822_date_parser parser;
    ASSERT_TRUE(parser.parse("Sat, 7 Dec 2024 23:59:58 -0830"));
    EXPECT_EQ(parser.weekday(), 7);
    EXPECT_EQ(parser.day(), 7);
    EXPECT_EQ(parser.month(), 12);
    EXPECT_EQ(parser.year(), 2024);
    EXPECT_EQ(parser.hour(), 23);
    EXPECT_EQ(parser.minute(), 59);
    EXPECT_EQ(parser.second(), 58);
    EXPECT_EQ(parser.zone(), "-0830");
    ASSERT_TRUE(parser.parse("01 Jan 2008 09:05 EST"));
    EXPECT_EQ(parser.weekday(), -1);
    EXPECT_EQ(parser.second(), -1);
    EXPECT_EQ(parser.zone(), "EST");
}

TEST(EventTime, RejectsWhatTheParserRejects)
{
    EXPECT_THROW(RSS::EventTime("Tue 10 Jun 2008 04:00:00 GMT"), RSS::InvalidTimeString);
    EXPECT_THROW(RSS::EventTime(""), RSS::InvalidTimeString);
    const RSS::EventTime t("Tue, 10 Jun 2008 04:00:05 +0900");
    EXPECT_EQ(t.GetText(), "Tue, 10 Jun 2008 04:00:05 +0900");
    EXPECT_EQ(t.GetWeekday(), boost::optional<int>(3));
    EXPECT_EQ(t.GetZone(), "+0900");
}

TEST(EventTime, DisplayTextIsAsWritten)
{
    EXPECT_EQ(RSS::EventTime("Tue, 10 Jun 2008 04:00:05 +0900").ToDisplayText(), L"2008/06/10 04:00:05");
    EXPECT_EQ(RSS::EventTime("1 Jan 2008 09:05 GMT").ToDisplayText(), L"2008/01/01 09:05");
}

TEST(EventTime, ComparesAsWrittenIgnoringZoneAndWeekday)
{
    using RSS::EventTime;
    EXPECT_TRUE(EventTime("01 Jan 2008 09:05:00 GMT") == EventTime("Tue, 01 Jan 2008 09:05:00 +0900"));
    EXPECT_TRUE(EventTime("01 Jan 2008 09:05:00 GMT") < EventTime("01 Jan 2008 09:05:01 GMT"));
    EXPECT_FALSE(EventTime("01 Jan 2008 09:05:01 GMT") < EventTime("01 Jan 2008 09:05:01 GMT"));
    EXPECT_TRUE(EventTime("31 Dec 2007 23:59 GMT") < EventTime("01 Jan 2008 00:00 GMT"));
    // Values beyond their range carry over: minute 61 is one hour and one minute.
    EXPECT_TRUE(EventTime("01 Jan 2008 09:61 GMT") == EventTime("01 Jan 2008 10:01 GMT"));
}

TEST(EventTime, ComparisonFailures)
{
    using RSS::EventTime;
    EXPECT_THROW((void)(EventTime("01 Jan 2008 09:05 GMT") == EventTime("01 Jan 2008 09:05:00 GMT")),
                 RSS::IncompatibleTimeString);
    EXPECT_THROW((void)(EventTime("01 Jan 2008 09:05:00 GMT") < EventTime("01 Jan 2008 09:05 GMT")),
                 RSS::IncompatibleTimeString);
    const EventTime impossible("31 Feb 2008 09:05 GMT");  // builds; fails only when compared
    EXPECT_THROW((void)(impossible == EventTime("01 Feb 2008 09:05 GMT")), std::out_of_range);
    EXPECT_THROW((void)(EventTime("01 Jan 1399 09:05 GMT") < EventTime("01 Jan 2008 09:05 GMT")), std::out_of_range);
}

TEST(RSSFeed, ValidityTestsTheBuildDateAndEveryPublicationDate)
{
    RSS::Item item;
    item.pub = "Tue, 10 Jun 2008 04:00:00 GMT";
    item.notifydate = "not a time";  // not tested by validity
    RSS::RSSFeed feed("title", "link", "Tue, 10 Jun 2008 04:00:00 GMT", {item});
    EXPECT_TRUE(feed.IsValid());
    EXPECT_TRUE(RSS::RSSFeed("t", "l", "10 Jun 2008 04:00 GMT", {}).IsValid());
    feed.SetDate("yesterday");
    EXPECT_FALSE(feed.IsValid());
    feed.SetDate("Tue, 10 Jun 2008 04:00:00 GMT");
    feed.GetItemList()[0].pub = "10 Jun 08 04:00 GMT";
    EXPECT_FALSE(feed.IsValid());
}

}  // namespace
