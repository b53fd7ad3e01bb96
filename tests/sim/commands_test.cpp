// The XML commands: each RESULT text the machine gives, and the answers' contents.

#include "SimFixture.hpp"

namespace SimTest {
namespace {

class Commands : public SimFixture {};

struct ResultCase {
    const char* name;
    std::string body;
    const char* result;
};

TEST_F(Commands, EachCommandAnswersTheResultARealMachineGives)
{
    const ResultCase cases[] = {
        {"settings", Request("GETMACHINESETTINGS"), "SUCCESS"},
        {"user list", Request("GETUSERLIST"), "SUCCESS"},
        {"user info", Request("GETUSERINFO", "<USERNAME>alice</USERNAME>"), "SUCCESS"},
        {"user info, unknown user", Request("GETUSERINFO", "<USERNAME>carol</USERNAME>"), "FAIL_NO_SUCH_USER"},
        {"authenticate", Request("AUTHENTICATE", "<USER_NAME>alice</USER_NAME><PASSWORD>secret</PASSWORD>"),
         "SUCCESS"},
        {"authenticate, wrong password",
         Request("AUTHENTICATE", "<USER_NAME>alice</USER_NAME><PASSWORD>Secret</PASSWORD>"), "FAIL_AUTHENTICATE"},
        {"authenticate, password of another user",
         Request("AUTHENTICATE", "<USER_NAME>alice</USER_NAME><PASSWORD>hunter2</PASSWORD>"), "FAIL_AUTHENTICATE"},
        {"authenticate, unknown user", Request("AUTHENTICATE", "<USER_NAME>carol</USER_NAME><PASSWORD>x</PASSWORD>"),
         "FAIL_NO_SUCH_USER"},
        {"authenticate spells the user USER_NAME",
         Request("AUTHENTICATE", "<USERNAME>alice</USERNAME><PASSWORD>secret</PASSWORD>"), "FAIL_INVALID_PARAMETER"},
        {"subscribe, wrong password", SubscribeRequest("alice", "nope", 61010), "FAIL_AUTHENTICATE"},
        {"subscribe, unknown user", SubscribeRequest("carol", "x", 61010), "FAIL_NO_SUCH_USER"},
        {"subscribe, port out of range", SubscribeRequest("alice", "secret", 70000), "FAIL_LISTENPORT_UNREACHABLE"},
        {"unsubscribe without subscription", Request("UNSUBSCRIBETOFEED", "<USERNAME>alice</USERNAME>"),
         "FAIL_NO_FEED_REGISTERED"},
        {"unknown command", Request("FORMATDISK"), "FAIL_UNKNOWN_COMMAND"},
        {"command in lower case", Request("getuserlist"), "FAIL_UNKNOWN_COMMAND"},
        {"no COMMAND", "<REQUEST><PARAM/></REQUEST>", "FAIL_INVALID_REQUEST"},
    };
    for (const auto& c : cases) EXPECT_EQ(Result(c.body), c.result) << c.name;
}

TEST_F(Commands, AnswersAreUpperCaseXmlAndCarryTheSettings)
{
    machine.SetMachineName("Floor 3");
    machine.SetSecurityPolicy(2);
    machine.SetGuestLogin(true);
    Answer answer = Post(Request("GETMACHINESETTINGS"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType.rfind("text/xml", 0), 0u) << answer.contentType;
    EXPECT_NE(answer.body.find("<RESPONSE>"), std::string::npos);
    EXPECT_EQ(FirstText(answer.body, "MACHINENAME"), "Floor 3");
    EXPECT_EQ(FirstText(answer.body, "SECURITYPOLICY"), "2");
    EXPECT_EQ(FirstText(answer.body, "GUESTLOGIN"), "1");
    EXPECT_THROW(machine.SetSecurityPolicy(3), std::invalid_argument);
}

TEST_F(Commands, UserListEndsWithTheUsersAndFollowsAddsAndRemovals)
{
    machine.RemoveUser("bob");
    std::string body = Post(Request("GETUSERLIST")).body;
    EXPECT_EQ(FirstText(body, "COUNT"), "1");
    EXPECT_EQ(FirstText(body, "USERNAME"), "alice");
    EXPECT_EQ(FirstText(body, "DISPLAYNAME"), "アリス");
    // Readers take every sibling after the first USER as a user: nothing may follow them.
    EXPECT_NE(body.find("</USER></RESPONSE>"), std::string::npos) << body;
    EXPECT_EQ(FirstText(Post(Request("GETUSERINFO", "<USERNAME>alice</USERNAME>")).body, "DISPLAYNAME"), "アリス");
}

TEST_F(Commands, HttpsAnswersLikeHttp)
{
    Answer answer = Command(machine.HttpsPort(), Request("GETUSERINFO", "<USERNAME>bob</USERNAME>"), true);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(FirstText(answer.body, "DISPLAYNAME"), "Bob");
}

TEST_F(Commands, RequestsThatAreNotCommandsAreRefused)
{
    EXPECT_EQ(Post("this is not xml").status, 400);
    EXPECT_EQ(Post("<REQUEST>" + std::string(2 << 20, ' ') + "</REQUEST>").status, 413);
    EXPECT_EQ(Get("").status, 405);  // commands are posted
    EXPECT_EQ(Get("/nowhere").status, 404);
    EXPECT_EQ(Fetch({"http://127.0.0.1:" + std::to_string(machine.HttpPort()) + "/other"}).status, 404);
}

TEST_F(Commands, SubscriptionsAreKeptPerUserAddressAndPort)
{
    Subscribe("alice", "secret", 61010);
    Subscribe("alice", "secret", 61010);  // a renewal
    Subscribe("bob", "hunter2", 61011);
    auto subs = machine.Subscriptions();
    ASSERT_EQ(subs.size(), 2u);
    EXPECT_EQ(subs[0].user, "alice");
    EXPECT_EQ(subs[0].address, "127.0.0.1");
    EXPECT_EQ(subs[0].listenPort, 61010);
    EXPECT_EQ(FirstText(Post(SubscribeRequest("alice", "secret", 61010)).body, "FEEDRSS"),
              machine.FeedLocation("alice"));
    EXPECT_EQ(Result(Request("UNSUBSCRIBETOFEED", "<USERNAME>alice</USERNAME>")), "SUCCESS");
    ASSERT_EQ(machine.Subscriptions().size(), 1u);
    EXPECT_EQ(machine.Subscriptions()[0].user, "bob");
}

TEST_F(Commands, AnEntityBombIsRefusedAndTheMachineGoesOn)
{
    const std::string bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><REQUEST><COMMAND>GETUSERINFO</COMMAND>"
        "<PARAM><USERNAME>&c;</USERNAME></PARAM></REQUEST>";
    EXPECT_EQ(Post(bomb).status, 400);
    EXPECT_EQ(Result(Request("GETUSERLIST")), "SUCCESS");
}

TEST_F(Commands, TheRequestLogRecordsWhatWasAnswered)
{
    Post(Request("AUTHENTICATE", "<USER_NAME>alice</USER_NAME><PASSWORD>bad</PASSWORD>"));
    auto log = machine.Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].target, "/vozoz");
    EXPECT_EQ(log[0].command, "AUTHENTICATE");
    EXPECT_EQ(log[0].status, 200);
    EXPECT_EQ(log[0].result, "FAIL_AUTHENTICATE");
}

}  // namespace
}  // namespace SimTest

namespace SimTest {
namespace {

TEST(Stopping, AStoppedMachineNoLongerListens)
{
    QuillhavenSim::Machine machine;
    const int port = machine.HttpPort();
    EXPECT_EQ(Command(port, Request("GETUSERLIST")).status, 200);
    machine.Stop();
    EXPECT_THROW(Command(port, Request("GETUSERLIST")), std::runtime_error);
    machine.Stop();  // twice is harmless
}

}  // namespace
}  // namespace SimTest
