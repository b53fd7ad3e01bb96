// The viewer's notice view: the notices list built from an entry's notice events, the
// summary, completing notices on the machine, and the view coming up on notice.

#include "EventLogFixture.hpp"

#include "Norvane/UI/EventListCtrl.hpp"
#include "Norvane/UI/SingleWindow.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Utility/Text.hpp"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace EventLogTest {
namespace {

namespace C = UI::EventLogControl;
using UI::NoticeColumn::Content;
using UI::NoticeColumn::NotifyId;

int Today()
{
    const QDate today = QDate::currentDate();
    return MachineEvent::NoticeFlags::PackDate(today.year(), today.month(), today.day());
}

class NoticeViewTest : public EventLogFixture {
protected:
    QLabel& Summary() const { return *static_cast<QLabel*>(viewer->Control(C::Summary)); }
    QPushButton& Button(int id) const { return *static_cast<QPushButton*>(viewer->Control(id)); }
    void OpenWith(const std::vector<LoggedEvent>& events, int notifyDisplay = 1)
    {
        EntrySpec setup;
        setup.events = events;
        setup.notifyDisplay = notifyDisplay;
        MakeManager({setup});
        OpenViewer();
    }
};

TEST_F(NoticeViewTest, OneRowPerNoticeWithTodaysActiveAndEveryOverdueNotice)
{
    OpenWith({{NoticeEvent(L"N1", L"0", L"older N1", Day(0, 10), Day(0, 7)), false},
              {NoticeEvent(L"N1", L"0", L"later N1", Day(0, 10), Day(0, 8)), false},
              {NoticeEvent(L"N2", L"1", L"completed N2", Day(0, 9), Day(0, 6)), false},
              {NoticeEvent(L"N3", L"0", L"yesterday's N3", Day(-1, 9), Day(-1, 6)), false},
              {NoticeEvent(L"N4", L"2", L"overdue N4", Day(-7, 9), Day(-7, 6)), false},
              {NoticeEvent(L"N5", L"0", L"N5", Day(0, 8), Day(-1, 12)), false},
              {DocumentEvent(L"Scan", L"not a notice", Day(0, 5)), false},
              {NoticeEvent(L"N6", L"2", L"overdue N6", Day(-2, 9), Day(-2, 9)), false},
              {NoticeEvent(L"N6", L"1", L"completed N6", Day(-2, 9), Day(-1, 9)), false}});
    Button(C::SwitchView).click();

    EXPECT_EQ(NoticeColumnTexts(Content), (std::vector<std::wstring>{L"overdue N4", L"N5", L"later N1"}));
    EXPECT_EQ(NoticeColumnTexts(NotifyId), (std::vector<std::wstring>{L"N4", L"N5", L"N1"}));
    EXPECT_EQ(NoticeColumnTexts(UI::NoticeColumn::Status), (std::vector<std::wstring>{L"期限超過", L"活動中", L"活動中"}));
    EXPECT_EQ(viewer->NoticeCount(), 3);
    EXPECT_EQ(viewer->OverdueCount(), 1);
    EXPECT_TRUE(Button(C::CompleteAll).isEnabled());
    EXPECT_FALSE(Button(C::CompleteSelected).isEnabled());
    viewer->NoticeList().topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(Button(C::CompleteSelected).isEnabled());
}

TEST_F(NoticeViewTest, TheSummaryCountsTheNoticesInRedWhileAnyIsOverdue)
{
    struct Case {
        std::vector<LoggedEvent> events;
        std::wstring text;
        bool red;
    };
    const std::vector<Case> cases = {
        {{{NoticeEvent(L"A", L"2", L"a", Day(-7), Day(-7)), false},
          {NoticeEvent(L"B", L"0", L"b", Day(0, 11), Day(0, 6)), false},
          {NoticeEvent(L"C", L"0", L"c", Day(0, 12), Day(0, 7)), false}},
         L"本日のお知らせ：3件  （  期限超過：1件 ）",
         true},
        {{{NoticeEvent(L"B", L"0", L"b", Day(0, 11), Day(0, 6)), false}}, L"本日のお知らせ：1件  （  期限超過：0件 ）", false},
    };
    for (const Case& c : cases) {
        OpenWith(c.events);
        EXPECT_EQ(Summary().text().toStdWString(), L"");  // the event view has no summary
        Button(C::SwitchView).click();
        EXPECT_EQ(Summary().text().toStdWString(), c.text);
        EXPECT_EQ(Summary().palette().color(QPalette::WindowText) == QColor(255, 0, 0), c.red) << Text::Narrow(c.text);
        EXPECT_TRUE(Summary().font().bold());
    }
}

TEST_F(NoticeViewTest, SwitchingTheViewChangesCaptionButtonsAndTheOpeningView)
{
    OpenWith({{NoticeEvent(L"A", L"2", L"a", Day(-7), Day(-7)), false}});
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("イベント履歴"));
    EXPECT_EQ(Button(C::SwitchView).text(), QStringLiteral("お知らせを確認する(&L)"));
    EXPECT_TRUE(viewer->NoticeList().isHidden());

    Button(C::SwitchView).click();
    EXPECT_TRUE(viewer->IsNoticeView());
    EXPECT_TRUE(MachineEvent::GetNoticeFlags().openInNoticeView);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("本日の期限お知らせ一覧"));
    EXPECT_EQ(Button(C::SwitchView).text(), QStringLiteral("イベント履歴一覧(&L)"));
    for (int id : {C::NoticeList, C::NoticePage, C::CompleteSelected, C::CompleteAll, C::Summary})
        EXPECT_FALSE(viewer->Control(id)->isHidden()) << id;
    for (int id : {C::EventList, C::ConfirmAll, C::CheckNow, C::Login}) EXPECT_TRUE(viewer->Control(id)->isHidden()) << id;

    Button(C::SwitchView).click();
    EXPECT_FALSE(MachineEvent::GetNoticeFlags().openInNoticeView);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("イベント履歴"));
    EXPECT_TRUE(viewer->NoticeList().isHidden());
    EXPECT_FALSE(viewer->EventList().isHidden());
}

TEST_F(NoticeViewTest, CompleteAllStopsAtTheFirstFailureAndKeepsEveryRow)
{
    const std::wstring first = Text::Widen(machine.PublishNotice("alice", "first", "2"));
    const std::wstring third = Text::Widen(machine.PublishNotice("alice", "third", "2"));
    OpenWith({{NoticeEvent(first, L"2", L"first", Day(-7), Day(-7)), false},
              {NoticeEvent(L"unknown", L"2", L"second", Day(-6), Day(-6)), false},
              {NoticeEvent(third, L"2", L"third", Day(-5), Day(-5)), false}});
    Button(C::SwitchView).click();
    ASSERT_EQ(viewer->NoticeCount(), 3);

    Button(C::CompleteAll).click();
    EXPECT_EQ(machine.DeletedNotices(), std::vector<std::string>{Text::Narrow(first)});
    EXPECT_EQ(NoticeColumnTexts(Content), (std::vector<std::wstring>{L"first", L"second", L"third"}));
    EXPECT_EQ(viewer->NoticeCount(), 3);

    // One row completes on its own and leaves the list.
    viewer->NoticeList().topLevelItem(2)->setSelected(true);
    Button(C::CompleteSelected).click();
    EXPECT_EQ(machine.DeletedNotices(), (std::vector<std::string>{Text::Narrow(first), Text::Narrow(third)}));
    EXPECT_EQ(NoticeColumnTexts(Content), (std::vector<std::wstring>{L"first", L"second"}));
    EXPECT_EQ(viewer->NoticeCount(), 2);
    EXPECT_FALSE(Button(C::CompleteSelected).isEnabled());

    // A failed single completion keeps its row.
    viewer->NoticeList().topLevelItem(1)->setSelected(true);
    Button(C::CompleteSelected).click();
    EXPECT_EQ(viewer->NoticeCount(), 2);
    EXPECT_TRUE(messages->shown.empty());  // failures are not reported
}

TEST_F(NoticeViewTest, CompleteAllEmptiesTheListWhenEveryNoticeCompletes)
{
    const std::wstring a = Text::Widen(machine.PublishNotice("alice", "a", "2"));
    const std::wstring b = Text::Widen(machine.PublishNotice("alice", "b", "0"));
    OpenWith({{NoticeEvent(a, L"2", L"a", Day(-3), Day(-3)), false}, {NoticeEvent(b, L"0", L"b", Day(0, 9), Day(0, 8)), false}});
    Button(C::SwitchView).click();
    Button(C::CompleteAll).click();
    EXPECT_EQ(machine.DeletedNotices().size(), 2u);
    EXPECT_EQ(viewer->NoticeCount(), 0);
    EXPECT_FALSE(Button(C::CompleteAll).isEnabled());
    EXPECT_EQ(Summary().text().toStdWString(), L"本日のお知らせ：0件  （  期限超過：0件 ）");
}

TEST_F(NoticeViewTest, TheNoticeTimerShowsTheViewAsTheFlagsAndTheEntryAsk)
{
    struct Case {
        const char* name;
        int notifyDisplay;
        bool visible;
        bool daily;
        bool overdue;
        bool notices;
        bool shown;
    };
    const Case cases[] = {
        {"daily, once a day", 1, false, true, false, true, true},
        {"daily, never", 0, false, true, false, true, false},
        {"daily, at each notice time", 2, false, true, false, true, false},
        {"daily, never, already visible", 0, true, true, false, true, true},
        {"daily without notices", 1, false, true, false, false, false},
        {"overdue, at each notice time", 2, false, false, true, true, true},
        {"overdue, once a day", 1, false, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<LoggedEvent> events;
        if (c.notices) events.push_back({NoticeEvent(L"A", L"2", L"a", Day(-7), Day(-7)), false});
        events.push_back({DocumentEvent(L"Scan", L"x", Day(-1)), false});
        OpenWith(events, c.notifyDisplay);
        if (c.visible) viewer->show();
        auto& flags = MachineEvent::GetNoticeFlags();
        flags.Reset();
        flags.openInNoticeView = true;
        flags.dateChangeSeen = c.daily;
        flags.dailyNoticeDue = c.daily;
        flags.overdueNoticeDue = c.overdue;

        // The viewer's own timer handles the flags.
        ASSERT_TRUE(WaitUntil([&] { return !flags.dailyNoticeDue && !flags.overdueNoticeDue; }, std::chrono::seconds(5)));
        EXPECT_EQ(viewer->isVisible(), c.shown);
        EXPECT_EQ(viewer->IsNoticeView(), c.shown);
        EXPECT_FALSE(flags.dateChangeSeen);
        EXPECT_EQ(flags.lastNoticeDate == Today(), c.daily || c.shown);
    }
}

TEST_F(NoticeViewTest, ANewViewerOpenedOnNoticeDecidesItselfToAppear)
{
    EntrySpec setup;
    setup.events = {{NoticeEvent(L"A", L"0", L"due today", Day(0, 18), Day(0, 6)), false}};
    MakeManager({setup});
    auto& flags = MachineEvent::GetNoticeFlags();
    flags.openInNoticeView = true;
    flags.dateChangeSeen = true;
    flags.dailyNoticeDue = true;

    UI::SingleWindow window([this] { return UI::MakeEventLogDlg(manager, &monitors); });
    QDialog* made = window.Show(false);  // as the main window's notice display does
    ASSERT_NE(made, nullptr);
    EXPECT_FALSE(made->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return made->isVisible(); }, std::chrono::seconds(5)));
    EXPECT_EQ(made->windowTitle(), QStringLiteral("本日の期限お知らせ一覧"));
    EXPECT_FALSE(flags.dailyNoticeDue);
}

}  // namespace
}  // namespace EventLogTest
