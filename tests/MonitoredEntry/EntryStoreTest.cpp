#include "Fixtures.hpp"

#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/Distinction.hpp"
#include "MonitoredEntry/Duplicate.hpp"
#include "MonitoredEntry/EntryDB.hpp"

#include <gtest/gtest.h>

#include <vector>

using namespace MonitoredEntry;
using TestData::Property;

namespace {

std::vector<long> Ids(const EntryDB& db)
{
    std::vector<long> ids;
    for (const auto& e : db.GetEntryList()) ids.push_back(e->GetID().GetValue());
    return ids;
}

TEST(EntryDB, AppendHandsOutIdentifiersThatAreNotReused)
{
    EntryDB db;
    EXPECT_EQ(db.Append(Property(L"a")), ID(0));
    EXPECT_EQ(db.Append(Property(L"b")), ID(1));
    EXPECT_TRUE(db.Erase(ID(0)));
    EXPECT_EQ(db.Append(Property(L"c")), ID(2));
    EXPECT_EQ(Ids(db), (std::vector<long>{1, 2}));
    EXPECT_FALSE(db.Erase(ID(0)));
    EXPECT_EQ(Ids(db), (std::vector<long>{1, 2}));
}

TEST(EntryDB, WrappedCounterSortsNewEntriesToTheirPlace)
{
    EntryDB::EntryList list{std::make_shared<Entry>(ID(5), Property(L"x"))};
    EntryDB db(ID(2147483647), list);
    EXPECT_EQ(db.Append(Property(L"a")), ID(2147483647));
    EXPECT_EQ(db.GetNextID(), ID(0));
    EXPECT_EQ(db.Append(Property(L"b")), ID(0));
    EXPECT_EQ(Ids(db), (std::vector<long>{0, 5, 2147483647}));
}

TEST(EntryDB, InvalidInputIsRefusedWithoutChange)
{
    EntryDB db;
    auto bad = Property(L"a");
    bad.SetMFP(MFP(boost::none, L"not a host", 80, boost::none, false));
    EXPECT_THROW(db.Append(bad), InvalidEntry);
    EXPECT_EQ(db.Count(), 0u);
    EXPECT_EQ(db.GetNextID(), ID(0));

    db.Append(Property(L"a", true, 2));
    // A log over its maximum makes the entry invalid, checked before the identifier.
    auto overfull = std::make_shared<Entry>(ID(42), Property(L"a", true, 2));
    EventLog log(5);
    for (int i = 0; i < 3; ++i) log.Append(TestData::MakeEvent(std::to_wstring(i)));
    log.SetMax(2);
    overfull->SetEventLog(log);
    EXPECT_THROW(db.SetEntry(overfull), InvalidEntry);
    EXPECT_THROW(db.SetEntry(std::make_shared<Entry>(ID(42), Property(L"a"))), MissingEntry);
    EXPECT_THROW(db.GetEntry(ID(42)), MissingEntry);
    // An invalid latest feed too.
    auto withFeed = std::make_shared<Entry>(db.GetEntry(ID(0)));
    withFeed->SetLatestRSSFeed(RSS::RSSFeed("t", "l", "not a date", {}));
    EXPECT_THROW(db.SetEntry(withFeed), InvalidEntry);
}

TEST(EntryDB, SetEntryReplacesThePointerAndEarlierCopiesStayAsTheyWere)
{
    EntryDB db;
    db.Append(Property(L"a"));
    const Entry& before = db.GetEntry(ID(0));
    auto held = db.Search([](const Entry&) { return true; });
    auto copy = std::make_shared<Entry>(before);
    EventLog log = copy->GetEventLog();
    log.Append(TestData::MakeEvent(L"e"));
    copy->SetEventLog(log);
    db.SetEntry(copy);
    EXPECT_EQ(db.GetEntry(ID(0)).ReadEventLog().GetEventList().size(), 1u);
    EXPECT_EQ(held->begin()->ReadEventLog().GetEventList().size(), 0u);
}

TEST(EntryDB, CountUnreadIncludesUnmonitoredEntries)
{
    EntryDB db;
    db.Append(Property(L"a", true));
    db.Append(Property(L"b", false));
    for (long id : {0L, 1L}) {
        auto copy = std::make_shared<Entry>(db.GetEntry(ID(id)));
        EventLog log = copy->GetEventLog();
        log.Append(TestData::MakeEvent(L"1"));
        log.Append(TestData::MakeEvent(L"2"));
        copy->SetEventLog(log);
        db.SetEntry(copy);
    }
    EXPECT_EQ(db.CountUnread(), 4);
    const auto monitored = db.Search([](const Entry& e) { return e.IsMonitoring(); });
    ASSERT_EQ(monitored->size(), 1u);
    EXPECT_EQ(monitored->begin()->GetID(), ID(0));
    EXPECT_TRUE(db.Search([](const Entry&) { return false; })->empty());
}

TEST(Entry, LogMaximumFollowsThePropertyOnlyAtConstruction)
{
    Entry entry(ID(1), Property(L"a", true, 7));
    EXPECT_EQ(entry.ReadEventLog().GetMax(), 7);
    entry.SetProperty(Property(L"a", true, 3));
    EXPECT_EQ(entry.ReadEventLog().GetMax(), 7);
}

TEST(Conditions, DuplicateRules)
{
    const Entry monitoredA(ID(1), Property(L"host", true, 10, L"alice"));
    const Entry monitoredB(ID(2), Property(L"host", true, 10, L"bob"));
    const Entry idleB(ID(3), Property(L"host", false, 10, L"bob"));
    const Entry otherHost(ID(4), Property(L"HOST", true));

    // A new entry may not share the host with any entry, monitored or not.
    const Conditions::Duplicate<EntryProperty> adding(Property(L"host", false, 10, L"carol"));
    EXPECT_TRUE(adding(monitoredA));
    EXPECT_TRUE(adding(idleB));
    EXPECT_FALSE(adding(otherHost));  // hosts compare case-sensitively

    // A changed entry clashes only with other monitored entries, while monitored itself.
    EXPECT_TRUE(Conditions::Duplicate<Entry>(monitoredA)(monitoredB));
    EXPECT_FALSE(Conditions::Duplicate<Entry>(monitoredA)(monitoredA));
    EXPECT_FALSE(Conditions::Duplicate<Entry>(monitoredA)(idleB));
    EXPECT_FALSE(Conditions::Duplicate<Entry>(idleB)(monitoredA));
}

TEST(Distinction, NoticesAnotherMachineOrAccount)
{
    const Entry a(ID(1), Property(L"host", true, 10, L"alice"));
    EXPECT_EQ(Distinction(a), Distinction(Entry(ID(9), Property(L"host", false, 3, L"alice"))));
    EXPECT_NE(Distinction(a), Distinction(Entry(ID(1), Property(L"host", true, 10, L"bob"))));
    EXPECT_NE(Distinction(a), Distinction(Entry(ID(1), Property(L"host2", true, 10, L"alice"))));
    EXPECT_NE(Distinction(a), Distinction());
}

}  // namespace
