// Preview, Save, Print and Delete against the simulated machine.

#include "EventWindowFixture.hpp"

#include "Norvane/UI/EventDlg.hpp"
#include "Utility/Text.hpp"

#include <QPushButton>

#include <boost/filesystem.hpp>

#include <cstdlib>

namespace EventWindowsTest {
namespace {

namespace C = UI::EventControl;
namespace fs = boost::filesystem;
using namespace std::chrono_literals;
using QuillhavenSim::DocumentFormat;
using QuillhavenSim::FaultKind;

class DocumentActionsTest : public EventWindowFixture {
protected:
    // A window on a freshly scanned document, shown.
    std::unique_ptr<UI::EventDlg> OpenScan(const EntrySettings& settings = {},
                                           DocumentFormat format = DocumentFormat::Pdf)
    {
        scan = std::make_unique<MonitoredEntry::EventProperty>(PublishScan(format));
        code = Text::Narrow(*scan->GetDocID());
        MakeEntry({*scan}, 1, settings);
        auto window = MakeWindow<UI::EventDlg>(*scan);
        window->show();
        return window;
    }
    void Click(UI::EventDlg& window, int id) { ControlOf<QAbstractButton>(window, id)->click(); }
    static bool Enabled(const UI::EventDlg& window, int id) { return ControlOf(window, id)->isEnabled(); }
    static bool DisablingSetEnabled(const UI::EventDlg& window)
    {
        for (int id : {1, 1067, 1078, 1079, 1130, 1131, 1127, 1128})
            if (!Enabled(window, id)) return false;
        return true;
    }
    bool WaitForActionEnd(UI::EventDlg& window, std::chrono::milliseconds limit = 10s)
    {
        return WaitUntil([&] { return DisablingSetEnabled(window); }, limit);
    }
    // The document requests ("NVF=1") the machine answered, by their query.
    std::vector<std::string> Downloads() const
    {
        std::vector<std::string> targets;
        for (const auto& r : machine.Requests())
            if (r.target.find("NVF=1&") != std::string::npos) targets.push_back(r.target);
        return targets;
    }
    // Temporary files of saves left in the system's temporary folder.
    std::vector<std::string> SaveLeftovers() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(System::NarrowPath(System::GetTempDir())))
            if (e.path().filename().string().rfind("~NV", 0) == 0) names.push_back(e.path().string());
        return names;
    }

    std::unique_ptr<MonitoredEntry::EventProperty> scan;
    std::string code;
};

TEST_F(DocumentActionsTest, PreviewDownloadsIntoANewFolderAndOpensTheFile)
{
    auto window = OpenScan();
    Click(*window, C::Preview);
    for (int id : {1, 1067, 1078, 1079, 1130, 1131, 1127, 1128}) EXPECT_FALSE(Enabled(*window, id)) << id;
    ASSERT_TRUE(WaitForActionEnd(*window));

    const auto opened = opener->Opened();
    ASSERT_EQ(opened.size(), 1u);
    const fs::path file = System::NarrowPath(opened[0]);
    EXPECT_EQ(file.filename(), "prev.pdf");
    EXPECT_EQ(file.parent_path().parent_path(), fs::path(System::NarrowPath(System::TempDirectory())).parent_path());
    EXPECT_EQ(ReadFile(file).substr(0, 5), "%PDF-");
    const auto downloads = Downloads();
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_NE(downloads[0].find("DC=" + code + "&UN=alice&QHR=0&IDR=1&UID="), std::string::npos);
    EXPECT_TRUE(messages->Shown().empty());
}

TEST_F(DocumentActionsTest, PreviewWaitsForTheMachineToPrepareTheDocument)
{
    machine.SetPreparationCount(1);
    EntrySettings settings;
    settings.eventRead = true;
    auto window = OpenScan(settings);
    Click(*window, C::Preview);
    // While the machine prepares, only Close is back, so that the person can give up.
    ASSERT_TRUE(WaitUntil([&] { return machine.PreparationRefusals() == 1; }, 5s));
    ASSERT_TRUE(WaitUntil([&] { return Enabled(*window, C::Close); }, 2s));
    EXPECT_FALSE(Enabled(*window, C::Preview));
    ASSERT_TRUE(WaitForActionEnd(*window, 15s));

    ASSERT_EQ(opener->Opened().size(), 1u);
    const auto downloads = Downloads();
    ASSERT_EQ(downloads.size(), 3u);  // kind 7, then kind 8 refused once, then kind 8 answered
    EXPECT_NE(downloads[0].find("QHR=1&IDR=1"), std::string::npos);
    EXPECT_NE(downloads[2].find("QHR=1&IDR=2"), std::string::npos);
    EXPECT_EQ(machine.CancelledDownloads(), 0);
}

TEST_F(DocumentActionsTest, ClosingDuringPreparationCancelsItAtTheMachine)
{
    machine.SetPreparationCount(100);
    auto window = OpenScan();
    Click(*window, C::Save);
    ASSERT_TRUE(WaitUntil([&] { return machine.PreparationRefusals() == 1 && Enabled(*window, C::Close); }, 5s));
    Click(*window, C::Close);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    window.reset();  // joins the worker

    EXPECT_EQ(machine.CancelledDownloads(), 1);
    EXPECT_EQ(saveAs->calls, 0);
    EXPECT_TRUE(messages->Shown().empty());
    EXPECT_TRUE(SaveLeftovers().empty());

    // The same for a preview, closed by a close request.
    auto preview = OpenScan();
    Click(*preview, C::Preview);
    ASSERT_TRUE(WaitUntil([&] { return machine.PreparationRefusals() == 2; }, 5s));
    preview->RequestClose();
    ASSERT_TRUE(WaitUntil([&] { return !preview->isVisible(); }, 5s));
    preview.reset();
    EXPECT_EQ(machine.CancelledDownloads(), 2);
    EXPECT_TRUE(opener->Opened().empty());
}

TEST_F(DocumentActionsTest, PreviewFailuresLeaveTheWindowUsable)
{
    {
        auto window = OpenScan();
        machine.InjectFault(FaultKind::Failure);
        Click(*window, C::Preview);
        ASSERT_TRUE(WaitForActionEnd(*window));
        EXPECT_EQ(messages->Shown(), std::vector<unsigned>{178});
        EXPECT_TRUE(window->isVisible());
    }
    {
        // No preview folder can be made: the temporary folder is a file.
        auto window = OpenScan();
        const fs::path blocked = env.root() / "blocked";
        WriteFile(blocked, "not a folder");
        ::setenv("TMPDIR", blocked.c_str(), 1);
        Click(*window, C::Preview);
        ASSERT_TRUE(WaitForActionEnd(*window));
        EXPECT_EQ(messages->Shown(), (std::vector<unsigned>{178, 168}));
        EXPECT_TRUE(opener->Opened().empty());
    }
}

TEST_F(DocumentActionsTest, SaveOffersTheFilterAndCopiesTheDocument)
{
    TempDir target;
    const fs::path chosen = target / "scan.pdf";
    saveAs->answer = Text::Widen(chosen.string());
    auto window = OpenScan();
    Click(*window, C::Save);
    ASSERT_TRUE(WaitForActionEnd(*window));

    EXPECT_EQ(saveAs->offeredFilter, L"PDF (*.pdf)");
    EXPECT_EQ(saveAs->offeredSuffix, L".pdf");
    EXPECT_EQ(ReadFile(chosen).substr(0, 5), "%PDF-");
    EXPECT_TRUE(SaveLeftovers().empty());
    EXPECT_TRUE(messages->Shown().empty());
}

TEST_F(DocumentActionsTest, SaveAfterPreparationAndCancelledSaveAsLeaveNothingBehind)
{
    machine.SetPreparationCount(1);
    auto window = OpenScan({}, DocumentFormat::Jpeg);
    Click(*window, C::Save);  // the person cancels the Save As dialog
    ASSERT_TRUE(WaitForActionEnd(*window, 15s));
    EXPECT_EQ(saveAs->calls, 1);
    EXPECT_EQ(saveAs->offeredFilter, L"JPEG (*.jpeg)");
    EXPECT_TRUE(SaveLeftovers().empty());
    EXPECT_TRUE(messages->Shown().empty());
}

TEST_F(DocumentActionsTest, SaveFailuresShowTheirMessages)
{
    auto window = OpenScan();
    // The chosen folder does not exist: the final copy fails.
    saveAs->answer = Text::Widen((env.root() / "missing" / "scan.pdf").string());
    Click(*window, C::Save);
    ASSERT_TRUE(WaitForActionEnd(*window));
    EXPECT_EQ(messages->Shown(), std::vector<unsigned>{177});
    EXPECT_TRUE(SaveLeftovers().empty());

    // The machine fails the request.
    machine.InjectFault(FaultKind::Failure);
    Click(*window, C::Save);
    ASSERT_TRUE(WaitForActionEnd(*window));
    EXPECT_EQ(messages->Shown(), (std::vector<unsigned>{177, 178}));
}

TEST_F(DocumentActionsTest, PrintSendsTheReadFlagAndSaysSo)
{
    EntrySettings settings;
    settings.eventRead = true;
    auto window = OpenScan(settings);
    Click(*window, C::Print);
    EXPECT_EQ(machine.PrintedDocuments(), std::vector<std::string>{code});
    EXPECT_EQ(messages->Shown(), std::vector<unsigned>{217});
    EXPECT_EQ(messages->LastIcon(), UI::MessageIcon::Information);
    bool sentRead = false;
    for (const auto& r : machine.Requests()) sentRead |= r.target.find("NVF=2&DC=" + code + "&UN=alice&QHR=1") != std::string::npos;
    EXPECT_TRUE(sentRead);
    EXPECT_TRUE(window->isVisible());

    machine.InjectFault(FaultKind::Failure);
    Click(*window, C::Print);
    EXPECT_EQ(messages->Shown(), (std::vector<unsigned>{217, 178}));
}

TEST_F(DocumentActionsTest, DeleteAsksFirstAndClosesTheWindow)
{
    EntrySettings settings;
    settings.deleteMsg = true;
    auto window = OpenScan(settings);

    messages->answer = false;
    Click(*window, C::Delete);
    EXPECT_EQ(messages->Shown(), std::vector<unsigned>{213});
    EXPECT_TRUE(machine.DeletedDocuments().empty());
    EXPECT_TRUE(window->isVisible());

    machine.InjectFault(FaultKind::Forbidden);
    messages->answer = true;
    Click(*window, C::Delete);
    EXPECT_EQ(messages->Shown(), (std::vector<unsigned>{213, 213, 214}));
    EXPECT_TRUE(window->isVisible());

    machine.InjectFault(FaultKind::Failure);
    Click(*window, C::Delete);
    EXPECT_EQ(messages->Shown(), (std::vector<unsigned>{213, 213, 214, 213, 178}));

    Click(*window, C::Delete);
    EXPECT_EQ(machine.DeletedDocuments(), std::vector<std::string>{code});
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
}

}  // namespace
}  // namespace EventWindowsTest
