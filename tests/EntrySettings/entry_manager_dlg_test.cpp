// The entry manager dialog against a simulated machine on 127.0.0.1: the list and its
// status texts, the button states, switching monitoring with the wait for the
// subscription keeper, removing and adding.

#include "Fakes.hpp"
#include "RecordingOpener.hpp"
#include "Support.hpp"

#include "Monitoring/EventMonitorManager.hpp"
#include "Norvane/UI/EntryConfigSheet.hpp"
#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EntryManagerDlg.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "System/System.hpp"
#include "Utility/LoadString.hpp"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace EntrySettings;
using MonitoredEntry::EntryManager;

class EntryManagerDialog : public ::testing::Test {
protected:
    EntryManagerDialog() { EnsureApplication(); machine.AddUser("alice", "secret", "Alice"); }

    ~EntryManagerDialog() override
    {
        dialog.reset();
        if (engineStarted) {
            events.StopAll();
            manager->RemoveObserver(&events);
        }
    }

    /// The subscription keepers of the monitored entries, as the main window runs them.
    void StartEngine()
    {
        manager->AddObserver(&events);
        engineStarted = true;
    }

    /// Entry A monitored on the machine; entry B on the same host, not monitored (it
    /// got there through a change of its host, the only way two entries share one).
    void TwoEntriesOnOneHost()
    {
        a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort());
        b = Fakes::AddEntry(*manager, L"localhost", machine.HttpPort(), {}, false);
        Fakes::ChangeEntry(*manager, b, [](MonitoredEntry::EntryProperty& p) {
            auto mfp = p.GetMFP();
            mfp.SetHost(L"127.0.0.1");
            p.SetMFP(mfp);
        });
    }

    void Open(UI::EntryManagerDlg::WizardOpener wizard = {})
    {
        dialog = std::make_unique<UI::EntryManagerDlg>(manager, std::move(wizard));
        dialog->show();
        ProcessEvents();
    }

    QPushButton* Button(int id) const { return Control<QPushButton>(*dialog, id); }

    /// The rows' texts of one column, in row order.
    std::vector<std::wstring> Column(int column) const
    {
        std::vector<std::wstring> texts;
        const auto* model = dialog->List().model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.push_back(model->index(row, column).data().toString().toStdWString());
        return texts;
    }

    void Select(int row)
    {
        dialog->List().selectRow(row);
        ProcessEvents();
    }

    int State(const ID& id) { return Fakes::PropertyOf(*manager, id).GetSubscriptionState(); }
    bool Monitoring(const ID& id) { return Fakes::PropertyOf(*manager, id).GetMonitoring(); }

    Fakes::ScopedLimits limits;
    ScopedMessages messages;
    QuillhavenSim::Machine machine;
    std::shared_ptr<EntryManager> manager = std::make_shared<EntryManager>();
    MachineEvent::DetectedEventQueue queue{200};
    Monitor::EventMonitorManager events{*manager, queue};
    bool engineStarted = false;
    std::unique_ptr<UI::EntryManagerDlg> dialog;
    ID a, b;
};

TEST_F(EntryManagerDialog, SwitchingOnAnEntryOfAHostSwitchesTheOtherOffAndWaitsForTheKeeper)
{
    TwoEntriesOnOneHost();
    StartEngine();
    ASSERT_TRUE(SpinUntil([&] { return State(a) == 1; })) << "entry A was never subscribed";
    Open();
    EXPECT_EQ(Column(1), (std::vector<std::wstring>{LoadString(144), LoadString(146)}));

    Select(1);  // B: rows keep store order under equal machine names
    Button(1055)->click();
    // The keeper may have subscribed already before the click returned (the first check of
    // the wait is made at once); otherwise the button waits for it.
    EXPECT_TRUE(!Button(1055)->isEnabled() || State(b) != 0) << "the button waits for the subscription";
    EXPECT_FALSE(Monitoring(a)) << "the other entry on the host stops in the same transaction";
    EXPECT_TRUE(Monitoring(b));

    ASSERT_TRUE(SpinUntil([&] { return !dialog->Waiting(); }));
    EXPECT_EQ(State(b), 1) << "the wait ends once the keeper subscribed";
    EXPECT_TRUE(Button(1055)->isEnabled());
    ASSERT_TRUE(SpinUntil([&] { return Column(1) == std::vector<std::wstring>{LoadString(146), LoadString(144)}; }))
        << "the list shows one monitoring and one not monitored entry";
    EXPECT_TRUE(Button(1054)->isEnabled()) << "the selected entry is monitored";

    // Switching it off waits for the unsubscription as well.
    Button(1055)->click();
    ASSERT_TRUE(SpinUntil([&] { return !dialog->Waiting(); }));
    EXPECT_EQ(State(b), 2);
    EXPECT_FALSE(Monitoring(a)) << "switching off touches no other entry";
    ASSERT_TRUE(SpinUntil([&] { return Column(1) == std::vector<std::wstring>(2, LoadString(146)); }));
    EXPECT_FALSE(Button(1054)->isEnabled());
}

TEST_F(EntryManagerDialog, AFailedSubscriptionShowsAnErrorAndEndsTheWait)
{
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    machine.Stop();  // nothing answers on its port any more
    StartEngine();
    Open();
    Select(0);
    Button(1055)->click();
    ASSERT_TRUE(SpinUntil([&] { return !dialog->Waiting(); }));
    EXPECT_EQ(State(a), 2);
    ASSERT_TRUE(SpinUntil([&] { return Column(1) == std::vector<std::wstring>{LoadString(145)}; }));
}

TEST_F(EntryManagerDialog, TheWaitGivesUpAtTheLimitWhenNoKeeperActs)
{
    limits.values.subscriptionWaitLimitMs = 600;
    limits.Apply();
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    Open();  // no engine: nobody ever subscribes
    Select(0);
    Button(1055)->click();
    EXPECT_TRUE(dialog->Waiting());
    ProcessEvents();
    EXPECT_TRUE(dialog->Waiting()) << "still within the limit";
    EXPECT_FALSE(Button(1055)->isEnabled()) << "a selection change keeps the waiting button off";
    ASSERT_TRUE(SpinUntil([&] { return !dialog->Waiting(); }, std::chrono::seconds(10)));
    EXPECT_EQ(State(a), 0);
    EXPECT_TRUE(Button(1055)->isEnabled());
}

TEST_F(EntryManagerDialog, ButtonStatesFollowTheSelection)
{
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    Open();
    dialog->List().clearSelection();
    ProcessEvents();
    for (int id : {1055, 1054, 1053, 1052}) EXPECT_FALSE(Button(id)->isEnabled()) << id << " without a selection";
    for (int id : {1083, 1}) EXPECT_TRUE(Button(id)->isEnabled()) << id;

    Select(0);
    for (int id : {1055, 1053, 1052}) EXPECT_TRUE(Button(id)->isEnabled()) << id << " with a selection";
    EXPECT_FALSE(Button(1054)->isEnabled()) << "the entry is not monitored";
}

TEST_F(EntryManagerDialog, ColumnsShowNamesFallingBackToHostAndAccountAndTheNoticeSetting)
{
    Fakes::EntrySettings silent;
    silent.notice = silent.noticeVoice = false;
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), silent, false);
    b = Fakes::AddEntry(*manager, L"localhost", machine.HttpPort(), {}, false);
    Fakes::ChangeEntry(*manager, b, [](MonitoredEntry::EntryProperty& p) {
        auto mfp = p.GetMFP();
        mfp.SetName(std::wstring(L"Front desk"));
        p.SetMFP(mfp);
        auto user = p.GetUser();
        user.SetName(std::wstring(L"Alice"));
        p.SetUser(user);
    });
    Open();
    EXPECT_EQ(Column(0), (std::vector<std::wstring>{L"127.0.0.1", L"Front desk"}));
    EXPECT_EQ(Column(2), (std::vector<std::wstring>{L"alice", L"Alice"}));
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{LoadString(137), LoadString(136)}));

    dialog->List().SortBy(3);  // descending: notices on first
    EXPECT_EQ(Column(3), (std::vector<std::wstring>{LoadString(136), LoadString(137)}));
}

TEST_F(EntryManagerDialog, RemovingAsksFirst)
{
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    Open();
    Select(0);
    messages.recorder->answer = false;
    Button(1053)->click();
    {
        std::lock_guard lock(*manager);
        EXPECT_TRUE(manager->GetDB().Contains(a)) << "No keeps the entry";
    }
    messages.recorder->answer = true;
    Button(1053)->click();
    EXPECT_EQ(messages.recorder->Texts(), std::vector<std::wstring>(2, LoadString(115)));
    {
        std::lock_guard lock(*manager);
        EXPECT_EQ(manager->GetDB().Count(), 0u);
    }
    EXPECT_EQ(dialog->List().ItemCount(), 0);
    EXPECT_FALSE(Button(1053)->isEnabled());
}

TEST_F(EntryManagerDialog, AddingRunsTheWizardBelowTheLimitOnly)
{
    limits.values.entryMax = 1;
    limits.Apply();
    std::vector<QWidget*> parents;
    Open([&](QWidget* parent) { parents.push_back(parent); });
    Button(1083)->click();
    ASSERT_EQ(parents.size(), 1u);
    EXPECT_EQ(parents[0], dialog.get());

    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    Button(1083)->click();
    EXPECT_EQ(parents.size(), 1u) << "no wizard at the limit";
    EXPECT_EQ(messages.recorder->Texts(), std::vector<std::wstring>{LoadString(120)});
}

TEST_F(EntryManagerDialog, TheNotificationItemPageOpensForTheSelectedMonitoredEntry)
{
    auto opener = std::make_shared<RecordingOpener>();
    System::SetOpener(opener);
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort());
    Open();
    Select(0);
    ASSERT_TRUE(Button(1054)->isEnabled());
    Button(1054)->click();
    System::SetOpener(nullptr);
    ASSERT_EQ(opener->opened.size(), 1u);
    const std::wstring& address = opener->opened[0];
    EXPECT_NE(address.find(L"127.0.0.1:" + std::to_wstring(machine.HttpPort())), std::wstring::npos) << address;
    EXPECT_NE(address.find(L"NVF=4"), std::wstring::npos) << address;
    EXPECT_NE(address.find(L"UN=alice"), std::wstring::npos) << address;
}

TEST_F(EntryManagerDialog, DetailSettingsRunTheSheetOfTheSelectedEntry)
{
    a = Fakes::AddEntry(*manager, L"127.0.0.1", machine.HttpPort(), {}, false);
    b = Fakes::AddEntry(*manager, L"192.168.1.20", machine.HttpPort(), {}, false);
    Open();
    Select(1);
    QString host;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (auto* sheet = dynamic_cast<UI::EntryConfigSheet*>(QApplication::activeModalWidget())) {
            host = sheet->findChild<QLineEdit*>(QStringLiteral("1060"))->text();
            sheet->reject();
        }
    });
    timer.start(10);
    Button(1052)->click();  // returns when the sheet closed
    EXPECT_EQ(host, QStringLiteral("192.168.1.20"));
}

}  // namespace
