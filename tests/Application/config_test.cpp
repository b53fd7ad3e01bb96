#include "Application/Config.hpp"
#include "Application/Limits.hpp"

#include "TempDir.hpp"

#include <boost/algorithm/string.hpp>
#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace fs = boost::filesystem;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    boost::split(result, text, boost::is_any_of("\n"));
    if (!result.empty() && result.back().empty()) result.pop_back();
    return result;
}

using Replacements = std::vector<std::pair<std::string, std::string>>;

std::string replaced(std::string content, const Replacements& replacements)
{
    for (const auto& [from, to] : replacements) boost::replace_all(content, from, to);
    return content;
}

class Settings : public ::testing::Test {
protected:
    TempDir dir;
    fs::path file = dir / "Travenor" / "Norvane4" / "config.dat";
    fs::path backup = dir / "Travenor" / "Norvane4" / "config.bak";
    Config config{file.string()};
};

TEST_F(Settings, FirstLoadWritesEveryKeyAtItsDefaultSorted)
{
    config.Load();
    const auto written = lines(ReadFile(file));
    ASSERT_EQ(written.size(), 58u);
    EXPECT_EQ(written.front(), "DETECTED_EVENT_QUEUE_SIZE = 200");
    EXPECT_EQ(written[1], "ENTRY_DEFAULT_ENABLE_DELETE_MSG = 1");
    EXPECT_EQ(written[2], "ENTRY_DEFAULT_ENABLE_EVENT_READ = 0");
    EXPECT_EQ(written[3], "ENTRY_DEFAULT_ENABLE_MONITORING = 1");
    EXPECT_TRUE(std::is_sorted(written.begin(), written.end()));
    EXPECT_NE(std::find(written.begin(), written.end(), "VERSION = 1.00"), written.end());
    EXPECT_NE(std::find(written.begin(), written.end(), "POPUP_EVENT_ERASE_INTERVAL_MS_MAX = 100000000"), written.end());
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(fs::status(file.parent_path()).permissions(), fs::owner_all) << "the folder is the person's alone";

    EXPECT_EQ(config.Port(), 61010);
    EXPECT_EQ(config.EntryMax(), 3);
    EXPECT_EQ(config.SubscriptionWaitLimitMs(), 180000);
    EXPECT_TRUE(config.checkConnectNewEntry());
    EXPECT_EQ(boost::numeric::upper(config.checkIntervalRange()), 3600000);
    const auto& d = config.entryDefaults();
    EXPECT_TRUE(d.monitoring);
    EXPECT_EQ(d.http, 80);
    EXPECT_EQ(d.https, 443);
    EXPECT_FALSE(d.ssl);
    EXPECT_EQ(d.eraseTimeMs, 10000);
    EXPECT_TRUE(d.deleteMsg);
}

TEST_F(Settings, FileWithOnlyTheVersionIsRewrittenWithDefaultsAndBackup)
{
    WriteFile(file, "VERSION = 1.00\r\n");
    config.Load();
    EXPECT_EQ(ReadFile(backup), "VERSION = 1.00\r\n");
    EXPECT_EQ(lines(ReadFile(file)).size(), 58u);
    EXPECT_FALSE(fs::exists(file.parent_path() / "config.tmp"));
}

TEST_F(Settings, MissingKeyIsFilledInAndTheOtherValuesKept)
{
    config.Load();
    const auto content = replaced(
        ReadFile(file), {{"ENTRY_MAX = 3\n", ""}, {"PORT = 61010", "PORT = 61011"}, {"HTTP_RETRY = 1", "HTTP_RETRY = 2"}});
    WriteFile(file, content);

    Config reloaded(file.string());
    reloaded.Load();
    EXPECT_EQ(ReadFile(backup), content);
    const auto rewritten = ReadFile(file);
    EXPECT_NE(rewritten.find("ENTRY_MAX = 3\n"), std::string::npos);
    EXPECT_NE(rewritten.find("PORT = 61011\n"), std::string::npos);
    EXPECT_EQ(reloaded.Port(), 61011);
    EXPECT_EQ(reloaded.SubscriptionWaitLimitMs(), 360000);

    reloaded.MakeProcessWideCopy();
    EXPECT_EQ(Limits::Current().listenPort, 61011);
    EXPECT_EQ(Limits::Current().subscriptionWaitLimitMs, 360000);
    EXPECT_EQ(QH::Config::CurrentRecord(QH::Request::Subscribe).retry, 2);
    Limits::Set(Limits::Values{});
}

TEST_F(Settings, FailuresLeaveTheFileAsItWas)
{
    const Replacements cases = {
        {"REGULAR_CHECK_INTERVAL_MS_MIN = 60000", "REGULAR_CHECK_INTERVAL_MS_MIN = 3600001"},
        {"POPUP_EVENT_ERASE_INTERVAL_MS_MIN = 0", "POPUP_EVENT_ERASE_INTERVAL_MS_MIN = 100000001"},
        {"ENTRY_MAX = 3", "ENTRY_MAX ="},
        {"VERSION = 1.00", "VERSION = 2.00"},
        {"PORT = 61010", "PORT 61010"},
    };
    config.Load();
    const auto good = ReadFile(file);
    for (const auto& c : cases) {
        const auto content = replaced(good, {c});
        WriteFile(file, content);
        Config broken(file.string());
        EXPECT_ANY_THROW(broken.Load()) << c.second;
        EXPECT_EQ(ReadFile(file), content) << c.second;
        EXPECT_FALSE(fs::exists(backup)) << c.second;
    }
}

TEST_F(Settings, EmptyIntervalIsReportedInTheIntervalLibrarysWords)
{
    WriteFile(file, "VERSION = 1.00\nREGULAR_CHECK_INTERVAL_MS_MIN = 3600001\n");
    try {
        config.Load();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "boost::interval: empty interval created");
    }
}

TEST_F(Settings, TimeoutTableTakesEachRequestsOwnKeys)
{
    config.Load();
    WriteFile(file, replaced(ReadFile(file), {{"QH_PRINT_SEND_TIMEOUT_MS = 30000", "QH_PRINT_SEND_TIMEOUT_MS = 1234"},
                                              {"HTTP_CONNECT_TIMEOUT_SUB_MS = 3000", "HTTP_CONNECT_TIMEOUT_SUB_MS = 777"},
                                              {"HTTP_RECV_TIMEOUT_MS = 30000", "HTTP_RECV_TIMEOUT_MS = 555"}}));
    Config edited(file.string());
    edited.Load();
    const auto& t = edited.timeouts();
    EXPECT_EQ(t[QH::Request::Print], (HTTP::Timeout{30000, 1, 1234, 30000}));
    EXPECT_EQ(t[QH::Request::CancelDownloadImage], (HTTP::Timeout{777, 1, 3000, 3000}));
    EXPECT_EQ(t[QH::Request::General], (HTTP::Timeout{30000, 1, 30000, 555}));
    EXPECT_EQ(t[QH::Request::Delete], (HTTP::Timeout{30000, 1, 30000, 30000}));
}

TEST(SettingsValues, NumbersAndSwitchesAreReadLeniently)
{
    struct IntCase {
        const char* text;
        int expected;
    };
    for (const auto& c : std::vector<IntCase>{{"30000abc", 30000},
                                              {"  42", 42},
                                              {"-5", -5},
                                              {"+7", 7},
                                              {"abc", 99},
                                              {"", 99},
                                              {"99999999999", 99},
                                              {"0x10", 0}})
        EXPECT_EQ(ReadConfigInt(c.text, 99), c.expected) << c.text;

    EXPECT_TRUE(ReadConfigBool("1", false));
    EXPECT_FALSE(ReadConfigBool("0", true));
    EXPECT_TRUE(ReadConfigBool("1 trailing", false));
    EXPECT_TRUE(ReadConfigBool("2", true));
    EXPECT_FALSE(ReadConfigBool("yes", false));
}

}  // namespace
