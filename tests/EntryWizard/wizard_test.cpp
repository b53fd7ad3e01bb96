// The add-entry wizard against simulated machines on 127.0.0.1, with discovery answered
// by a fake backend: both routes to an account, the machine page's rules, the messages
// of a machine that refuses or does not answer, the duplicate host, the entry limit and
// the wait for the new entry's subscription.

#include "DiscoveryTesting.hpp"
#include "Fakes.hpp"

#include "Application/Config.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/EventMonitorManager.hpp"
#include "Norvane/UI/AddEntryWizard.hpp"
#include "Norvane/UI/EntryWizard/Pages.hpp"
#include "Norvane/UI/EntryWizard/Wizard.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/TimeoutTable.hpp"
#include "System/System.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include "QuillhavenSim/Machine.hpp"

#include "TempDir.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include <discovery/Library.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <mutex>

using namespace UI::EntryWizard;
using MonitoredEntry::EntryManager;
namespace Id = ControlId;

namespace {

constexpr unsigned CommunicationError = 180, NoUsers = 161, SameHost = 182, AuthenticationFailed = 216;

class RecordingMessages : public UI::MessageService {
public:
    void Show(const std::wstring& text, UI::MessageIcon icon) override
    {
        std::lock_guard lock(mutex_);
        shown_.emplace_back(IdOf(text), icon);
    }
    bool Ask(const std::wstring& text) override
    {
        std::lock_guard lock(mutex_);
        shown_.emplace_back(IdOf(text), UI::MessageIcon::Exclamation);
        return answer;
    }
    std::vector<unsigned> Ids() const
    {
        std::lock_guard lock(mutex_);
        std::vector<unsigned> ids;
        for (const auto& shown : shown_) ids.push_back(shown.first);
        return ids;
    }
    UI::MessageIcon LastIcon() const
    {
        std::lock_guard lock(mutex_);
        return shown_.back().second;
    }
    void Clear()
    {
        std::lock_guard lock(mutex_);
        shown_.clear();
    }
    bool answer = true;

private:
    static unsigned IdOf(const std::wstring& text)
    {
        for (unsigned id : {CommunicationError, NoUsers, SameHost, AuthenticationFailed})
            if (LoadString(id) == text) return id;
        return 0;
    }
    mutable std::mutex mutex_;
    std::vector<std::pair<unsigned, UI::MessageIcon>> shown_;
};

class RecordingOpener : public System::Opener {
public:
    bool Open(const std::wstring& address, const std::wstring&) override
    {
        std::lock_guard lock(mutex_);
        opened_.push_back(address);
        return true;
    }
    std::vector<std::wstring> Opened() const
    {
        std::lock_guard lock(mutex_);
        return opened_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::wstring> opened_;
};

int Count(const QuillhavenSim::Machine& machine, const std::string& command)
{
    int n = 0;
    for (const auto& request : machine.Requests())
        if (request.command == command) ++n;
    return n;
}

class EntryWizardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    EntryWizardTest()
    {
        machine.SetMachineName("Front desk");
        machine.AddUser("alice", "secret", "Alice");
        machine.AddUser("bob", "hunter2", "");
        QH::Config table;
        for (std::size_t kind = 0; kind < QH::RequestKinds; ++kind)
            table[static_cast<QH::Request>(kind)] = HTTP::Timeout{2000, 0, 3000, 3000};
        QH::Config::Install(table);
        limits.values.subscriptionWaitLimitMs = 20000;
        limits.Apply();
        backend->machines = {MakeMachine(L"127.0.0.1", L"Front desk", L"", machine.HttpPort(), machine.HttpsPort())};
        Discovery::Library::Instance().SetBackend(backend);
        UI::Message::SetService(messages);
        System::SetOpener(opener);
        settings.defaultProperty = MonitoredEntry::MakeDefaultEntryProperty(EntryDefaults());
    }

    ~EntryWizardTest() override
    {
        wizard.reset();
        UI::Message::SetService(nullptr);
        System::SetOpener(nullptr);
        Discovery::Library::Instance().SetBackend(std::make_shared<FakeBackend>());
    }

    void Open()
    {
        wizard = std::make_unique<Wizard>(manager, settings);
        wizard->show();
        QApplication::processEvents();
    }

    template <class T = QWidget>
    T* Control(int id) const
    {
        T* control = wizard->findChild<T*>(QString::number(id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    QString Text(int id) const
    {
        if (auto* label = wizard->findChild<QLabel*>(QString::number(id))) return label->text();
        return Control<QLineEdit>(id)->text();
    }
    void Type(int id, const QString& text) { Control<QLineEdit>(id)->setText(text); }
    void Click(int id) { Control<QAbstractButton>(id)->click(); }

    bool NextEnabled() const
    {
        const QAbstractButton* next = wizard->button(QWizard::NextButton);
        return next->isVisible() && next->isEnabled();
    }
    void Next() { wizard->button(QWizard::NextButton)->click(); }
    void Back() { wizard->button(QWizard::BackButton)->click(); }
    void Finish()
    {
        wizard->button(QWizard::FinishButton)->click();
        QApplication::processEvents();  // a close asked for from inside Finish
    }

    /// The discovered machine in row `row` of the machine list.
    void ChooseMachine(int row) { Control<QListWidget>(Id::MachineList)->setCurrentRow(row); }

    /// Selects the user whose list row shows `shown`; false if no row does.
    bool ChooseUser(const QString& shown)
    {
        auto& list = *Control<UserListControl>(Id::UserList);
        for (int row = 0; row < list.model()->rowCount(); ++row)
            if (list.model()->index(row, 1).data().toString() == shown) {
                list.selectionModel()->setCurrentIndex(list.model()->index(row, 0),
                                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                return true;
            }
        return false;
    }
    QStringList ListedUsers() const
    {
        auto& list = *Control<UserListControl>(Id::UserList);
        QStringList rows;
        for (int row = 0; row < list.model()->rowCount(); ++row)
            rows << list.model()->index(row, 0).data().toString() + " " + list.model()->index(row, 1).data().toString();
        return rows;
    }

    /// From a new wizard to its confirmation page: the first discovered machine and the
    /// user shown as `shown` with `password`.
    void OpenToConfirmation(const QString& shown, const QString& password)
    {
        Open();
        ChooseMachine(0);
        Next();
        ASSERT_TRUE(ChooseUser(shown));
        Type(Id::UserPassword, password);
        Next();
        ASSERT_EQ(wizard->currentId(), PageKey::Commit);
    }

    /// Types a machine in by hand: the host and the HTTP port of the simulated machine.
    void TypeMachine(const QString& host, int httpPort)
    {
        Click(Id::Manual);
        Type(Id::Host, host);
        Type(Id::HTTP, QString::number(httpPort));
    }

    std::vector<MonitoredEntry::EntryProperty> Entries() const
    {
        std::vector<MonitoredEntry::EntryProperty> entries;
        std::lock_guard lock(*manager);
        for (const auto& entry : manager->GetDB().GetEntryList()) entries.push_back(entry->GetProperty());
        return entries;
    }

    ID AddExisting(const std::wstring& host, bool monitoring)
    {
        auto property = settings.defaultProperty;
        property.SetMonitoring(monitoring);
        auto mfp = property.GetMFP();
        mfp.SetHost(host);
        property.SetMFP(mfp);
        property.SetUser(MonitoredEntry::User(boost::none, L"carol", MonitoredEntry::Password(L"pw")));
        EntryManager::Transaction transaction(*manager);
        const ID id = transaction.Append(property);
        transaction.Commit();
        return id;
    }

    IsolatedEnvironment env;
    Fakes::ScopedLimits limits;
    QuillhavenSim::Machine machine;
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    std::shared_ptr<RecordingMessages> messages = std::make_shared<RecordingMessages>();
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<EntryManager> manager = std::make_shared<EntryManager>();
    Settings settings;
    std::unique_ptr<Wizard> wizard;
};

TEST_F(EntryWizardTest, DiscoveredMachineAndAUserFromItsList)
{
    machine.SetSecurityPolicy(1);  // the machine lists its users
    Open();
    EXPECT_EQ(wizard->currentId(), PageKey::MachineSelect);
    EXPECT_EQ(wizard->windowTitle(), QString::fromStdWString(LoadString(104)) + " 1/3");
    EXPECT_EQ(Control<QListWidget>(Id::MachineList)->count(), 1);
    EXPECT_EQ(Control<QListWidget>(Id::MachineList)->item(0)->text(), "Front desk");
    EXPECT_FALSE(NextEnabled());

    ChooseMachine(0);
    EXPECT_EQ(Text(Id::Name), "Front desk");
    EXPECT_EQ(Text(Id::Host), "127.0.0.1");
    EXPECT_EQ(Text(Id::HTTP), QString::number(machine.HttpPort()));
    EXPECT_EQ(Text(Id::HTTPS), QString::number(machine.HttpsPort()));
    EXPECT_TRUE(Control<QLineEdit>(Id::Host)->isReadOnly());
    ASSERT_TRUE(NextEnabled());

    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::UserSelect);
    EXPECT_EQ(wizard->GetPage(PageKey::UserSelect)->ReachedFrom(), PageKey::MachineSelect);
    EXPECT_EQ(wizard->windowTitle(), QString::fromStdWString(LoadString(104)) + " 2/3");
    EXPECT_EQ(ListedUsers(), QStringList({"001 Alice", "002 bob"})) << "no display name: the account ID shows";
    EXPECT_TRUE(Text(Id::UserName).isEmpty());
    EXPECT_TRUE(Control<QLineEdit>(Id::UserPassword)->isReadOnly());
    EXPECT_FALSE(NextEnabled());

    ASSERT_TRUE(ChooseUser("Alice"));
    EXPECT_EQ(Text(Id::UserName), "Alice");
    EXPECT_EQ(Text(Id::AccountID), "alice");
    EXPECT_FALSE(Control<QLineEdit>(Id::UserPassword)->isReadOnly());
    EXPECT_TRUE(NextEnabled()) << "an empty password is a valid one";

    Type(Id::UserPassword, "wrong");
    Next();
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{AuthenticationFailed});
    EXPECT_EQ(wizard->currentId(), PageKey::UserSelect);

    Type(Id::UserPassword, "secret");
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::Commit);
    EXPECT_EQ(wizard->windowTitle(), QString::fromStdWString(LoadString(104)) + " 3/3");
    EXPECT_TRUE(Control<QCheckBox>(Id::NotificationItems)->isChecked());
    Click(Id::NotificationItems);  // no notification-item page: no wait either
    Finish();

    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_FALSE(wizard->isVisible());
    ASSERT_TRUE(wizard->AddedEntry());
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    auto expected = settings.defaultProperty;
    expected.SetMFP(MonitoredEntry::MFP(std::wstring(L"Front desk"), L"127.0.0.1", int(machine.HttpPort()),
                                        int(machine.HttpsPort()), false));
    expected.SetUser(MonitoredEntry::User(std::wstring(L"Alice"), L"alice", MonitoredEntry::Password(L"secret")));
    EXPECT_EQ(entries[0].GetMFP(), expected.GetMFP());
    EXPECT_EQ(entries[0].GetUser().GetName(), expected.GetUser().GetName());
    EXPECT_EQ(entries[0].GetUser().GetID(), L"alice");
    EXPECT_EQ(entries[0].GetUser().GetPassword().GetPlainText(), L"secret");
    EXPECT_TRUE(entries[0].GetMonitoring());
    EXPECT_EQ(entries[0].GetConfig().GetLogMax(), expected.GetConfig().GetLogMax());
    EXPECT_TRUE(opener->Opened().empty());
}

TEST_F(EntryWizardTest, TypedMachineAndAccountIDThenSubscribedBeforeTheNotificationItemPage)
{
    machine.SetSecurityPolicy(2);  // no user list: the account ID is typed in
    MachineEvent::DetectedEventQueue queue{200};
    Monitor::EventMonitorManager monitors{*manager, queue};
    manager->AddObserver(&monitors);

    Open();
    Click(Id::Manual);
    EXPECT_TRUE(Text(Id::Host).isEmpty());
    EXPECT_EQ(Text(Id::HTTP), "80");
    EXPECT_EQ(Text(Id::HTTPS), "443");
    EXPECT_FALSE(Control(Id::MachineList)->isEnabled());
    EXPECT_FALSE(Control<QLineEdit>(Id::Host)->isReadOnly());
    EXPECT_FALSE(NextEnabled()) << "no host yet";
    Click(Id::Manual);
    EXPECT_TRUE(Text(Id::HTTP).isEmpty()) << "unticked: the ports are absent again";
    EXPECT_TRUE(Text(Id::HTTPS).isEmpty());

    TypeMachine("127.0.0.1", machine.HttpPort());
    ASSERT_TRUE(NextEnabled());
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::UserInput);
    EXPECT_EQ(wizard->windowTitle(), QString::fromStdWString(LoadString(104)) + " 2/3");
    EXPECT_FALSE(NextEnabled());
    EXPECT_TRUE(wizard->button(QWizard::BackButton)->isEnabled());

    Type(Id::InputAccountID, "alice");
    for (const QString& bad : {QString(29, QChar('a')), QString::fromUtf8("s\xC3\xA9" "cret")}) {
        Type(Id::InputPassword, bad);
        EXPECT_FALSE(NextEnabled()) << bad.toStdString();
    }
    Type(Id::InputPassword, QString(28, QChar('a')));
    EXPECT_TRUE(NextEnabled());
    Type(Id::InputPassword, "secret");
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::Commit);
    EXPECT_EQ(wizard->GetPage(PageKey::Commit)->ReachedFrom(), PageKey::UserInput);
    Back();
    EXPECT_EQ(wizard->currentId(), PageKey::UserInput);
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::Commit);

    Finish();
    ASSERT_TRUE(wizard->AddedEntry());
    const ID id = *wizard->AddedEntry();
    // The page opened only once the engine had subscribed the new entry.
    ASSERT_EQ(opener->Opened().size(), 1u);
    {
        std::lock_guard lock(*manager);
        EXPECT_EQ(manager->GetDB().GetEntry(id).GetProperty().GetSubscriptionState(), 1);
    }
    const std::string opened = Text::Narrow(opener->Opened()[0]);
    EXPECT_NE(opened.find("127.0.0.1:" + std::to_string(machine.HttpPort()) + "/vozoz/norvane?"), std::string::npos)
        << opened;
    EXPECT_NE(opened.find("NVF=4&UN=alice"), std::string::npos) << opened;
    bool subscribed = false;
    for (const auto& s : machine.Subscriptions()) subscribed |= s.user == "alice";
    EXPECT_TRUE(subscribed);
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].GetMFP().GetName()) << "a typed machine has no name";
    EXPECT_EQ(entries[0].GetMFP().GetHTTPS().value_or(-1), 443);
    EXPECT_FALSE(entries[0].GetUser().GetName());

    monitors.StopAll();
    manager->RemoveObserver(&monitors);
}

TEST_F(EntryWizardTest, NextOnlyForAUsableMachine)
{
    struct Case {
        const char* host;
        const char* http;
        const char* https;
        bool ssl;
        bool next;
    };
    const Case cases[] = {
        {"mfp.example", "80", "443", false, true},
        {"mfp.example", "80", "", true, false},  // SSL without an HTTPS port
        {"mfp.example", "", "443", true, true},
        {"mfp.example", "", "443", false, false},
        {"mfp.example", "65535", "0", false, true},
        {"mfp.example", "65536", "443", false, false},
        {"mfp.example", "80", "99999999999", false, false},  // present ports must be ports
        {"mfp example", "80", "443", false, false},
        {"", "80", "443", false, false},
        {"192.168.0.256", "80", "443", false, true},  // a name made of digits
        {"-mfp", "80", "443", false, false},
    };
    Open();
    Click(Id::Manual);
    for (const Case& c : cases) {
        Type(Id::Host, c.host);
        Type(Id::HTTP, c.http);
        Type(Id::HTTPS, c.https);
        if (Control<QCheckBox>(Id::SSL)->isChecked() != c.ssl) Click(Id::SSL);
        EXPECT_EQ(NextEnabled(), c.next) << c.host << " " << c.http << " " << c.https << " ssl " << c.ssl;
    }
}

TEST_F(EntryWizardTest, AMachineThatDoesNotAnswer)
{
    QuillhavenSim::Machine gone;
    const int port = gone.HttpPort();
    gone.Stop();

    Open();
    TypeMachine("127.0.0.1", port);
    Next();
    EXPECT_EQ(wizard->currentId(), PageKey::MachineSelect);
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{CommunicationError});
    EXPECT_EQ(messages->LastIcon(), UI::MessageIcon::Exclamation);

    // Without the connection check the account is typed in.
    settings.checkConnect = false;
    messages->Clear();
    Open();
    TypeMachine("127.0.0.1", port);
    Next();
    EXPECT_EQ(wizard->currentId(), PageKey::UserInput);
    EXPECT_TRUE(messages->Ids().empty());

    // A machine that stops answering before the account is checked: the same message,
    // and the person stays with what was typed.
    settings.checkConnect = true;
    Open();
    ChooseMachine(0);
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::UserSelect);
    ASSERT_TRUE(ChooseUser("Alice"));
    Type(Id::UserPassword, "secret");
    machine.Stop();
    Next();
    EXPECT_EQ(wizard->currentId(), PageKey::UserSelect);
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{CommunicationError});
    EXPECT_EQ(Text(Id::AccountID), "alice");
    EXPECT_FALSE(wizard->Error());
}

TEST_F(EntryWizardTest, AMachineWithoutUsers)
{
    machine.RemoveUser("alice");
    machine.RemoveUser("bob");
    Open();
    ChooseMachine(0);
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::UserSelect);
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{NoUsers});
    EXPECT_EQ(messages->LastIcon(), UI::MessageIcon::Information);
    EXPECT_TRUE(ListedUsers().isEmpty());
    EXPECT_FALSE(NextEnabled());

    // The person registers one on the machine and asks again.
    machine.AddUser("dave", "pw", "Dave");
    Click(Id::Refresh);
    EXPECT_EQ(ListedUsers(), QStringList({"001 Dave"}));
}

TEST_F(EntryWizardTest, TheListIsFetchedAgainOnlyForAnotherHost)
{
    QuillhavenSim::Machine other;
    other.AddUser("erin", "pw", "Erin");
    backend->machines.push_back(MakeMachine(L"localhost", L"Back office", L"", other.HttpPort(), other.HttpsPort()));
    Open();
    ChooseMachine(0);
    Next();
    ASSERT_TRUE(ChooseUser("Alice"));
    EXPECT_EQ(Count(machine, "GETUSERLIST"), 1);

    Back();
    EXPECT_EQ(wizard->currentId(), PageKey::MachineSelect);
    Next();
    EXPECT_EQ(Count(machine, "GETUSERLIST"), 1) << "same host: the list stays";
    EXPECT_EQ(Text(Id::AccountID), "alice") << "and so does the choice";

    Back();
    ChooseMachine(1);
    Next();
    ASSERT_EQ(wizard->currentId(), PageKey::UserSelect);
    EXPECT_EQ(Count(other, "GETUSERLIST"), 1);
    EXPECT_EQ(ListedUsers(), QStringList({"001 Erin"}));
    EXPECT_TRUE(Text(Id::AccountID).isEmpty()) << "nobody of the other machine stays chosen";
    EXPECT_FALSE(NextEnabled());
}

TEST_F(EntryWizardTest, WithoutTheAuthenticationCheckAWrongPasswordIsTaken)
{
    settings.checkAuthenticate = false;
    ASSERT_NO_FATAL_FAILURE(OpenToConfirmation("bob", "wrong"));
    EXPECT_EQ(Count(machine, "AUTHENTICATE"), 0);
    Click(Id::NotificationItems);
    Finish();
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].GetUser().GetPassword().GetPlainText(), L"wrong");
    EXPECT_FALSE(Entries()[0].GetUser().GetName()) << "bob has no display name";
}

TEST_F(EntryWizardTest, OneEntryPerHost)
{
    AddExisting(L"127.0.0.1", false);  // not monitored, and still the host is taken
    ASSERT_NO_FATAL_FAILURE(OpenToConfirmation("Alice", "secret"));

    messages->answer = false;  // No: stay
    Finish();
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{SameHost});
    EXPECT_TRUE(wizard->isVisible());
    EXPECT_EQ(wizard->currentId(), PageKey::Commit);

    messages->answer = true;  // Yes: end without adding
    Finish();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    EXPECT_FALSE(wizard->AddedEntry());
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_TRUE(opener->Opened().empty());
}

TEST_F(EntryWizardTest, TheLimitReachedMeanwhileEndsTheRunWithTheManagersError)
{
    limits.values.entryMax = 1;
    limits.Apply();
    bool scripted = false;
    QTimer::singleShot(0, [&] {
        auto* run = qobject_cast<Wizard*>(QApplication::activeModalWidget());
        if (!run) return;
        run->findChild<QListWidget*>(QString::number(Id::MachineList))->setCurrentRow(0);
        run->button(QWizard::NextButton)->click();
        auto& list = *run->findChild<UserListControl*>(QString::number(Id::UserList));
        list.selectionModel()->setCurrentIndex(list.model()->index(0, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        run->findChild<QLineEdit*>(QString::number(Id::UserPassword))->setText("secret");
        run->button(QWizard::NextButton)->click();
        if (run->currentId() != PageKey::Commit) return run->reject();
        AddExisting(L"mfp.example", true);  // another window took the last place
        scripted = true;
        run->button(QWizard::FinishButton)->click();
    });
    EXPECT_THROW(UI::RunAddEntryWizard(nullptr, manager), MonitoredEntry::OverLimitEntryCount);
    EXPECT_TRUE(scripted);
    ASSERT_EQ(Entries().size(), 1u);
    EXPECT_EQ(Entries()[0].GetMFP().GetHost(), L"mfp.example");
}

TEST_F(EntryWizardTest, AFailedDiscoveryLeavesTypingAMachineIn)
{
    backend->failure = std::make_exception_ptr(Discovery::SearchFailure("no discovery service"));
    Open();
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>{CommunicationError});
    EXPECT_EQ(Control<QListWidget>(Id::MachineList)->count(), 0);

    backend->failure = nullptr;
    Click(Id::Search);
    ASSERT_EQ(Control<QListWidget>(Id::MachineList)->count(), 1);

    backend->failure = std::make_exception_ptr(Discovery::SearchFailure("gone again"));
    Click(Id::Search);
    EXPECT_EQ(messages->Ids(), std::vector<unsigned>({CommunicationError, CommunicationError}));
    EXPECT_EQ(Control<QListWidget>(Id::MachineList)->count(), 1) << "the list stays as it was";

    TypeMachine("127.0.0.1", machine.HttpPort());
    Next();
    EXPECT_EQ(wizard->currentId(), PageKey::UserSelect);
    EXPECT_FALSE(wizard->Error());
}

TEST_F(EntryWizardTest, AnEntryThatIsNotMonitoredOpensTheNotificationItemPageWithoutWaiting)
{
    // Nothing subscribes an entry that is not monitored: a wait would last the whole limit.
    limits.values.subscriptionWaitLimitMs = std::numeric_limits<int>::max();
    limits.Apply();
    settings.defaultProperty.SetMonitoring(false);
    ASSERT_NO_FATAL_FAILURE(OpenToConfirmation("Alice", "secret"));
    Finish();
    ASSERT_TRUE(wizard->AddedEntry());
    EXPECT_FALSE(Entries()[0].GetMonitoring());
    ASSERT_EQ(opener->Opened().size(), 1u);
    EXPECT_NE(Text::Narrow(opener->Opened()[0]).find("NVF=4&UN=alice"), std::string::npos);
}

}  // namespace
