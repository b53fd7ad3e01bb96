// The event details window: its controls, texts, header, layout modes and results.

#include "EventWindowFixture.hpp"

#include "Norvane/UI/EventDlg.hpp"
#include "Norvane/UI/Icons.hpp"
#include "Utility/LoadString.hpp"
#include "QH/MemoryImage.hpp"
#include "UI/Thumbnail.hpp"


#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace EventWindowsTest {
namespace {

namespace C = UI::EventControl;
using MonitoredEntry::EventProperty;

QString Text(unsigned id) { return QString::fromStdWString(LoadString(id)); }
QString LabelText(const QWidget& w, int id) { return ControlOf<QLabel>(w, id)->text(); }
bool Shown(const QWidget& w, int id) { return ControlOf(w, id)->isVisibleTo(&w); }
bool Enabled(const QWidget& w, int id) { return ControlOf(w, id)->isEnabled(); }

const std::wstring kMissingThumbnail = L"http://127.0.0.1:1/vozoz/norvane?NVF=6&UN=alice&DC=0001";

class EventDlgTest : public EventWindowFixture {};

TEST_F(EventDlgTest, ScannedDocumentShowsEveryControlWithItsTexts)
{
    const EventProperty scan = PublishScan();
    MakeEntry({scan}, 1);
    auto window = MakeWindow<UI::EventDlg>(scan);
    window->show();

    for (int id : {1, 1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075, 1076, 1077, 1078, 1079, 1080, 1081,
                   1114, 1124, 1125, 1126, 1127, 1128, 1129, 1130, 1131, 1132, 1138, 1139, 1160, 1161, 1162, 1163,
                   1164, 1165})
        EXPECT_NE(ControlOf(*window, id), nullptr) << id;

    EXPECT_EQ(window->windowTitle(), Text(117));
    EXPECT_FALSE(window->windowIcon().isNull());
    const std::pair<int, unsigned> labels[] = {{1124, 210}, {1068, 121}, {1069, 122}, {1070, 123},
                                               {1071, 124}, {1072, 125}, {1160, 241}};
    for (auto [id, text] : labels) EXPECT_EQ(LabelText(*window, id), Text(text)) << id;
    const std::pair<int, unsigned> buttons[] = {{1127, 195}, {1128, 183}, {1067, 166}, {1078, 167}, {1079, 172},
                                                {1130, 212}, {1131, 206}, {1161, 242}, {1, 192}};
    for (auto [id, text] : buttons) EXPECT_EQ(ControlOf<QAbstractButton>(*window, id)->text(), Text(text)) << id;

    EXPECT_EQ(LabelText(*window, C::Machine), "Front & desk");  // the ampersand shows as written
    EXPECT_EQ(LabelText(*window, C::User), "Alice");
    EXPECT_EQ(LabelText(*window, C::Event), QString::fromStdWString(scan.GetCategory()));
    EXPECT_EQ(LabelText(*window, C::Info), QString::fromStdWString(scan.GetInfo()));
    EXPECT_EQ(LabelText(*window, C::Time), QString::fromStdWString(scan.GetTime().ToDisplayText()));

    // The machine's 64 x 48 thumbnail fits its frame: shown as it is, centred.
    EXPECT_EQ(window->LayoutMode(), 1);
    const QLabel* picture = ControlOf<QLabel>(*window, C::Picture);
    EXPECT_TRUE(Shown(*window, C::Picture));
    EXPECT_EQ(picture->pixmap().size(), QSize(64, 48));
    EXPECT_EQ(picture->size(), QSize(64, 48));
    EXPECT_EQ(picture->geometry().center(), ControlOf(*window, C::ThumbnailBlock)->geometry().center());
    EXPECT_FALSE(Shown(*window, C::DetailList));
    EXPECT_FALSE(Enabled(*window, C::DetailList));
    EXPECT_FALSE(Shown(*window, C::Notice));  // a document event has no notice group
}

TEST_F(EventDlgTest, LargeThumbnailIsReducedIntoItsFrameAndGarbageShowsNothing)
{
    const EventProperty property = MakeProperty(kMissingThumbnail, boost::none);
    UI::EventDlg window(Snapshot(property));
    window.SetThumbnail({std::make_shared<QH::MemoryImage>(PngBytes(QSize(2000, 1000), Qt::darkGreen)), false});
    window.show();
    const QRect frame = ControlOf(window, C::ThumbnailBlock)->geometry();
    const QLabel* picture = ControlOf<QLabel>(window, C::Picture);
    const QSize expected = UI::ThumbnailSize(QSize(2000, 1000), frame.size());
    EXPECT_EQ(expected.width(), frame.width());  // the width decides here
    EXPECT_EQ(picture->pixmap().size(), expected);
    EXPECT_EQ(picture->geometry().center(), frame.center());

    UI::EventDlg garbage(Snapshot(property));
    garbage.SetThumbnail({std::make_shared<QH::MemoryImage>(HTTP::Bytes{'n', 'o', 'p', 'e'}), false});
    garbage.show();
    EXPECT_TRUE(ControlOf<QLabel>(garbage, C::Picture)->pixmap().isNull());
    EXPECT_TRUE(ControlOf<QLabel>(garbage, C::Picture)->text().isEmpty());
    EXPECT_TRUE(Enabled(garbage, C::Preview));
    EXPECT_TRUE(messages->Shown().empty());
}

TEST_F(EventDlgTest, MachineAndUserFallBackToHostAndAccount)
{
    auto snapshot = std::make_shared<const MachineEvent::Event>(
        MonitoredEntry::Event(ID(0), MakeProperty(boost::none, boost::none)),
        MonitoredEntry::MFP(boost::none, L"127.0.0.1", 80, 443, false),
        MonitoredEntry::User(boost::none, L"alice", MonitoredEntry::Password(L"secret")));
    UI::EventDlg window(snapshot);
    window.show();
    EXPECT_EQ(LabelText(window, C::Machine), "127.0.0.1");
    EXPECT_EQ(LabelText(window, C::User), "alice");
    // The document buttons are not named without a thumbnail.
    EXPECT_TRUE(ControlOf<QPushButton>(window, C::Preview)->text().isEmpty());
}

struct LayoutCase {
    const char* name;
    bool thumbnail;
    bool detailList;
    bool thumbnailHidden;
    bool thumbnailFails;
    int mode;
    int shorterBy;    // dialog units
    int frameBottom;  // bottom of 1129 in dialog units
    bool pictureShown, buttonsShown, buttonsEnabled, listShown;
};

TEST_F(EventDlgTest, LayoutModesHideBlocksWithoutLeavingGaps)
{
    const LayoutCase cases[] = {
        {"thumbnail", true, true, false, false, 1, 99, 314, true, true, true, false},
        {"thumbnail hidden", true, false, true, false, 1, 261, 152, false, true, true, false},
        {"failed thumbnail", true, false, true, true, 1, 99, 314, true, true, false, false},
        {"detail list", false, true, false, false, 2, 196, 217, false, false, false, true},
        {"neither", false, false, false, false, 3, 295, 118, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const EventProperty property =
            MakeProperty(c.thumbnail ? boost::optional<std::wstring>(kMissingThumbnail) : boost::none,
                         c.detailList ? boost::optional<std::wstring>(L"B\nA\n") : boost::none);
        EntrySettings settings;
        settings.thumbnailHidden = c.thumbnailHidden;
        MakeEntry({property}, 1, settings);
        auto window = MakeWindow<UI::EventDlg>(property, c.thumbnailFails);
        window->show();

        EXPECT_EQ(window->LayoutMode(), c.mode);
        EXPECT_EQ(window->size(), window->MapDialogRect(QRect(0, 0, 327, 446 - c.shorterBy)).size());
        EXPECT_EQ(ControlOf(*window, C::EventFrame)->geometry().bottom(),
                  window->MapDialogRect(QRect(6, 30, 315, c.frameBottom - 30)).bottom());
        EXPECT_EQ(ControlOf(*window, C::Close)->geometry(), window->MapDialogRect(QRect(241, 422 - c.shorterBy, 72, 16)));
        EXPECT_EQ(Shown(*window, C::Picture), c.pictureShown);
        for (int id : {C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck}) {
            EXPECT_EQ(Shown(*window, id), c.buttonsShown) << id;
            EXPECT_EQ(Enabled(*window, id), c.buttonsEnabled) << id;
        }
        EXPECT_EQ(Shown(*window, C::DetailList), c.listShown);
        EXPECT_EQ(Enabled(*window, C::DetailList), c.listShown);
        for (int id : {C::StatusFrame, C::StatusPicture, C::StatusLabel, C::StatusValue}) EXPECT_FALSE(Shown(*window, id));
        if (c.thumbnailFails) {
            EXPECT_EQ(LabelText(*window, C::Picture), Text(215));
            EXPECT_EQ(ControlOf(*window, C::Picture)->geometry().center().x(),
                      ControlOf(*window, C::ThumbnailBlock)->geometry().center().x());
        }
        if (c.thumbnailHidden && !c.thumbnailFails) {
            // The document buttons sit right below the information block.
            EXPECT_EQ(ControlOf(*window, C::Preview)->geometry(), window->MapDialogRect(QRect(13, 112, 72, 16)));
        }
    }
}

TEST_F(EventDlgTest, NoticeControlsFollowTheNoticeField)
{
    struct Case {
        const wchar_t* notify;
        bool button, content;
    };
    for (const Case c : {Case{L"-1", false, false}, Case{L"0", true, false}, Case{L"2", true, false},
                         Case{L"1", true, true}}) {
        const EventProperty property = MakeProperty(boost::none, boost::none, c.notify);
        UI::EventDlg window(Snapshot(property));
        window.show();
        EXPECT_EQ(Shown(window, C::Notice), c.button) << c.notify;
        EXPECT_EQ(Shown(window, C::NoticeLabel), c.content) << c.notify;
        EXPECT_EQ(Shown(window, C::NoticeContent), c.content) << c.notify;
        EXPECT_EQ(LabelText(window, C::NoticeContent).isEmpty(), std::wstring(c.notify) == L"-1") << c.notify;
    }
    const EventProperty due = MakeProperty(boost::none, boost::none, L"1");
    UI::EventDlg window(Snapshot(due));
    window.show();
    EXPECT_EQ(LabelText(window, C::NoticeContent), "Pay the & bill");
}

TEST_F(EventDlgTest, HeaderCountsTheEntrysUnreadEvents)
{
    std::vector<EventProperty> events;
    for (const wchar_t* info : {L"a", L"b", L"c", L"d"})
        events.push_back(EventProperty(L"Scan", L"3", "0", L"1", info, boost::none, boost::none, boost::none, "0",
                                       boost::none, std::wstring(L"-1"), boost::none, boost::none, boost::none,
                                       RSS::EventTime("10 Jun 2008 04:00 GMT"), RSS::EventTime("10 Jun 2008 04:00 GMT")));
    struct Case {
        int unread;
        bool entryExists;
        bool monitoring;
    };
    for (const Case c : {Case{3, true, true}, Case{0, true, false}, Case{2, false, true}}) {
        EntrySettings settings;
        settings.monitoring = c.monitoring;
        settings.eraseTime = 5000;
        settings.eventRead = true;
        MakeEntry(events, c.unread, settings);
        auto window = MakeWindow<UI::EventDlg>(events[0], false);
        if (!c.entryExists) window->SetEntryID(ID(7));
        window->show();

        const int expected = c.entryExists ? c.unread : 0;
        const QLabel* count = ControlOf<QLabel>(*window, C::UnreadCount);
        EXPECT_EQ(count->text(), QString::number(expected) + Text(211));
        EXPECT_EQ(count->font().bold(), expected > 0);
        const QLabel* icon = ControlOf<QLabel>(*window, C::UnreadIcon);
        EXPECT_EQ(icon->pixmap().toImage(), UI::Icon(expected > 0 ? 208 : 209).pixmap(icon->size()).toImage());
        EXPECT_EQ(Shown(*window, C::Login), !c.entryExists || c.monitoring);
        // The entry's settings come along only while the entry exists.
        EXPECT_EQ(window->ReadFlag(), c.entryExists);
        EXPECT_EQ(ControlOf<QCheckBox>(*window, C::ReadCheck)->isChecked(), c.entryExists);
        EXPECT_EQ(window->EraseTime(), c.entryExists ? 5000 : 0);
    }
}

TEST_F(EventDlgTest, DetailListIsSortedAndTitledForDescriptionEvents)
{
    const EventProperty property = MakeProperty(boost::none, std::wstring(L"B\nA\n\nC\n"), L"-1", "1");
    UI::EventDlg window(Snapshot(property));
    window.show();
    auto* list = ControlOf<QListWidget>(window, C::DetailList);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "A");
    EXPECT_EQ(list->item(1)->text(), "B");
    EXPECT_EQ(ControlOf<QGroupBox>(window, C::DetailGroup)->title(), Text(1137));

    UI::EventDlg plain(Snapshot(MakeProperty(boost::none, std::wstring(L"A\n"))));
    plain.show();
    EXPECT_TRUE(ControlOf<QGroupBox>(plain, C::DetailGroup)->title().isEmpty());
}

// The main window as the event-log button finds it.
class FakeMainFrame : public QWidget {
    Q_OBJECT
public:
    FakeMainFrame() { setProperty("OsmarkNorvane4MainFrame", true); }
    int doubleClicks = 0;
public slots:
    void OnTrayDoubleClick() { ++doubleClicks; }
};

TEST_F(EventDlgTest, CloseEscapeAndEventLogEndTheWindowAsTheCallerExpects)
{
    // A document event (its thumbnail is not fetched here), so that the check box is usable.
    const EventProperty property = MakeProperty(kMissingThumbnail, boost::none);
    {
        UI::EventDlg window(Snapshot(property));
        window.SetEntryManager(manager.get());
        window.show();
        ControlOf<QAbstractButton>(window, C::ReadCheck)->click();  // also a check box: inverts the flag
        EXPECT_TRUE(window.ReadFlag());
        ControlOf<QPushButton>(window, C::Close)->click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_TRUE(window.ReadFlag());
    }
    {
        UI::EventDlg window(Snapshot(property));
        window.show();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &escape);
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Accepted);
        EXPECT_FALSE(window.IsLeftForLog());
    }
    {
        FakeMainFrame mainFrame;
        UI::EventDlg window(Snapshot(property));
        window.show();
        ControlOf<QPushButton>(window, C::EventLog)->click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(window.result(), QDialog::Rejected);
        EXPECT_TRUE(window.IsLeftForLog());
        EXPECT_TRUE(WaitUntil([&] { return mainFrame.doubleClicks == 1; }, std::chrono::seconds(2)));
    }
}

TEST_F(EventDlgTest, LoginAndNoticeOpenTheMachinesPages)
{
    const EventProperty property = MakeProperty(boost::none, boost::none, L"0");
    UI::EventDlg window(Snapshot(property));
    window.show();
    ControlOf<QPushButton>(window, C::Login)->click();
    ControlOf<QPushButton>(window, C::Notice)->click();
    const auto opened = opener->Opened();
    ASSERT_EQ(opened.size(), 2u);
    const std::wstring base = L"http://127.0.0.1:" + std::to_wstring(machine.HttpPort()) + L"/vozoz/norvane?";
    EXPECT_EQ(opened[0], base + L"NVF=3&UN=alice");
    EXPECT_EQ(opened[1], base + L"NVF=7&UN=alice&DC=0001&NTF=N1");
}

}  // namespace
}  // namespace EventWindowsTest

#include "event_dlg_test.moc"
