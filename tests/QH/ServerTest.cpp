// QuillhavenServer against a scripted machine on the loopback address: what each
// operation sends, how each answer is judged, and every malformed answer.

#include "HTTP/Error.hpp"
#include "HTTP/XML.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"
#include "QH/Error.hpp"
#include "QH/QuillhavenServer.hpp"
#include "RSS/RSSFeed.hpp"
#include "ScriptedServer.hpp"
#include "System/System.hpp"

#include "TempDir.hpp"
#include "TestSupport.hpp"

#include <transport/transport.hpp>

#include <boost/exception/diagnostic_information.hpp>
#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <functional>

using namespace testing_http;
using MonitoredEntry::MFP;
using MonitoredEntry::Password;
using MonitoredEntry::User;

namespace {

const HTTP::Timeout kQuick{2000, 0, 2000, 2000};

User Alice() { return User(std::wstring(L"Alice"), L"alice", Password(L"pw&<1>")); }

MFP Machine(int port) { return MFP(boost::none, L"127.0.0.1", port, 1, false); }

std::string Answer(const std::string& inner) { return "<RESPONSE>" + inner + "</RESPONSE>"; }

// A machine that answers every request with the current script.
struct Machine_ {
    std::function<Response(const Request&)> script = [](const Request&) {
        return Response::Xml(Answer("<RESULT>SUCCESS</RESULT>"));
    };
    ScriptedServer server{[this](const Request& request) { return script(request); }};
    QuillhavenServer client{Machine(server.Port())};

    void AnswerXml(const std::string& body)
    {
        script = [body](const Request&) { return Response::Xml(body); };
    }
    void AnswerWith(const std::string& type, const std::string& body)
    {
        script = [type, body](const Request&) { return Response::Make(200, type, body); };
    }
    Request Last() { return server.Requests().back(); }
};

// The children of the posted request, "NAME=value" in order.
std::vector<std::string> Posted(const Request& request)
{
    HTTP::XML::Parser parser;
    EXPECT_TRUE(parser.Parse(HTTP::Bytes(request.body.begin(), request.body.end()))) << request.body;
    std::vector<std::string> items;
    HTTP::XML::Parser::Iterator it = parser.FindFirst("COMMAND");
    for (; !it.IsEnd(); ++it) {
        if ((*it).GetName() == "PARAM") {
            for (auto param = HTTP::XML::Parser::Iterator(transport::Child(it.Element(), 0)); !param.IsEnd(); ++param)
                items.push_back((*param).GetName() + "=" + (*param).GetString());
        } else {
            items.push_back((*it).GetName() + "=" + (*it).GetString());
        }
    }
    return items;
}

}  // namespace

TEST(ServerCommands, RequestDocuments)
{
    Machine_ m;
    m.AnswerXml(Answer("<RESULT>SUCCESS</RESULT><SECURITYPOLICY>1</SECURITYPOLICY><GUESTLOGIN>0</GUESTLOGIN>"
                       "<MACHINENAME>m</MACHINENAME><DISPLAYNAME>Alice A.</DISPLAYNAME><COUNT>0</COUNT>"
                       "<FEEDRSS>/feed/alice</FEEDRSS>"));
    struct Case {
        std::function<void()> call;
        std::vector<std::string> expected;
    } cases[] = {
        {[&] { m.client.GetMachineSettings(kQuick); }, {"COMMAND=GETMACHINESETTINGS"}},
        {[&] { m.client.GetUserInfo(Alice(), kQuick); }, {"COMMAND=GETUSERINFO", "USERNAME=alice"}},
        {[&] { m.client.GetUserList(kQuick); }, {"COMMAND=GETUSERLIST"}},
        {[&] { m.client.Authenticate(Alice(), kQuick); },
         {"COMMAND=AUTHENTICATE", "USER_NAME=alice", "PASSWORD=pw&<1>"}},
        {[&] { m.client.SubscribeToRSSFeed(61011, Alice(), kQuick); },
         {"COMMAND=SUBSCRIBETOFEED", "USERNAME=alice", "PASSWORD=pw&<1>", "LISTENPORT=61011"}},
        {[&] { m.client.UnsubscribeToRSSFeed(Alice(), kQuick); }, {"COMMAND=UNSUBSCRIBETOFEED", "USERNAME=alice"}},
    };
    for (const auto& c : cases) {
        c.call();
        const Request request = m.Last();
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.target, "/vozoz");
        EXPECT_EQ(Posted(request), c.expected) << request.body;
        EXPECT_NE(request.body.find("<REQUEST><COMMAND>"), std::string::npos) << request.body;
    }
    EXPECT_EQ(m.client.SubscribeToRSSFeed(Alice()), L"/feed/alice");  // the settings' listen port
    EXPECT_EQ(Posted(m.Last()).back(), "LISTENPORT=61010");
}

TEST(ServerCommands, ResultTexts)
{
    Machine_ m;
    auto withResult = [&](const std::string& result) {
        m.AnswerXml(Answer("<RESULT>" + result + "</RESULT><DISPLAYNAME>d</DISPLAYNAME>"));
    };
    auto expectThrow = [&](const std::string& result, auto error) {
        withResult(result);
        EXPECT_THROW(m.client.GetUserInfo(Alice(), kQuick), decltype(error)) << result;
        EXPECT_FALSE(m.client.Authenticate(Alice(), kQuick)) << result;
    };
    expectThrow("FAIL_MACHINE_BUSY", QH::MachineBusy());
    expectThrow("FAIL_QH_NETWORK_MODE", QH::InvalidMode());
    expectThrow("FAIL_AUTHENTICATE", QH::AuthenticateFailure());
    expectThrow("FAIL_NO_FEED_REGISTERED", QH::MissingRSSFeed());
    expectThrow("FAIL_LISTENPORT_UNREACHABLE", QH::ListenPortUnreachable());
    expectThrow("FAIL_NO_SUCH_ENTRY", QH::MissingEntry());
    expectThrow("FAIL_NO_SUCH_USER", QH::MissingUser());
    expectThrow("SUCCESS ", QH::InvalidResponse());
    expectThrow("success", QH::InvalidResponse());
    expectThrow("", QH::InvalidResponse());

    withResult("SUCCESS");
    EXPECT_EQ(m.client.GetUserInfo(Alice(), kQuick)->displayName, "d");
    EXPECT_TRUE(m.client.Authenticate(Alice(), kQuick));

    m.AnswerXml(Answer("<DISPLAYNAME>d</DISPLAYNAME>"));  // no RESULT at all
    EXPECT_THROW(m.client.GetUserInfo(Alice(), kQuick), QH::InvalidResponse);
    EXPECT_THROW(m.client.Authenticate(Alice(), kQuick), QH::InvalidResponse);

    // The error names the operation that asked, not the shared step.
    withResult("FAIL_MACHINE_BUSY");
    try {
        m.client.GetUserList(kQuick);
        FAIL();
    } catch (const QH::MachineBusy& e) {
        EXPECT_NE(ostrel::location_of(e).function.find("GetUserList"), std::string::npos)
            << ostrel::location_of(e).function;
    }
}

TEST(ServerCommands, MachineSettingsValues)
{
    Machine_ m;
    auto settings = [&](const std::string& policy, const std::string& guest, bool name = true) {
        m.AnswerXml(Answer("<RESULT>SUCCESS</RESULT>" + policy + guest + (name ? "<MACHINENAME>MX-1</MACHINENAME>" : "")));
        return m.client.GetMachineSettings(kQuick);
    };
    auto s = settings("<SECURITYPOLICY>1</SECURITYPOLICY>", "<GUESTLOGIN>0</GUESTLOGIN>");
    EXPECT_EQ(s->securityPolicy, 0);
    EXPECT_FALSE(s->guestLogin);
    EXPECT_EQ(s->machineName, "MX-1");
    s = settings("<SECURITYPOLICY>2</SECURITYPOLICY>", "<GUESTLOGIN>1</GUESTLOGIN>");
    EXPECT_EQ(s->securityPolicy, 1);
    EXPECT_TRUE(s->guestLogin);
    EXPECT_THROW(settings("<SECURITYPOLICY>0</SECURITYPOLICY>", "<GUESTLOGIN>0</GUESTLOGIN>"), QH::InvalidResponse);
    EXPECT_THROW(settings("<SECURITYPOLICY>3</SECURITYPOLICY>", "<GUESTLOGIN>0</GUESTLOGIN>"), QH::InvalidResponse);
    EXPECT_THROW(settings("<SECURITYPOLICY>1</SECURITYPOLICY>", "<GUESTLOGIN>2</GUESTLOGIN>"), QH::InvalidResponse);
    EXPECT_THROW(settings("", "<GUESTLOGIN>0</GUESTLOGIN>"), QH::InvalidResponse);
    EXPECT_THROW(settings("<SECURITYPOLICY>1</SECURITYPOLICY>", "<GUESTLOGIN>0</GUESTLOGIN>", false),
                 QH::InvalidResponse);
    EXPECT_THROW(settings("<SECURITYPOLICY>one</SECURITYPOLICY>", "<GUESTLOGIN>0</GUESTLOGIN>"),
                 HTTP::InvalidContentType);
}

TEST(ServerCommands, UserList)
{
    Machine_ m;
    auto list = [&](const std::string& inner) {
        m.AnswerXml(Answer("<RESULT>SUCCESS</RESULT>" + inner));
        return m.client.GetUserList(kQuick);
    };
    const std::string users = "<USER><USERNAME>a</USERNAME><DISPLAYNAME>A</DISPLAYNAME></USER>"
                              "<USER><DISPLAYNAME>B</DISPLAYNAME><USERNAME>b</USERNAME></USER>";
    auto found = list("<COUNT>5</COUNT>" + users);  // COUNT is not compared with the users found
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ((*found)[0].number, 1);
    EXPECT_EQ((*found)[0].userName, "a");
    EXPECT_EQ((*found)[1].number, 2);
    EXPECT_EQ((*found)[1].displayName, "B");
    EXPECT_TRUE(list("<COUNT>0</COUNT>" + users)->empty());
    EXPECT_THROW(list("<COUNT>3</COUNT>"), QH::InvalidResponse);
    EXPECT_THROW(list(users), QH::InvalidResponse);
    EXPECT_THROW(list("<COUNT>1</COUNT><USER><USERNAME>a</USERNAME></USER>" + users), QH::InvalidResponse);
}

TEST(ServerCommands, MalformedAnswers)
{
    Machine_ m;
    auto expect = [&](auto error, const std::string& what) {
        EXPECT_THROW(m.client.GetUserInfo(Alice(), kQuick), decltype(error)) << what;
    };
    m.AnswerWith("text/xml", "FAIL_MACHINE_BUSY");
    expect(HTTP::Error(), "not XML");
    m.AnswerWith("text/html", Answer("<RESULT>SUCCESS</RESULT><DISPLAYNAME>d</DISPLAYNAME>"));
    expect(HTTP::InvalidResponse(), "wrong content type");
    m.AnswerXml(Answer("<RESULT>SUCCESS</RESULT>"));
    expect(QH::InvalidResponse(), "missing DISPLAYNAME");
    m.AnswerXml("<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;\">]>"
                "<RESPONSE><RESULT>SUCCESS</RESULT><DISPLAYNAME>&b;&b;&b;&b;</DISPLAYNAME></RESPONSE>");
    expect(HTTP::Error(), "entity bomb");
    m.script = [](const Request&) { return Response::Make(403, "text/html", "no"); };
    expect(HTTP::NoAuthority(), "403");
    m.script = [](const Request&) { return Response::Make(500, "text/xml", Answer("<RESULT>SUCCESS</RESULT>")); };
    expect(HTTP::ServerError(), "500");
    m.script = [](const Request&) {
        Response response;
        response.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\n<RESPONSE>";
        response.endlessBytes = transport::MaxBodyBytes + (1 << 20);
        return response;
    };
    expect(HTTP::Error(), "endless body");
    m.script = [](const Request&) {
        Response response;
        response.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 99\r\n\r\n<RESPONSE>";
        response.stallAfter = true;
        return response;
    };
    EXPECT_THROW(m.client.GetUserInfo(Alice(), HTTP::Timeout{1000, 0, 1000, 200}), HTTP::Error);
    // After all of that the same server object still works.
    m.AnswerXml(Answer("<RESULT>SUCCESS</RESULT><DISPLAYNAME>d</DISPLAYNAME>"));
    EXPECT_EQ(m.client.GetUserInfo(Alice(), kQuick)->displayName, "d");
}

TEST(ServerCommands, PasswordsStayOutOfErrorTexts)
{
    Machine_ m;
    const User user(boost::none, L"alice", Password(L"Hidden-Pw-77"));
    const std::function<Response(const Request&)> scripts[] = {
        [](const Request&) { return Response::Make(500, "text/plain", "failed"); },
        [](const Request& r) { return Response::Make(200, "text/plain", r.body); },  // echoes the request
        [](const Request& r) { return Response::Make(200, "text/xml", r.body + "<broken"); },
        [](const Request&) { return Response::Xml(Answer("<RESULT>FAIL_AUTHENTICATE</RESULT>")); },
    };
    for (const auto& script : scripts) {
        m.script = script;
        try {
            m.client.SubscribeToRSSFeed(61010, user, kQuick);
            ADD_FAILURE();
        } catch (const HTTP::Error& e) {
            EXPECT_EQ(boost::diagnostic_information(e).find("Hidden-Pw-77"), std::string::npos)
                << boost::diagnostic_information(e);
        }
    }
    EXPECT_NE(m.Last().body.find("Hidden-Pw-77"), std::string::npos);  // it did travel
}

TEST(ServerCommands, ChoosesThePortOfItsTransport)
{
    Machine_ m;
    QuillhavenServer plain(MFP(boost::none, L"127.0.0.1", m.server.Port(), 9, false));
    EXPECT_TRUE(plain.Authenticate(Alice(), kQuick));
    QuillhavenServer secure(MFP(boost::none, L"127.0.0.1", 9, m.server.Port(), true));
    EXPECT_THROW(secure.Authenticate(Alice(), kQuick), HTTP::Error);  // TLS to a plain server fails
    EXPECT_EQ(m.server.Requests().size(), 1u);
}

TEST(DocumentRequests, QueriesAndCredentials)
{
    Machine_ m;
    m.AnswerWith("text/plain", "ok");
    const std::string basic = "Basic YWxpY2U6cHcmPDE+";  // alice:pw&<1>
    struct Case {
        std::function<void()> call;
        std::string target;
        bool credentials;
    } cases[] = {
        {[&] { m.client.CancelDownload(Alice(), L"0001", L"u-1"); },
         "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=0&IDR=3&UID=u-1", false},
        {[&] { m.client.PrintDocument(Alice(), L"0001", kQuick); }, "/vozoz/norvane?NVF=2&DC=0001&UN=alice&QHR=0", true},
        {[&] { m.client.DeleteDocument(Alice(), L"0001", kQuick); }, "/vozoz/norvane?NVF=5&DC=0001&UN=alice", true},
        {[&] { m.client.DeleteNotice(Alice(), L"0001", L"15", kQuick); },
         "/vozoz/norvane?NVF=8&DC=0001&UN=alice&NTF=15", true},
        {[&] { m.client.GetThumbnail(L"http://h/vozoz/norvane?NVF=6&DC=0001", Alice()); },
         "/vozoz/norvane?NVF=6&DC=0001&UN=alice", false},
        {[&] { m.client.GetThumbnail(L"DC=0042", Alice()); }, "/vozoz/norvane?NVF=6&DC=0042&UN=alice", false},
        {[&] { m.client.RequestDownload(Alice(), L"0001", L"u-2", 7); },
         "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=0&IDR=1&UID=u-2", false},
        {[&] { m.client.RequestDownload(Alice(), L"0001", L"u-2", 8); },
         "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=0&IDR=2&UID=u-2", false},
        {[&] { m.client.RequestDownload(Alice(), L"0001", L"u-2", 0); },
         "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=0&UID=u-2", false},
        {[&] { m.client.GetImage(L"http://127.0.0.1:8080/vozoz/voice/1.wav?DC=1", Alice()); },
         "/vozoz/voice/1.wav?DC=1", true},
        {[&] { m.client.GetImage(L"http://127.0.0.1", Alice()); }, "/vozoz", true},
        {[&] { m.client.SetDocumentOption(true); m.client.PrintDocument(Alice(), L"0001", kQuick); },
         "/vozoz/norvane?NVF=2&DC=0001&UN=alice&QHR=1", true},
        {[&] { m.client.CancelDownload(Alice(), L"0001", L"u-1"); },
         "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=1&IDR=3&UID=u-1", false},
    };
    for (const auto& c : cases) {
        c.call();
        const Request request = m.Last();
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.target, c.target);
        EXPECT_EQ(request.Header("Authorization"), c.credentials ? basic : "") << c.target;
    }

    m.AnswerWith("image/jpeg", "\xFF\xD8jpeg");
    EXPECT_EQ(m.client.GetThumbnail(L"x&DC=1", Alice())->GetBytes(), HTTP::Bytes({'\xFF', '\xD8', 'j', 'p', 'e', 'g'}));
    m.AnswerWith("audio/wav", "RIFF");
    EXPECT_EQ(*m.client.GetImage(L"http://h/vozoz/v.wav", Alice()), HTTP::Bytes({'R', 'I', 'F', 'F'}));

    m.script = [](const Request&) { return Response::Make(403, "text/html", "busy"); };
    EXPECT_THROW(m.client.PrintDocument(Alice(), L"0001", kQuick), HTTP::NoAuthority);
    m.script = [](const Request&) { return Response::Make(500, "text/html", "gone"); };
    EXPECT_THROW(m.client.DeleteDocument(Alice(), L"0001", kQuick), HTTP::ServerError);
}

TEST(DocumentRequests, DownloadExtensionRules)
{
    Machine_ m;
    TempDir dir;
    struct Case {
        const char* type;
        const char* path;
        const char* saved;  // null: nothing saved, true returned
    } cases[] = {
        {"image/tiff", "scan.TIFF", "scan.TIFF"}, {"image/tiff", "scan.tif", "scan.tif"},
        {"image/tiff", "scan.Tif", "scan.Tif"},   {"image/jpeg", "scan.pdf", "scan.pdf.jpeg"},
        {"image/jpeg", "scan.JPG", "scan.JPG"},   {"application/pdf", "scan", "scan.pdf"},
        {"application/pdf", "a.b/scan", "a.b/scan.pdf"}, {"text/xml", "scan.XML", "scan.XML"},
        {"text/html", "other.pdf", nullptr},
    };
    boost::filesystem::create_directories(dir / "a.b");
    for (const auto& c : cases) {
        m.AnswerWith(c.type, std::string("document as ") + c.type);
        std::wstring path = (dir / c.path).wstring();
        const bool none = m.client.DownloadDocument(Alice(), L"0001", path, L"u", 7, kQuick);
        EXPECT_EQ(none, c.saved == nullptr) << c.type << " " << c.path;
        if (c.saved) {
            EXPECT_EQ(path, (dir / c.saved).wstring());
            EXPECT_EQ(ReadFile(dir / c.saved), std::string("document as ") + c.type);
        } else {
            EXPECT_FALSE(boost::filesystem::exists(dir / c.path));
        }
    }
}

TEST(DocumentRequests, PendingDownload)
{
    Machine_ m;
    TempDir dir;
    m.AnswerWith("application/pdf", "%PDF pending");
    ASSERT_FALSE(m.client.RequestDownload(Alice(), L"0001", L"u", 7));
    EXPECT_EQ(m.client.GetDownloadExtension(), L".pdf");
    m.client.SaveDownload((dir / "doc.pdf").wstring());
    EXPECT_EQ(ReadFile(dir / "doc.pdf"), "%PDF pending");

    m.AnswerWith("text/html", "<p>preparing</p>");
    EXPECT_TRUE(m.client.RequestDownload(Alice(), L"0001", L"u", 7));
    EXPECT_THROW(m.client.SaveDownload((dir / "none.pdf").wstring()), HTTP::Error);  // nothing is pending

    // A copy of the server shares the pending answer.
    m.AnswerWith("image/tiff", "II*");
    ASSERT_FALSE(m.client.RequestDownload(Alice(), L"0001", L"u", 8));
    QuillhavenServer copy = m.client;
    EXPECT_EQ(copy.GetDownloadExtension(), L".tif");
}

TEST(BrowserPages, AddressesGoToTheOpener)
{
    auto opener = std::make_shared<RecordingOpener>();
    System::SetOpener(opener);
    struct Case {
        MFP mfp;
        std::string base;
    } cases[] = {
        {MFP(boost::none, L"mfp.local", 80, 443, true), "https://mfp.local/vozoz/norvane"},
        {MFP(boost::none, L"mfp.local", 80, 8443, true), "https://mfp.local:8443/vozoz/norvane"},
        {MFP(boost::none, L"mfp.local", 80, 443, false), "http://mfp.local/vozoz/norvane"},
        {MFP(boost::none, L"mfp.local", 443, 80, false), "http://mfp.local:443/vozoz/norvane"},
        {MFP(boost::none, L"::1", 8080, 443, false), "http://[::1]:8080/vozoz/norvane"},
    };
    for (const auto& c : cases) EXPECT_EQ(QuillhavenServer(c.mfp).BrowserBaseAddress(), c.base);

    QuillhavenServer server(cases[0].mfp);
    server.OpenInBrowser(Alice(), 3);
    server.OpenInBrowser(Alice(), 4);
    server.OpenInBrowser(Alice(), L"00 01", L"15");
    server.OpenInBrowser(Alice());
    System::SetOpener(nullptr);
    const std::vector<std::wstring> expected = {
        L"https://mfp.local/vozoz/norvane?NVF=3&UN=alice",
        L"https://mfp.local/vozoz/norvane?NVF=4&UN=alice",
        L"https://mfp.local/vozoz/norvane?NVF=7&UN=alice&DC=00%2001&NTF=15",
        L"https://mfp.local/vozoz/norvane?NVF=9&UN=alice",
    };
    EXPECT_EQ(opener->opened, expected);
}

TEST(Feed, ReadWithCredentialsAndAnalysed)
{
    Machine_ m;
    const std::string feed = ReadFile(std::string(QH_FIXTURES) + "feed_shift_jis.xml");
    m.AnswerWith("application/rss+xml", feed);
    auto result = m.client.GetRSSFeed(Alice(), L"/feed/alice");
    EXPECT_EQ(result->GetItemList().size(), 1u);
    EXPECT_EQ(m.Last().target, "/vozoz/feed/alice");
    EXPECT_EQ(m.Last().Header("Authorization"), "Basic YWxpY2U6cHcmPDE+");

    m.AnswerWith("application/rss+xml", "<rss><channel><title>t</title></channel></rss>");
    EXPECT_THROW(m.client.GetRSSFeed(Alice(), L"/feed/alice"), QH::InvalidRSSFeed);
    m.script = [](const Request&) { return Response::Make(401, "text/html", "who?"); };
    EXPECT_THROW(m.client.GetRSSFeed(Alice(), L"/feed/alice"), HTTP::ServerError);
}
