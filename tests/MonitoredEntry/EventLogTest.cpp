#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EventLog.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace MonitoredEntry;

namespace {

EventProperty MakeProperty(const std::wstring& info, const std::string& time = "Tue, 10 Jun 2008 04:00:00 GMT",
                           const boost::optional<std::wstring>& thumb = std::wstring(L"thumb.jpg"),
                           const std::wstring& notice = L"1", const boost::optional<std::wstring>& voice = boost::none)
{
    return EventProperty(L"受信", L"1", "0", notice, info, thumb, voice, boost::none, "0", std::wstring(L"doc"),
                         std::wstring(L"-1"), std::wstring(), std::wstring(L"-1"), std::wstring(L"0"),
                         RSS::EventTime(time), RSS::EventTime(time));
}

std::vector<long> Ids(const EventLog& log)
{
    std::vector<long> ids;
    for (const auto& e : log.GetEventList()) ids.push_back(e.GetID().GetValue());
    return ids;
}

TEST(EventLog, AppendTrimsTheOldestToTheMaximum)
{
    EventLog log(3);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(log.Append(MakeProperty(std::to_wstring(i))), ID(i));
    EXPECT_EQ(Ids(log), (std::vector<long>{2, 3, 4}));
    EXPECT_EQ(log.GetNextID(), ID(5));
    EXPECT_EQ(log.CountUnread(), 3);
    // The duplicate rule only sees what is still logged.
    EXPECT_NO_THROW(log.Append(MakeProperty(L"0")));
}

TEST(EventLog, DuplicateRule)
{
    EventLog log(10);
    log.Append(MakeProperty(L"a"));
    const auto before = Ids(log);
    // Notice bits and voice address take no part.
    EXPECT_THROW(log.Append(MakeProperty(L"a", "Tue, 10 Jun 2008 04:00:00 GMT", std::wstring(L"thumb.jpg"), L"7",
                                         std::wstring(L"voice.wav"))),
                 DuplicateEvent);
    EXPECT_EQ(Ids(log), before);
    EXPECT_EQ(log.GetNextID(), ID(1));
    // The thumbnail's presence, the info and the time do.
    EXPECT_NO_THROW(log.Append(MakeProperty(L"a", "Tue, 10 Jun 2008 04:00:00 GMT", boost::none)));
    EXPECT_NO_THROW(log.Append(MakeProperty(L"b")));
    EXPECT_NO_THROW(log.Append(MakeProperty(L"a", "Tue, 10 Jun 2008 04:00:01 GMT")));
}

TEST(EventLog, TimesThatCannotBeComparedDoNotBlockLogging)
{
    EventLog log(10);
    log.Append(MakeProperty(L"a", "Tue, 10 Jun 2008 04:00 GMT"));
    EXPECT_NO_THROW(log.Append(MakeProperty(L"a", "Tue, 10 Jun 2008 04:00:00 GMT")));
    log.Append(MakeProperty(L"b", "31 Feb 2008 04:00 GMT"));
    EXPECT_NO_THROW(log.Append(MakeProperty(L"b", "30 Feb 2008 04:00 GMT")));
    EXPECT_THROW(log.Append(MakeProperty(L"b", "31 Feb 2008 04:00 GMT")), DuplicateEvent);
    EXPECT_EQ(log.GetEventList().size(), 4u);
}

TEST(EventLog, IdentifierCounterWraps)
{
    EventLog stored({}, ID(2147483647), 5);
    EXPECT_EQ(stored.Append(MakeProperty(L"x")), ID(2147483647));
    EXPECT_EQ(stored.GetNextID(), ID(0));
    EXPECT_EQ(stored.Append(MakeProperty(L"y")), ID(0));
}

TEST(EventLog, GetAndSetByIdentifierKeepPosition)
{
    EventLog log(5);
    for (int i = 0; i < 3; ++i) log.Append(MakeProperty(std::to_wstring(i)));
    Event e = log.GetEvent(ID(1));
    e.SetRead(true);
    log.SetEvent(e);
    EXPECT_EQ(Ids(log), (std::vector<long>{0, 1, 2}));
    EXPECT_TRUE(log.GetEvent(ID(1)).GetRead());
    EXPECT_EQ(log.CountUnread(), 2);
    EXPECT_THROW(log.GetEvent(ID(7)), MissingEvent);
    EXPECT_THROW(log.SetEvent(Event(ID(7), MakeProperty(L"q"))), MissingEvent);
}

TEST(EventLog, LoweringTheMaximumDropsTheOldest)
{
    EventLog log(10);
    for (int i = 0; i < 7; ++i) log.Append(MakeProperty(std::to_wstring(i)));
    log.ChangeMax(4);
    EXPECT_EQ(Ids(log), (std::vector<long>{3, 4, 5, 6}));
    log.ChangeMax(10);
    EXPECT_EQ(Ids(log), (std::vector<long>{3, 4, 5, 6}));
    EXPECT_EQ(log.GetMax(), 10);
    log.Trim(0);
    EXPECT_TRUE(log.GetEventList().empty());
}

TEST(EventLog, CopiesAreIndependent)
{
    EventLog log(5);
    log.Append(MakeProperty(L"a"));
    EventLog copy = log;
    copy.Append(MakeProperty(L"b"));
    EXPECT_EQ(log.GetEventList().size(), 1u);
    EXPECT_EQ(copy.GetEventList().size(), 2u);
}

}  // namespace
