// The real norvane4 process: run modes, exit codes and the settings file it writes.

#include "Process.hpp"
#include "TempDir.hpp"

#include <boost/algorithm/string/replace.hpp>
#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = boost::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string initFailed = "Norvane4: アプリケーションの初期化に失敗しました。\n";

class Norvane4Process : public ::testing::Test {
protected:
    IsolatedEnvironment env;
    fs::path settings = env.dataDirectory() / "config.dat";
    fs::path lockFile = env.root().path() / "runtime" / "OsmarkNorvane4.lock";
    fs::path channel = env.root().path() / "runtime" / "OsmarkNorvane4MainFrame";

    std::unique_ptr<Process> start(const std::vector<std::string>& arguments)
    {
        return std::make_unique<Process>(Norvane4Executable(), arguments,
                                         std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"}},
                                         env.root().path());
    }

    int run(const std::vector<std::string>& arguments, std::string* errors = nullptr)
    {
        auto process = start(arguments);
        const auto code = process->Wait(60s);
        if (errors) *errors = process->Stderr();
        return code ? *code : -1;
    }

    // The running instance is ready once it holds the lock and listens on its channel.
    std::unique_ptr<Process> startRunning()
    {
        auto process = start({});
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(channel) || !process->Running(); }, 30s));
        EXPECT_TRUE(process->Running()) << process->Stderr();
        return process;
    }

    bool lockHeldByOther()
    {
        const int fd = ::open(lockFile.c_str(), O_RDWR);
        if (fd < 0) return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }
};

TEST_F(Norvane4Process, OneInstanceRunsASecondIsRefusedAndUninstallStopsIt)
{
    auto first = startRunning();
    EXPECT_TRUE(lockHeldByOther());
    EXPECT_TRUE(fs::exists(settings));

    std::string errors;
    EXPECT_EQ(run({}, &errors), 11);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(run({"--convert"}), 11);
    EXPECT_TRUE(first->Running());

    EXPECT_EQ(run({"--uninstall"}), 0);
    EXPECT_EQ(first->Wait(10s), 0);
    EXPECT_FALSE(lockHeldByOther());

    EXPECT_EQ(run({"-u"}), 0) << "nothing left to stop";
}

TEST_F(Norvane4Process, TerminationSignalRunsTheOrderlyShutdown)
{
    auto running = startRunning();
    running->Signal(SIGTERM);
    EXPECT_EQ(running->Wait(20s), 0);
    EXPECT_FALSE(lockHeldByOther());
}

TEST_F(Norvane4Process, UninstallGivesUpWhenTheLockIsNotReleased)
{
    fs::create_directories(lockFile.parent_path());
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    std::string errors;
    EXPECT_EQ(run({"--uninstall"}, &errors), 21);
    EXPECT_EQ(errors, "");
    ::close(fd);
}

TEST_F(Norvane4Process, BadCommandLinesEndWithCode10AndTheStartUpMessage)
{
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--http=abc"}, {"-i", "--http=abc"}, {"--host"}, {"stray"}}) {
        std::string errors;
        EXPECT_EQ(run(words, &errors), 10) << words.front();
        EXPECT_EQ(errors, initFailed) << words.front();
    }
    EXPECT_FALSE(fs::exists(settings));
}

TEST_F(Norvane4Process, IncompleteInstallOptionsEndWithCode13AndTouchNothing)
{
    auto running = startRunning();
    const auto before = ReadFile(settings);
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--install", "--uname=u", "--uid=id"},
             {"-i", "--host=h", "--uid=id"},
             {"-i", "--host=h", "--uname=u"},
             {"-i", "--host=h", "--uname=u", "--uid=id", "--http=70000"}}) {
        std::string errors;
        EXPECT_EQ(run(words, &errors), 13) << words.back();
        EXPECT_EQ(errors, "");
    }
    EXPECT_TRUE(running->Running());
    EXPECT_EQ(ReadFile(settings), before);
    EXPECT_EQ(run({"-u"}), 0);
}

TEST_F(Norvane4Process, DamagedSettingsStopTheStartAndStayForRepair)
{
    for (const std::string damaged : {"VERSION = 1.00\nENTRY_MAX =\n", "VERSION = 9\nPORT = 1\n", "",
                                      "VERSION = 1.00\nREGULAR_CHECK_INTERVAL_MS_MIN = 3600001\n"}) {
        WriteFile(settings, damaged);
        std::string errors;
        EXPECT_EQ(run({}, &errors), 10) << damaged;
        EXPECT_EQ(errors, initFailed);
        EXPECT_EQ(ReadFile(settings), damaged);
        EXPECT_FALSE(fs::exists(settings.parent_path() / "config.bak"));
        EXPECT_FALSE(lockHeldByOther());
    }
}

TEST_F(Norvane4Process, SettingsLackingAKeyAreRepairedWithABackup)
{
    WriteFile(settings, "VERSION = 1\r\nPORT = 61011\r\n");
    auto running = startRunning();
    EXPECT_EQ(ReadFile(settings.parent_path() / "config.bak"), "VERSION = 1\r\nPORT = 61011\r\n");
    const auto repaired = ReadFile(settings);
    EXPECT_NE(repaired.find("PORT = 61011\n"), std::string::npos);
    EXPECT_NE(repaired.find("ENTRY_MAX = 3\n"), std::string::npos);
    EXPECT_EQ(run({"-u"}), 0);
    EXPECT_EQ(running->Wait(10s), 0);
}

}  // namespace
