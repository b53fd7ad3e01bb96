// The text commands shared by standard input and the control port.

#include "SimFixture.hpp"

#include "QuillhavenSim/Control.hpp"

namespace SimTest {
namespace {

using QuillhavenSim::ExecuteControl;

class ControlCommands : public SimFixture {
protected:
    std::string Do(const std::string& line) { return ExecuteControl(machine, line).text; }
};

TEST_F(ControlCommands, CommandsActOnTheMachine)
{
    EXPECT_EQ(Do("user add carol pw Carol C"), "user carol added\n");
    EXPECT_EQ(FirstText(Post(Request("GETUSERINFO", "<USERNAME>carol</USERNAME>")).body, "DISPLAYNAME"), "Carol C");
    EXPECT_EQ(Do("name Floor 3 MFP"), "machine name set\n");
    EXPECT_EQ(FirstText(Post(Request("GETMACHINESETTINGS")).body, "MACHINENAME"), "Floor 3 MFP");
    EXPECT_EQ(Do("scan carol jpeg Big picture"), "document 0001\n");
    EXPECT_EQ(Do("notice carol 2 pay the bill"), "notice 1\n");
    EXPECT_EQ(Do("renotice carol 1 1 paid"), "notice 1\n");
    EXPECT_EQ(Do("detail carol one|two"), "detail list published\n");
    Subscribe("carol", "pw");
    const std::string feed = ReadFeed("carol", "carol", "pw").body;
    EXPECT_NE(feed.find("<title>Big picture</title>"), std::string::npos);
    EXPECT_NE(feed.find("<content>paid</content><status>1</status><notifyid>1</notifyid>"), std::string::npos);
    EXPECT_EQ(Do("fault slow 10 2"), "next 2 answer(s): slow\n");
    EXPECT_EQ(Do("user remove carol"), "user carol removed\n");
    EXPECT_EQ(Result(Request("GETUSERINFO", "<USERNAME>carol</USERNAME>")), "FAIL_NO_SUCH_USER");
    EXPECT_TRUE(ExecuteControl(machine, "quit").quit);
    EXPECT_EQ(Do("   "), "");
}

TEST_F(ControlCommands, BadCommandsAreExplainedAndChangeNothing)
{
    for (const char* line : {"frobnicate", "user add onlyname", "scan", "scan nobody", "policy 3", "policy x",
                             "guest maybe", "fault melt", "fault slow", "fault busy 2x", "notice alice 9 text",
                             "prepare"}) {
        EXPECT_EQ(Do(line).rfind("error: ", 0), 0u) << line;
    }
    EXPECT_TRUE(machine.Requests().empty());
    Subscribe("alice", "secret");
    EXPECT_EQ(ReadFeed("alice", "alice", "secret").body.find("<item>"), std::string::npos);
    EXPECT_EQ(Result(Request("GETUSERLIST")), "SUCCESS");  // no fault was queued
}

}  // namespace
}  // namespace SimTest
