// "機器選択" on the machine page with a discovery backend that answers from a list.

#include "DiscoveryTesting.hpp"
#include "Fakes.hpp"
#include "Support.hpp"
#include "TempDir.hpp"

#include "Norvane/UI/EntryConfigSheet.hpp"
#include "Utility/LoadString.hpp"

#include <discovery/Library.hpp>

#include <QLabel>
#include <QLineEdit>

namespace {

using MonitoredEntry::EntryManager;

class MachineChoice : public ::testing::Test {
protected:
    MachineChoice()
    {
        EntrySettings::EnsureApplication();
        Discovery::Library::Instance().SetBackend(backend);
        backend->machines = {MakeMachine(L"10.0.0.7", L"Front desk", L"", 8080, 8443)};
        id = Fakes::AddEntry(manager, L"127.0.0.1", 80);
        Fakes::ChangeEntry(manager, id, [](MonitoredEntry::EntryProperty& p) {
            auto mfp = p.GetMFP();
            mfp.SetSSL(true);
            p.SetMFP(mfp);
        });
        sheet = std::make_unique<UI::EntryConfigSheet>(manager, id);
        sheet->show();
    }
    ~MachineChoice() override { Discovery::Library::Instance().SetBackend(std::make_shared<FakeBackend>()); }

    QString Text(int control) const
    {
        if (auto* edit = sheet->findChild<QLineEdit*>(QString::number(control))) return edit->text();
        return EntrySettings::Control<QLabel>(*sheet, control)->text();
    }
    void Choose() { EntrySettings::Control<QPushButton>(*sheet, 1084)->click(); }
    MonitoredEntry::MFP Stored() { return Fakes::PropertyOf(manager, id).GetMFP(); }

    IsolatedEnvironment env;  // the chosen machine's defaults come from the settings file
    EntrySettings::ScopedMessages messages;
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    EntryManager manager;
    ID id;
    std::unique_ptr<UI::EntryConfigSheet> sheet;
};

TEST_F(MachineChoice, AChosenMachineReplacesNameHostAndPortsButNotSsl)
{
    AnswerWindow(0, "okButton");
    Choose();
    EXPECT_EQ(Text(1087), QStringLiteral("Front desk"));
    EXPECT_EQ(Text(1060), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(Text(1061), QStringLiteral("8080"));
    EXPECT_EQ(Text(1062), QStringLiteral("8443"));
    ASSERT_TRUE(sheet->OkButton()->isEnabled());
    sheet->OkButton()->click();
    EXPECT_EQ(Stored(), MonitoredEntry::MFP(std::wstring(L"Front desk"), L"10.0.0.7", 8080, 8443, true));
}

TEST_F(MachineChoice, CancellingChangesNothing)
{
    AnswerWindow(0, "cancelButton");
    Choose();
    EXPECT_EQ(Text(1060), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Text(1061), QStringLiteral("80"));
    EXPECT_TRUE(messages.recorder->Texts().empty());
}

TEST_F(MachineChoice, ADiscoveryFailureIsACommunicationError)
{
    backend->failure = std::make_exception_ptr(Discovery::SearchFailure("browse failed"));
    Choose();
    EXPECT_EQ(messages.recorder->Texts(), std::vector<std::wstring>{LoadString(180)});
    EXPECT_EQ(Text(1060), QStringLiteral("127.0.0.1"));
}

}  // namespace
