#include <ostrel/config.hpp>
#include <ostrel/exception.hpp>

#include "TempDir.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/program_options/errors.hpp>
#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

class SmallConfig : public ostrel::config<std::string> {
public:
    explicit SmallConfig(fs::path file) : file_(std::move(file)) {}

protected:
    void define() override
    {
        set_path(file_.string());
        define_version(1.00);
        define_key("PORT", 61010);
        define_key("ENTRY_MAX", 3);
        define_key("FLAG", true);
        define_key("NAME", "abc");
    }

private:
    fs::path file_;
};

class ConfigFile : public ::testing::Test {
protected:
    TempDir dir;
    fs::path file = dir / "sub" / "config.dat";
    SmallConfig config{file};
};

TEST_F(ConfigFile, MissingFileIsWrittenWithDefaultsInKeyOrder)
{
    config.load();
    EXPECT_EQ(ReadFile(file), "ENTRY_MAX = 3\nFLAG = 1\nNAME = abc\nPORT = 61010\nVERSION = 1.00\n");
    EXPECT_FALSE(fs::exists(dir / "sub" / "config.tmp"));
    EXPECT_FALSE(fs::exists(dir / "sub" / "config.bak"));
}

TEST_F(ConfigFile, SyntaxVariantsReadTheSame)
{
    struct Case {
        const char* name;
        const char* content;
    };
    const Case cases[] = {
        {"LF", "VERSION = 1.00\nPORT = 1234\nENTRY_MAX = 3\nFLAG = 0\nNAME = x\n"},
        {"CR LF", "VERSION = 1.00\r\nPORT = 1234\r\nENTRY_MAX = 3\r\nFLAG = 0\r\nNAME = x\r\n"},
        {"no blanks", "VERSION=1\nPORT=1234\nENTRY_MAX=3\nFLAG=0\nNAME=x"},
        {"blanks, tabs, comments",
         "# settings\n\n  VERSION\t=  1.0  \n\tPORT  =   1234   # the port\nENTRY_MAX = 3\nFLAG = 0\nNAME = x\n"},
        {"repeated key, last wins", "VERSION = 1.00\nPORT = 1\nENTRY_MAX = 3\nFLAG = 0\nNAME = x\nPORT = 1234\n"},
        {"unknown key ignored", "VERSION = 1.00\nPORT = 1234\nENTRY_MAX = 3\nFLAG = 0\nNAME = x\nOTHER = 5\n"},
        {"section lines ignored", "VERSION = 1.00\nPORT = 1234\nENTRY_MAX = 3\nFLAG = 0\nNAME = x\n[more]\nPORT = 9\n"},
    };
    for (const auto& c : cases) {
        WriteFile(file, c.content);
        ASSERT_NO_THROW(config.load()) << c.name;
        EXPECT_EQ(config.value("PORT"), "1234") << c.name;
        EXPECT_EQ(config.value("VERSION"), "1.00") << c.name;
        EXPECT_EQ(config.value("OTHER"), "") << c.name;
        EXPECT_EQ(ReadFile(file), c.content) << c.name << ": a complete file is never rewritten";
    }
}

TEST_F(ConfigFile, MissingKeysTakeDefaultsAndAreReported)
{
    WriteFile(file, "VERSION = 1.00\nPORT = 5\n");
    EXPECT_THROW(config.load(), ostrel::defective_config);
    EXPECT_EQ(config.value("PORT"), "5");
    EXPECT_EQ(config.value("ENTRY_MAX"), "3");
    EXPECT_EQ(config.value("NAME"), "abc");
}

TEST_F(ConfigFile, WrongVersionsAreNotSupportedAndLeaveDefaults)
{
    for (const char* content : {"", "PORT = 5\n", "VERSION = 2.00\nPORT = 5\n", "VERSION = abc\nPORT = 5\n",
                                "VERSION = 1.00abc\nPORT = 5\n"}) {
        WriteFile(file, content);
        EXPECT_THROW(config.load(), ostrel::nonsupport_version) << content;
        EXPECT_EQ(config.value("PORT"), "61010") << content;
        EXPECT_EQ(ReadFile(file), content);
    }
}

TEST_F(ConfigFile, SyntaxErrorsAreTheOptionsLibrarysAndLeaveTheFileAlone)
{
    WriteFile(file, "VERSION = 1.00\nENTRY_MAX =\n");
    try {
        config.load();
        FAIL();
    } catch (const boost::program_options::error& e) {
        EXPECT_STREQ(e.what(), "no value given");
    }
    WriteFile(file, "VERSION = 1.00\nthis line has no equals sign\n");
    EXPECT_THROW(config.load(), boost::program_options::invalid_config_file_syntax);
    EXPECT_EQ(ReadFile(file), "VERSION = 1.00\nthis line has no equals sign\n");
}

TEST_F(ConfigFile, SaveWithBackupKeepsThePreviousFileAndReplacesAnOldBackup)
{
    config.load();
    const auto first = ReadFile(file);
    WriteFile(dir / "sub" / "config.bak", "old backup");
    WriteFile(file, "VERSION = 1.00\nPORT = 7\n");
    EXPECT_THROW(config.load(), ostrel::defective_config);
    config.save(true);
    EXPECT_EQ(ReadFile(dir / "sub" / "config.bak"), "VERSION = 1.00\nPORT = 7\n");
    EXPECT_EQ(ReadFile(file), "ENTRY_MAX = 3\nFLAG = 1\nNAME = abc\nPORT = 7\nVERSION = 1.00\n");
    EXPECT_NE(first, ReadFile(file));
}

TEST_F(ConfigFile, FailingTemporaryFileLeavesTheCurrentFileUntouched)
{
    config.load();
    const auto before = ReadFile(file);
    fs::create_directories(dir / "sub" / "config.tmp");  // a directory in the way
    EXPECT_THROW(config.save(true), ostrel::open_file_failure);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_FALSE(fs::exists(dir / "sub" / "config.bak"));
}

TEST_F(ConfigFile, RemoveDeletesTheFileAndItsBackup)
{
    config.load();
    config.save(true);
    ASSERT_TRUE(fs::exists(dir / "sub" / "config.bak"));
    config.remove();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(dir / "sub" / "config.bak"));
    EXPECT_NO_THROW(config.remove());
}

}  // namespace
