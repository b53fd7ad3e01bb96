// The viewer's event view: which entry is shown, the buttons' states, the event rows
// with their order and weight, opening an event, confirming all and checking now.

#include "EventLogFixture.hpp"

#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EventDlg.hpp"
#include "Norvane/UI/EventListCtrl.hpp"
#include "MonitoredEntry/Distinction.hpp"
#include "MonitoredEntry/Entry.hpp"
#include "Monitoring/NoticeFlags.hpp"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace EventLogTest {
namespace {

namespace C = UI::EventLogControl;
using namespace MonitoredEntry;

class EventViewTest : public EventLogFixture {
protected:
    bool RowBold(int row) const
    {
        const auto& list = viewer->EventList();
        return list.model()->data(list.model()->index(row, UI::EventColumn::EventName), Qt::FontRole).value<QFont>().bold();
    }
    std::wstring Text(int control) const
    {
        return static_cast<QLabel*>(viewer->Control(control))->text().toStdWString();
    }
    int EntryRow(long entry) const
    {
        const auto keys = viewer->EntryList().Keys();
        return int(std::find(keys->begin(), keys->end(), ID(entry)) - keys->begin());
    }
    void SelectEventRow(int row)
    {
        auto& list = viewer->EventList();
        list.selectionModel()->setCurrentIndex(list.model()->index(row, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
};

TEST_F(EventViewTest, TheOnlyEntryIsShownWithItsEventsOldestFirst)
{
    EntrySpec setup;
    setup.events = {{DocumentEvent(L"Fax", L"from Bob", Day(-1, 10)), true},
                   {DocumentEvent(L"Scan", L"old scan", Day(-3, 8)), false},
                   {NoticeEvent(L"N1", L"0", L"Pay", Day(0), Day(0, 8, 30)), false},
                   {DocumentEvent(L"Copy", L"today", Day(0, 7, 59, 59)), false}};
    MakeManager({setup});
    OpenViewer();

    EXPECT_EQ(viewer->SelectedEntry(), ID(0));
    EXPECT_EQ(viewer->EntryList().SelectedKey(), ID(0));
    EXPECT_EQ(EventRows(), (std::vector<std::pair<long, long>>{{0, 1}, {0, 0}, {0, 3}, {0, 2}}));
    EXPECT_EQ(EventCell(0, UI::EventColumn::Time), QDateTime(Day(-3, 8)).toString("yyyy/MM/dd hh:mm:ss").toStdWString());
    EXPECT_EQ(Text(C::MachineName), L"Front & desk");
    EXPECT_EQ(Text(C::UserName), L"Alice");
    EXPECT_TRUE(Enabled(C::CheckNow));
    EXPECT_TRUE(Enabled(C::Login));
    EXPECT_TRUE(Enabled(C::ConfirmAll));

    // Unread documents are bold; a read event and an unread notice are not.
    EXPECT_TRUE(RowBold(0));
    EXPECT_FALSE(RowBold(1));
    EXPECT_TRUE(RowBold(2));
    EXPECT_FALSE(RowBold(3));
    // A notice shows its content, a document its information.
    EXPECT_EQ(EventCell(3, UI::EventColumn::Info), L"Pay");
    EXPECT_EQ(EventCell(3, UI::EventColumn::Status), L"活動中");
    EXPECT_EQ(EventCell(1, UI::EventColumn::Info), L"from Bob");
}

TEST_F(EventViewTest, WithSeveralEntriesNothingIsShownUntilOneIsChosen)
{
    EntrySpec unread;
    unread.events = {{DocumentEvent(L"Scan", L"a", Day(-1)), false}};
    EntrySpec idle;
    idle.host = L"127.0.0.2";
    idle.machineName = L"Back office";
    idle.monitoring = false;
    idle.events = {{DocumentEvent(L"Fax", L"b", Day(-2)), true}, {DocumentEvent(L"Fax", L"c", Day(-1)), true}};
    MakeManager({unread, idle});
    OpenViewer();

    EXPECT_FALSE(viewer->SelectedEntry());
    EXPECT_TRUE(EventRows().empty());
    EXPECT_FALSE(Enabled(C::CheckNow));
    EXPECT_FALSE(Enabled(C::Login));
    EXPECT_FALSE(Enabled(C::ConfirmAll));
    EXPECT_EQ(Text(C::MachineName), L"");

    // Due notices wait for a chosen entry.
    MachineEvent::GetNoticeFlags().dailyNoticeDue = true;
    viewer->NoticeDisplay();
    EXPECT_TRUE(MachineEvent::GetNoticeFlags().dailyNoticeDue);
    EXPECT_FALSE(viewer->isVisible());

    // The entry list sorts by unread events, fewer first.
    EXPECT_EQ(EntryRow(1), 0);
    ClickEntryRow(EntryRow(1));
    EXPECT_EQ(viewer->SelectedEntry(), ID(1));
    EXPECT_EQ(EventRows(), (std::vector<std::pair<long, long>>{{1, 0}, {1, 1}}));
    EXPECT_EQ(Text(C::MachineName), L"Back office");
    EXPECT_FALSE(Enabled(C::CheckNow));  // not monitored
    EXPECT_FALSE(Enabled(C::Login));
    EXPECT_FALSE(Enabled(C::ConfirmAll));  // nothing unread

    ClickEntryRow(EntryRow(0));
    EXPECT_EQ(EventRows(), (std::vector<std::pair<long, long>>{{0, 0}}));
    EXPECT_TRUE(Enabled(C::CheckNow));
    EXPECT_TRUE(Enabled(C::ConfirmAll));
}

TEST_F(EventViewTest, RemovingTheShownEntryShowsTheFirstRemainingOne)
{
    EntrySpec first, second;
    second.host = L"127.0.0.2";
    first.events = {{DocumentEvent(L"Scan", L"a", Day(-1)), false}};
    MakeManager({first, second});
    OpenViewer();
    ClickEntryRow(0);
    const auto shown = viewer->SelectedEntry();
    ASSERT_TRUE(shown);
    {
        EntryManager::Transaction transaction(*manager);
        transaction.Erase(*shown);
        transaction.Commit();
    }
    // The change notice refreshes the entry list; the remaining entry is now the only one.
    ASSERT_TRUE(WaitUntil([&] { return viewer->EntryList().Keys()->size() == 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(viewer->SelectedEntry(), *shown == ID(0) ? ID(1) : ID(0));
}

TEST_F(EventViewTest, HeaderClicksSortTheEventsOneWayThenTheOther)
{
    EntrySpec setup;
    setup.events = {{DocumentEvent(L"b", L"", Day(-3)), true},
                   {DocumentEvent(L"c", L"", Day(-2)), true},
                   {DocumentEvent(L"a", L"", Day(-1)), true}};
    MakeManager({setup});
    OpenViewer();
    auto names = [&] {
        std::wstring joined;
        for (int row = 0; row < 3; ++row) joined += EventCell(row, UI::EventColumn::EventName);
        return joined;
    };
    EXPECT_EQ(names(), L"bca");
    viewer->EventList().SortBy(UI::EventColumn::EventName);
    EXPECT_EQ(names(), L"cba");
    viewer->EventList().SortBy(UI::EventColumn::EventName);
    EXPECT_EQ(names(), L"abc");
    viewer->EventList().SortBy(UI::EventColumn::Time);  // was ascending: now newest first
    EXPECT_EQ(names(), L"acb");
}

TEST_F(EventViewTest, TimesWithAndWithoutSecondsStillSort)
{
    EntrySpec setup;
    const RSS::EventTime noSeconds("Tue, 10 Jun 2008 04:00 +0900");
    EventProperty withoutSeconds(L"short", L"3", "0", L"1", L"", boost::none, boost::none, boost::none, "0",
                                 boost::none, boost::none, boost::none, boost::none, boost::none, noSeconds, noSeconds);
    setup.events = {{DocumentEvent(L"long", L"", QDateTime(QDate(2008, 6, 10), QTime(4, 0, 1))), true},
                   {withoutSeconds, true},
                   {DocumentEvent(L"early", L"", QDateTime(QDate(2008, 6, 10), QTime(3, 59, 59))), true}};
    MakeManager({setup});
    OpenViewer();
    EXPECT_EQ(EventRows(), (std::vector<std::pair<long, long>>{{0, 2}, {0, 1}, {0, 0}}));
}

TEST_F(EventViewTest, OpeningAnEventMarksItReadBeforeItsDetailsShow)
{
    EntrySpec setup;
    setup.events = {{DocumentEvent(L"Scan", L"first", Day(-2)), false},
                   {DocumentEvent(L"Fax", L"second", Day(-1)), false}};
    MakeManager({setup});
    OpenViewer();
    viewer->show();
    SelectEventRow(1);
    ASSERT_TRUE(RowBold(1));

    bool shown = false, readWhenShown = false;
    ID shownEvent;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* details = qobject_cast<UI::EventDlg*>(QApplication::activeModalWidget());
        if (!details || !details->isVisible()) return;
        shown = true;
        readWhenShown = EventRead(0, 1);
        shownEvent = details->GetEventID();
        details->reject();
    });
    poll.start(10);
    auto& list = viewer->EventList();
    emit list.doubleClicked(list.model()->index(1, 1));
    poll.stop();

    EXPECT_TRUE(shown);
    EXPECT_TRUE(readWhenShown);
    EXPECT_EQ(shownEvent, ID(1));
    EXPECT_FALSE(EventRead(0, 0));
    EXPECT_TRUE(WaitUntil([&] { return !RowBold(1); }, std::chrono::seconds(5)));
    EXPECT_TRUE(RowBold(0));
}

TEST_F(EventViewTest, AnEventGoneBeforeItIsOpenedIsNotOpened)
{
    EntrySpec setup;
    setup.events = {{DocumentEvent(L"Scan", L"first", Day(-2)), false}};
    MakeManager({setup});
    OpenViewer();
    SelectEventRow(0);
    {
        EntryManager::Transaction transaction(*manager);
        auto entry = transaction.GetEntryCopy(ID(0));
        auto log = entry->GetEventLog();
        log.Trim(0);
        entry->SetEventLog(log);
        transaction.SetEntry(entry);
        transaction.Commit();
    }
    bool opened = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    poll.start(10);
    viewer->OpenEvent();
    poll.stop();
    EXPECT_FALSE(opened);
}

TEST_F(EventViewTest, ConfirmAllMarksEveryEventReadAndDisablesItself)
{
    EntrySpec setup;
    setup.events = {{DocumentEvent(L"Scan", L"a", Day(-3)), false},
                   {DocumentEvent(L"Scan", L"b", Day(-2)), true},
                   {NoticeEvent(L"N1", L"2", L"Pay", Day(-1), Day(-1)), false},
                   {DocumentEvent(L"Fax", L"c", Day(-1, 12)), false}};
    MakeManager({setup});
    OpenViewer();
    ASSERT_TRUE(Enabled(C::ConfirmAll));
    static_cast<QPushButton*>(viewer->Control(C::ConfirmAll))->click();
    for (long event = 0; event < 4; ++event) EXPECT_TRUE(EventRead(0, event)) << event;
    EXPECT_FALSE(Enabled(C::ConfirmAll));
    // The change notices come back and keep it disabled: nothing is unread any more.
    EXPECT_TRUE(WaitUntil([&] { return !RowBold(0) && !RowBold(3); }, std::chrono::seconds(5)));
    EXPECT_FALSE(Enabled(C::ConfirmAll));
}

TEST_F(EventViewTest, CheckNowSignalsTheMonitorOfTheSelectedEntry)
{
    EntrySpec first, second;
    second.host = L"127.0.0.2";
    MakeManager({first, second});
    OpenViewer();
    auto* checkNow = static_cast<QPushButton*>(viewer->Control(C::CheckNow));
    viewer->CheckNow();  // no entry chosen: nothing to check
    EXPECT_TRUE(monitors.received.empty());

    ClickEntryRow(1);
    const ID chosen = *viewer->SelectedEntry();
    checkNow->click();
    ASSERT_EQ(monitors.received.size(), 1u);
    std::lock_guard lock(*manager);
    const Distinction same(manager->GetDB().GetEntry(chosen));
    const Distinction other(manager->GetDB().GetEntry(chosen == ID(0) ? ID(1) : ID(0)));
    EXPECT_TRUE(monitors.received[0]->Match(same));
    EXPECT_FALSE(monitors.received[0]->Match(other));
    EXPECT_TRUE(monitors.received[0]->IsImmediate());
}

TEST_F(EventViewTest, WithoutAMonitorManagerCheckNowDoesNothing)
{
    MakeManager({EntrySpec{}});
    viewer = new UI::EventLogDlg(manager, nullptr);
    viewer->CheckNow();
    EXPECT_TRUE(monitors.received.empty());
}

TEST_F(EventViewTest, LoginAndNoticePagesOpenForTheSelectedEntry)
{
    MakeManager({EntrySpec{}});
    OpenViewer();
    static_cast<QPushButton*>(viewer->Control(C::Login))->click();
    viewer->OpenNoticePage();
    std::lock_guard lock(opener->mutex);
    ASSERT_EQ(opener->opened.size(), 2u);
    EXPECT_NE(opener->opened[0].find(L"NVF=3"), std::wstring::npos);
    EXPECT_NE(opener->opened[0].find(L"alice"), std::wstring::npos);
    EXPECT_NE(opener->opened[1].find(L"NVF=9"), std::wstring::npos);
}

TEST_F(EventViewTest, CloseEndsTheWindow)
{
    MakeManager({EntrySpec{}});
    OpenViewer().show();
    static_cast<QPushButton*>(viewer->Control(C::Close))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(viewer.isNull());
}

}  // namespace
}  // namespace EventLogTest

namespace EventLogTest {
namespace {

using namespace MonitoredEntry;

// The entry list as the entry manager dialog uses it: every column by name.
TEST_F(EventLogFixture, EntryListColumnsShowStatusNamesAndNotification)
{
    struct Case {
        bool monitoring;
        int subscriptionState;
        int errorFlag;
        bool notice;
        bool noticeVoice;
        boost::optional<std::wstring> machineName;
        boost::optional<std::wstring> userName;
        std::vector<std::wstring> cells;  // machine, status, user, notification
    };
    const std::vector<Case> cases = {
        {true, 1, 0, true, false, std::wstring(L"Desk"), std::wstring(L"Alice"), {L"Desk", L"監視中", L"Alice", L"○"}},
        {true, 2, 0, false, true, boost::none, boost::none, {L"10.0.0.1", L"エラー", L"alice", L"○"}},
        {true, 1, 1, false, false, std::wstring(L"A&B"), boost::none, {L"A&B", L"エラー", L"alice", L"×"}},
        {false, 2, 1, false, false, boost::none, std::wstring(L"Bob"), {L"10.0.0.1", L"監視しない", L"Bob", L"×"}},
    };
    for (const Case& c : cases) {
        const MonitoredEntry::Config config(200, 60000, c.notice, c.noticeVoice, false, 0, false, false, 1);
        const EntryProperty property(c.monitoring, MFP(c.machineName, L"10.0.0.1", 80, 443, false),
                                     User(c.userName, L"alice", Password(L"secret")), config, c.subscriptionState,
                                     c.errorFlag);
        manager = std::make_shared<EntryManager>(EntryDB(ID(1), {std::make_shared<Entry>(ID(0), property)}));
        UI::EntryListSource source(*manager);
        UI::EntryListCtrl list;
        list.SetSource(&source);
        list.AddColumns(*manager, {"MFPNameColumn", "StatusColumn", "UserNameColumn", "EnableNoticeColumn"},
                        {275, 100, 170, 80});
        list.Refresh();
        ASSERT_EQ(list.ItemCount(), 1);
        std::vector<std::wstring> cells;
        for (int column = 0; column < 4; ++column)
            cells.push_back(list.model()->data(list.model()->index(0, column)).toString().toStdWString());
        EXPECT_EQ(cells, c.cells);
    }
    EXPECT_THROW(UI::EntryListCtrl::MakeColumn(*manager, "NoSuchColumn", 0, 10), ostrel::logic_error);
}

}  // namespace
}  // namespace EventLogTest
