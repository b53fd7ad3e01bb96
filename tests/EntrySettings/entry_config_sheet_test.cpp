// The detail settings sheet: what keeps OK disabled, what each page writes, the
// duplicate rule, the log trimming, and an entry removed while its sheet is open.

#include "Fakes.hpp"
#include "Support.hpp"

#include "MonitoredEntry/Password.hpp"
#include "Norvane/UI/EntryConfigSheet.hpp"

#include <ostrel/exception.hpp>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace {

using namespace EntrySettings;
using MonitoredEntry::EntryManager;

constexpr int MachinePage = 0, UserPage = 1, SettingsPage = 2;

class EntrySheet : public ::testing::Test {
protected:
    EntrySheet()
    {
        EnsureApplication();
        limits.values.eventLogMax = 200;
        limits.values.checkIntervalMin = 60000;
        limits.values.checkIntervalMax = 3600000;
        limits.values.eraseIntervalMin = 0;
        limits.values.eraseIntervalMax = 100000000;
        limits.Apply();
        id = Fakes::AddEntry(manager, L"127.0.0.1", 80);
    }

    void Open()
    {
        sheet = std::make_unique<UI::EntryConfigSheet>(manager, id);
        sheet->show();
        ProcessEvents();
    }

    QLineEdit* Edit(int controlId) const { return Control<QLineEdit>(*sheet, controlId); }
    QCheckBox* Check(int controlId) const { return Control<QCheckBox>(*sheet, controlId); }
    bool OkEnabled() const { return sheet->OkButton()->isEnabled(); }
    void Ok()
    {
        sheet->OkButton()->click();
        ProcessEvents();
    }

    void LogEvents(int count)
    {
        EntryManager::Transaction transaction(manager);
        auto entry = transaction.GetEntryCopy(id);
        auto log = entry->GetEventLog();
        for (int i = 0; i < count; ++i) log.Append(Fakes::Property("doc" + std::to_string(i), L"0"));
        entry->SetEventLog(log);
        transaction.SetEntry(entry);
        transaction.Commit();
    }

    MonitoredEntry::EntryProperty Stored() { return Fakes::PropertyOf(manager, id); }

    Fakes::ScopedLimits limits;
    ScopedMessages messages;
    EntryManager manager;
    ID id;
    std::unique_ptr<UI::EntryConfigSheet> sheet;
};

TEST_F(EntrySheet, InvalidInputKeepsOkDisabled)
{
    struct Case {
        int page;
        int control;
        std::wstring text;
        bool valid;
    };
    const std::vector<Case> cases = {
        {MachinePage, 1061, L"65536", false},
        {MachinePage, 1061, L"-1", false},
        {MachinePage, 1061, L"eighty", false},
        {MachinePage, 1061, L"", false},  // the transport's port is missing
        {MachinePage, 1062, L"70000", false},
        {MachinePage, 1060, L"front desk", false},
        {MachinePage, 1060, L"", false},
        {MachinePage, 1061, L"0", true},
        {MachinePage, 1061, L"65535", true},
        {MachinePage, 1062, L"", true},  // HTTPS unused without SSL
        {MachinePage, 1060, L"printer-2.example", true},
        {UserPage, 1063, L"pässword", false},
        {UserPage, 1063, std::wstring(29, L'p'), false},
        {UserPage, 1063, std::wstring(28, L'p'), true},
        {UserPage, 1063, L"", true},
        {SettingsPage, 1065, L"", false},
        {SettingsPage, 1065, L"61", false},
        {SettingsPage, 1065, L"0", false},
        {SettingsPage, 1065, L"60", true},
        {SettingsPage, 1064, L"0", false},
        {SettingsPage, 1064, L"201", false},
        {SettingsPage, 1064, L"200", true},
        {SettingsPage, 1064, L"99999999999", false},
        {SettingsPage, 1118, L"", false},
        {SettingsPage, 1118, L"100001", false},
        {SettingsPage, 1118, L"0", true},
    };
    for (const Case& c : cases) {
        Open();
        sheet->SetActivePage(c.page);
        if (c.page == MachinePage) Check(1056)->click();  // typing needs the manual entry
        ASSERT_TRUE(OkEnabled()) << "the stored entry is valid";
        Edit(c.control)->setText(QString::fromStdWString(c.text));
        EXPECT_EQ(OkEnabled(), c.valid) << "control " << c.control << " with \"" << QString::fromStdWString(c.text).toStdString() << "\"";
    }
}

TEST_F(EntrySheet, SslNeedsTheHttpsPort)
{
    Open();
    Check(1056)->click();
    Edit(1062)->setText(QString());
    EXPECT_TRUE(OkEnabled());
    Check(1057)->click();
    EXPECT_FALSE(OkEnabled());
    Edit(1062)->setText(QStringLiteral("443"));
    EXPECT_TRUE(OkEnabled());
}

TEST_F(EntrySheet, MachineEditsAreReadOnlyUntilManualEntry)
{
    Open();
    for (int control : {1060, 1061, 1062}) EXPECT_TRUE(Edit(control)->isReadOnly());
    EXPECT_TRUE(Control<QPushButton>(*sheet, 1084)->isEnabled());
    Check(1056)->click();
    for (int control : {1060, 1061, 1062}) EXPECT_FALSE(Edit(control)->isReadOnly());
    EXPECT_FALSE(Control<QPushButton>(*sheet, 1084)->isEnabled());
}

TEST_F(EntrySheet, LoweringRecordableNumberKeepsTheNewestEvents)
{
    LogEvents(120);
    Open();
    sheet->SetActivePage(SettingsPage);
    EXPECT_EQ(Edit(1064)->text(), QStringLiteral("200"));
    Edit(1064)->setText(QStringLiteral("50"));
    Ok();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);

    const auto log = Fakes::Log(manager, id);
    ASSERT_EQ(log.GetEventList().size(), 50u);
    EXPECT_EQ(log.GetMax(), 50);
    EXPECT_EQ(log.GetEventList().front().GetID(), ID(70)) << "the 70 oldest go";
    EXPECT_EQ(log.GetEventList().back().GetID(), ID(119));
    EXPECT_EQ(Stored().GetConfig().GetLogMax(), 50);
    EXPECT_EQ(Stored().GetConfig().GetInterval(), 60000) << "other settings stay";
}

TEST_F(EntrySheet, RaisingRecordableNumberKeepsEveryEvent)
{
    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) {
        auto config = p.GetConfig();
        config.SetLogMax(100);
        p.SetConfig(config);
    });
    LogEvents(20);
    Open();
    sheet->SetActivePage(SettingsPage);
    Edit(1064)->setText(QStringLiteral("150"));
    Ok();
    const auto log = Fakes::Log(manager, id);
    EXPECT_EQ(log.GetEventList().size(), 20u);
    EXPECT_EQ(log.GetMax(), 150);
}

TEST_F(EntrySheet, SpinsStepWithinTheBounds)
{
    Open();
    sheet->SetActivePage(SettingsPage);
    auto* spin = sheet->findChild<QWidget*>(QStringLiteral("1109"));
    ASSERT_NE(spin, nullptr);
    auto* up = spin->findChild<QToolButton*>(QStringLiteral("up"));
    auto* down = spin->findChild<QToolButton*>(QStringLiteral("down"));
    Edit(1065)->setText(QStringLiteral("59"));
    up->click();
    EXPECT_EQ(Edit(1065)->text(), QStringLiteral("60"));
    up->click();
    EXPECT_EQ(Edit(1065)->text(), QStringLiteral("60")) << "stops at the maximum";
    Edit(1065)->setText(QString());
    down->click();
    EXPECT_EQ(Edit(1065)->text(), QStringLiteral("60")) << "an empty edit starts from the bound";
    EXPECT_TRUE(OkEnabled());
}

TEST_F(EntrySheet, WithoutPopupsTheEraseTimeIsLockedButWrittenBackUnchanged)
{
    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) {
        auto config = p.GetConfig();
        config.SetNotice(false);
        config.SetEraseTime(25000);
        p.SetConfig(config);
    });
    Open();
    sheet->SetActivePage(SettingsPage);
    EXPECT_TRUE(Edit(1118)->isReadOnly());
    EXPECT_FALSE(sheet->findChild<QWidget*>(QStringLiteral("1119"))->isEnabled());
    Check(1058)->click();
    EXPECT_FALSE(Edit(1118)->isReadOnly());
    Check(1058)->click();
    Check(1140)->click();
    Ok();
    EXPECT_EQ(Stored().GetConfig().GetEraseTime(), 25000);
    EXPECT_FALSE(Stored().GetConfig().GetNotice());
    EXPECT_TRUE(Stored().GetConfig().GetThumbnailHidden());
}

TEST_F(EntrySheet, ThePasswordIsStoredEncipheredAndTheAccountStays)
{
    Open();
    sheet->SetActivePage(UserPage);
    EXPECT_EQ(Edit(1063)->text(), QStringLiteral("secret"));
    EXPECT_EQ(Control<QLabel>(*sheet, 1094)->text(), QStringLiteral("alice"));
    Edit(1063)->setText(QStringLiteral("n3w-pass"));
    Ok();
    const auto user = Stored().GetUser();
    EXPECT_EQ(user.GetPassword().GetPlainText(), L"n3w-pass");
    EXPECT_EQ(user.GetID(), L"alice");
}

TEST_F(EntrySheet, MovingOntoTheHostOfAnotherMonitoredEntryStoresItUnmonitored)
{
    const ID other = Fakes::AddEntry(manager, L"192.168.1.20", 80);
    Open();
    Check(1056)->click();
    Edit(1060)->setText(QStringLiteral("192.168.1.20"));
    Ok();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Stored().GetMFP().GetHost(), L"192.168.1.20");
    EXPECT_FALSE(Stored().GetMonitoring()) << "the changed entry gives its monitoring up";
    EXPECT_TRUE(Fakes::PropertyOf(manager, other).GetMonitoring()) << "the other entry keeps it";
}

TEST_F(EntrySheet, OnlyPagesThatWereShownAreWritten)
{
    LogEvents(10);
    Open();
    Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) {
        auto config = p.GetConfig();
        config.SetLogMax(5);  // a change the sheet never read
        p.SetConfig(config);
    });
    Ok();
    EXPECT_EQ(Stored().GetConfig().GetLogMax(), 5) << "the settings page was never shown, so not written";
}

TEST_F(EntrySheet, AnEntryRemovedWhileTheSheetIsOpenClosesItWithoutWriting)
{
    const ID other = Fakes::AddEntry(manager, L"192.168.1.20", 80);
    for (bool viaOk : {true, false}) {
        id = Fakes::AddEntry(manager, L"127.0.0." + std::to_wstring(viaOk ? 2 : 3), 80);
        Open();
        Check(1056)->click();
        Edit(1060)->setText(QStringLiteral("192.168.1.20"));
        {
            EntryManager::Transaction transaction(manager);
            transaction.Erase(id);
            transaction.Commit();
        }
        if (viaOk)
            Ok();
        else
            sheet->SetActivePage(SettingsPage);  // the page reads the entry and finds it gone
        ASSERT_TRUE(SpinUntil([&] { return !sheet->isVisible(); })) << (viaOk ? "OK" : "next page");
        EXPECT_EQ(sheet->result(), QDialog::Rejected);
        std::lock_guard lock(manager);
        EXPECT_FALSE(manager.GetDB().Contains(id));
        EXPECT_EQ(manager.GetDB().Count(), 2u) << "nothing was written or added";
        EXPECT_TRUE(manager.GetDB().GetEntry(other).IsMonitoring());
    }
}

TEST_F(EntrySheet, RunAcceptsAtOnceWithoutAScreen)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    const auto before = Stored();
    UI::EntryConfigSheet shown(manager, id);
    EXPECT_EQ(shown.Run(), QDialog::Accepted);
    EXPECT_EQ(Stored().GetConfig(), before.GetConfig());

    {
        EntryManager::Transaction transaction(manager);
        transaction.Erase(id);
        transaction.Commit();
    }
    UI::EntryConfigSheet gone(manager, id);
    EXPECT_EQ(gone.Run(), QDialog::Rejected);
}

TEST_F(EntrySheet, AnEmptyRangeOfTheSettingsIsAConfigurationFault)
{
    limits.values.eventLogMax = 0;
    limits.Apply();
    EXPECT_THROW({ UI::EntryConfigSheet faulty(manager, id); }, ostrel::logic_error);
    limits.values.eventLogMax = 200;
    limits.values.checkIntervalMin = 7200000;
    limits.Apply();
    EXPECT_THROW({ UI::EntryConfigSheet faulty(manager, id); }, ostrel::logic_error);
}

}  // namespace
