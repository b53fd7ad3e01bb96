#include "Application/CommandLine.hpp"
#include "Application/InstallMode.hpp"

#include <gtest/gtest.h>

#include <boost/program_options/errors.hpp>

TEST(CommandLine, SelectsTheModeAndReadsValuesOnlyForInstall)
{
    const auto normal = ParseCommandLine({"--convert"});
    EXPECT_FALSE(normal.install);
    EXPECT_FALSE(normal.uninstall);

    const auto uninstall = ParseCommandLine({"-u", "--host=ignored"});
    EXPECT_TRUE(uninstall.uninstall);
    EXPECT_FALSE(uninstall.host);

    const auto install = ParseCommandLine(
        {"-i", "--uninstall", "--host", "mfp.local", "--http=8080", "--uname", "山田", "--uid=yamada", "--upass", "x"});
    EXPECT_TRUE(install.install);
    EXPECT_EQ(*install.host, "mfp.local");
    EXPECT_EQ(*install.http, 8080);
    EXPECT_FALSE(install.https);
    EXPECT_EQ(*install.userName, "山田");
    EXPECT_EQ(*install.password, "x");
}

TEST(CommandLine, BadWordsAreErrors)
{
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"--http=abc"}, {"--host"}, {"stray"}, {"-x"}, {"--http", "12x"}, {"--mname="}})
        EXPECT_THROW(ParseCommandLine(words), boost::program_options::error) << words.front();
}

TEST(CommandLine, InstallNeedsHostUserAndAccountAndPortsInRange)
{
    auto line = ParseCommandLine({"-i", "--host=h", "--uname=u", "--uid=id"});
    EXPECT_TRUE(InstallOptionsComplete(line));
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"-i", "--uname=u", "--uid=id"},
             {"-i", "--host=h", "--uid=id"},
             {"-i", "--host=h", "--uname=u"},
             {"-i", "--host=h", "--uname=u", "--uid=id", "--http=70000"},
             {"-i", "--host=h", "--uname=u", "--uid=id", "--https=-1"},
             {"-i", "--host=h", "--uname=u", "--uid=id", "--mname", ""}})
        EXPECT_FALSE(InstallOptionsComplete(ParseCommandLine(words))) << words.back();
    EXPECT_TRUE(InstallOptionsComplete(ParseCommandLine({"-i", "--host=h", "--uname=u", "--uid=id", "--http=0"})));
}
