// The installer's run of the real norvane4 process against a simulated machine.

#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "QuillhavenSim/Machine.hpp"

#include "Process.hpp"
#include "TempDir.hpp"

#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <mutex>

namespace fs = boost::filesystem;
using namespace std::chrono_literals;

namespace {

class Install : public ::testing::Test {
protected:
    Install() { machine.AddUser("alice", "secret", "Alice"); }

    int run(const std::vector<std::string>& arguments, std::string* errors = nullptr)
    {
        Process process(Norvane4Executable(), arguments, {{"QT_QPA_PLATFORM", "offscreen"}}, env.root().path());
        const auto code = process.Wait(60s);
        if (errors) *errors = process.Stderr();
        return code ? *code : -1;
    }

    std::shared_ptr<MonitoredEntry::EntryManager> installedData()
    {
        auto manager = std::make_shared<MonitoredEntry::EntryManager>();
        MonitoredEntry::DataFile::Load(manager, dataFile);
        return manager;
    }

    IsolatedEnvironment env;
    fs::path settings = env.dataDirectory() / "config.dat";
    fs::path dataFile = env.dataDirectory() / "data.dat";
    QuillhavenSim::Machine machine;
    std::string http = "--http=" + std::to_string(machine.HttpPort());
};

TEST_F(Install, WritesDefaultSettingsAndADataFileWithTheOneEntry)
{
    machine.SetMachineName("Front Desk MFP");
    WriteFile(settings, "VERSION = 1.00\nPORT = 1234\n");
    WriteFile(dataFile, "whatever was there before");

    std::string errors;
    ASSERT_EQ(run({"--install", "--host=127.0.0.1", http, "--uname=Alice", "--uid=alice", "--upass=secret"}, &errors),
              0)
        << errors;

    const auto written = ReadFile(settings);
    EXPECT_NE(written.find("PORT = 61010\n"), std::string::npos) << "the settings are the defaults";
    EXPECT_FALSE(fs::exists(settings.parent_path() / "config.bak"));

    const auto manager = installedData();
    std::lock_guard lock(*manager);
    ASSERT_EQ(manager->GetDB().Count(), 1u);
    const auto& property = manager->GetDB().GetEntryList().front()->GetProperty();
    EXPECT_EQ(property.GetMFP().GetHost(), L"127.0.0.1");
    EXPECT_EQ(*property.GetMFP().GetName(), L"Front Desk MFP") << "the name the machine reports";
    EXPECT_EQ(*property.GetMFP().GetHTTP(), machine.HttpPort());
    EXPECT_EQ(*property.GetMFP().GetHTTPS(), 443);
    EXPECT_EQ(property.GetUser().GetID(), L"alice");
    EXPECT_EQ(property.GetUser().GetPassword().GetPlainText(), L"secret");
    EXPECT_TRUE(property.GetMonitoring());
    EXPECT_EQ(ReadFile(dataFile).find("secret"), std::string::npos) << "the password is stored enciphered";
}

TEST_F(Install, GivenNameAndPortsWinAndAMissingPasswordIsEmpty)
{
    ASSERT_EQ(run({"-i", "--host=127.0.0.1", http, "--https=8443", "--mname=受付の複合機", "--uname=A", "--uid=a"}), 0);
    const auto manager = installedData();
    std::lock_guard lock(*manager);
    const auto& property = manager->GetDB().GetEntryList().front()->GetProperty();
    EXPECT_EQ(*property.GetMFP().GetName(), L"受付の複合機");
    EXPECT_EQ(*property.GetMFP().GetHTTPS(), 8443);
    EXPECT_EQ(property.GetUser().GetPassword().GetPlainText(), L"");
}

TEST_F(Install, OptionsThatCannotFormAnEntryTouchNothing)
{
    WriteFile(settings, "VERSION = 1.00\nPORT = 1234\n");
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"-i", "--host=bad host", "--uname=A", "--uid=a"},
             {"-i", "--host=127.0.0.1", "--uname=A", "--uid=a", "--upass=パスワード"},
             {"-i", "--host=127.0.0.1", "--uname=A", "--uid=a", "--upass=12345678901234567890123456789"}}) {
        std::string errors;
        EXPECT_EQ(run(words, &errors), 13) << words[1];
        EXPECT_EQ(errors, "");
    }
    EXPECT_EQ(ReadFile(settings), "VERSION = 1.00\nPORT = 1234\n");
    EXPECT_FALSE(fs::exists(dataFile));
}

TEST_F(Install, AnUnwritableDataFileEndsWithCode30)
{
    fs::create_directories(fs::path(dataFile.string() + ".tmp"));
    std::string errors;
    EXPECT_EQ(run({"-i", "--host=127.0.0.1", http, "--uname=A", "--uid=a"}, &errors), 30);
    EXPECT_EQ(errors, "Norvane4: 設定の保存に失敗しました。\n");
}

}  // namespace

namespace {

TEST_F(Install, AMachineThatDoesNotAnswerLeavesTheNameAbsent)
{
    ASSERT_EQ(run({"-i", "--host=127.0.0.1", "--http=1", "--uname=A", "--uid=a"}), 0);
    const auto manager = installedData();
    std::lock_guard lock(*manager);
    const auto& mfp = manager->GetDB().GetEntryList().front()->GetProperty().GetMFP();
    EXPECT_FALSE(mfp.GetName().is_initialized());
    EXPECT_EQ(*mfp.GetHTTP(), 1);
}

}  // namespace
