#include <ostrel/filesystem/unique_entry.hpp>

#include "TempDir.hpp"

#include <boost/filesystem/operations.hpp>
#include <gtest/gtest.h>

#include <regex>

namespace fs = boost::filesystem;
using ostrel::filesystem::detail::unique_entry_with_stem;

TEST(UniqueEntry, NameIsPrefixTimeStemAndCounter)
{
    TempDir dir;
    const auto made = ostrel::filesystem::unique_entry(dir.path() / "a" / "b", "prev");
    ASSERT_TRUE(fs::is_directory(*made));
    EXPECT_EQ(made->parent_path(), dir.path() / "a" / "b");
    const auto name = made->filename().string();
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(prev20\d{6}\d{1,2}\d{1,2}\d{1,2}\d{1,6}00000000)"))) << name;
}

TEST(UniqueEntry, CallsInTheSameMicrosecondDifferInTheCounter)
{
    TempDir dir;
    const auto first = unique_entry_with_stem(dir.path(), "p", "2026121014305123");
    const auto second = unique_entry_with_stem(dir.path(), "p", "2026121014305123");
    EXPECT_EQ(first->filename().string(), "p202612101430512300000000");
    EXPECT_EQ(second->filename().string(), "p202612101430512300000001");
    EXPECT_TRUE(fs::is_directory(*second));
}

TEST(UniqueEntry, FileInTheWayIsAnError)
{
    TempDir dir;
    WriteFile(dir / "blocker", "x");
    EXPECT_THROW(ostrel::filesystem::unique_entry(dir / "blocker", "p"), fs::filesystem_error);
}
