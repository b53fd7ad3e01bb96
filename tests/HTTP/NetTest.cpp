// Net against a scripted server on the loopback address: paths, methods, statuses,
// content types, credentials, limits and stalls.

#include "HTTP/Command.hpp"
#include "HTTP/Error.hpp"
#include "HTTP/Net.hpp"
#include "HTTP/Query.hpp"
#include "HTTP/XML.hpp"
#include "ScriptedServer.hpp"

#include "TempDir.hpp"

#include <transport/transport.hpp>

#include <gtest/gtest.h>

#include <chrono>

using namespace HTTP;
using testing_http::Request;
using testing_http::Response;
using testing_http::ScriptedServer;

namespace {

const Timeout kQuick{2000, 0, 2000, 2000};

Response Ok(const Request&) { return Response::Xml("<RESPONSE><RESULT>SUCCESS</RESULT></RESPONSE>"); }

}  // namespace

TEST(Net, RequestPathsAndMethods)
{
    ScriptedServer server(Ok);
    Net net("127.0.0.1");

    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "", nullptr);
    net.Close();

    Query query;
    query.Add("NVF", "6");
    query.Add("DC", "0001");
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "/norvane", query.Document());
    net.Close();

    Command::Cmd cmd;
    cmd << Command::Tag{"REQUEST"} << Command::Node{"COMMAND", "GETUSERLIST"} << Command::ETag{};
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::POST, "", cmd.Document());
    XML::Parser answer;
    net.RecvXml(answer);
    EXPECT_EQ((*answer.FindFirst("RESULT")).GetString(), "SUCCESS");
    net.Close();

    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/vozoz");
    EXPECT_EQ(requests[1].target, "/vozoz/norvane?NVF=6&DC=0001");
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].target, "/vozoz");
    EXPECT_NE(requests[2].Header("Content-Type").find("xml"), std::string::npos);
    EXPECT_NE(requests[2].body.find("<REQUEST><COMMAND>GETUSERLIST</COMMAND></REQUEST>"), std::string::npos);
    EXPECT_TRUE(requests[2].Header("Authorization").empty());
}

TEST(Net, StatusDecidesTheError)
{
    int status = 200;
    ScriptedServer server([&](const Request&) { return Response::Make(status, "text/plain", "x"); });
    Net net("127.0.0.1");
    auto send = [&] {
        net.Open(server.Port(), false, kQuick);
        net.Send(Net::GET, "", nullptr);
    };
    status = 200;
    EXPECT_NO_THROW(send());
    status = 403;
    EXPECT_THROW(send(), NoAuthority);
    for (int other : {201, 401, 404, 500}) {
        status = other;
        EXPECT_THROW(send(), ServerError) << other;
    }
    status = 200;  // the same Net serves the next request after a failed one
    EXPECT_NO_THROW(send());
}

TEST(Net, BodiesAndContentTypes)
{
    std::string type = "image/jpeg";
    std::string body = "\xFF\xD8 jpeg bytes";
    ScriptedServer server([&](const Request&) { return Response::Make(200, type, body); });
    Net net("127.0.0.1");

    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "/norvane", nullptr);
    EXPECT_EQ(*net.Recv(), Bytes(body.begin(), body.end()));

    struct Case {
        const char* header;
        ContentType expected;
    } cases[] = {{"image/jpeg", ContentType::Jpeg},          {"application/pdf", ContentType::Pdf},
                 {"image/tiff", ContentType::Tiff},          {"text/xml; charset=Shift_JIS", ContentType::Xml},
                 {"application/rss+xml", ContentType::Xml},  {"TEXT/XML", ContentType::Xml},
                 {"text/html", ContentType::Other},          {"", ContentType::Other}};
    for (const auto& c : cases) {
        type = c.header;
        net.Open(server.Port(), false, kQuick);
        net.Send(Net::GET, "", nullptr);
        EXPECT_EQ(net.GetContentType(), c.expected) << c.header;
    }

    body.clear();
    type = "image/jpeg";
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "", nullptr);
    EXPECT_TRUE(net.Recv()->empty());

    TempDir dir;
    body = "%PDF-1.4 document";
    type = "application/pdf";
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "", nullptr);
    ASSERT_EQ(net.GetContentType(), ContentType::Pdf);
    net.RecvAndSaveFile((dir / "doc.pdf").string());
    net.Close();
    EXPECT_EQ(ReadFile(dir / "doc.pdf"), body);
    EXPECT_THROW(net.RecvAndSaveFile((dir / "late.pdf").string()), Error);  // closed: nothing pending
}

TEST(Net, XmlAnswersMustBeXml)
{
    std::string type, body;
    ScriptedServer server([&](const Request&) { return Response::Make(200, type, body); });
    Net net("127.0.0.1");
    auto recv = [&] {
        net.Open(server.Port(), false, kQuick);
        net.Send(Net::POST, "", nullptr);
        XML::Parser parser;
        net.RecvXml(parser);
        return parser;
    };
    type = "text/html";
    body = "<RESULT>SUCCESS</RESULT>";
    EXPECT_THROW(recv(), InvalidResponse);
    type = "text/xml";
    body = "<html><body>busy</body>";
    EXPECT_THROW(recv(), Error);
    body = "";
    EXPECT_THROW(recv(), Error);
    // An undeclared Shift_JIS answer is decoded by its HTTP charset.
    type = "text/xml; charset=Shift_JIS";
    body = "<RESULT>\x83\x65\x83\x58\x83\x67</RESULT>";
    EXPECT_EQ((*recv().FindFirst("RESULT")).GetString(), "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
}

TEST(Net, OpenEndsThePendingRequest)
{
    ScriptedServer server([](const Request&) { return Response::Make(200, "application/pdf", "%PDF"); });
    Net net("127.0.0.1");
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "", nullptr);
    ASSERT_EQ(net.GetContentType(), ContentType::Pdf);
    net.Open(server.Port(), false, kQuick);  // no Close in between
    EXPECT_TRUE(net.Connected());
    EXPECT_EQ(net.GetContentType(), ContentType::Other);
    EXPECT_TRUE(net.Recv()->empty());
    net.Send(Net::GET, "", nullptr);
    EXPECT_EQ(std::string(net.Recv()->data(), 4), "%PDF");
    net.Close();
    EXPECT_FALSE(net.Connected());
}

TEST(Net, CredentialsTravelAsBasicAuthForOneRequest)
{
    ScriptedServer server(Ok);
    Net net("127.0.0.1");
    net.Open(server.Port(), false, kQuick);
    net.SetCredentials("alice", "pa:ss");
    net.Send(Net::GET, "/feed", nullptr);
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "/feed", nullptr);
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Authorization"), "Basic YWxpY2U6cGE6c3M=");
    EXPECT_TRUE(requests[1].Header("Authorization").empty());
}

TEST(Net, UnreachableMachineIsAnOpenFailure)
{
    int port;
    {
        ScriptedServer closed(Ok);
        port = closed.Port();
    }
    Net net("127.0.0.1");
    net.Open(port, false, Timeout{1000, 1, 1000, 1000});
    EXPECT_THROW(net.Send(Net::GET, "", nullptr), OpenFailure);
    EXPECT_THROW(net.Open(0, false, kQuick), OpenFailure);
    EXPECT_THROW(net.Open(70000, false, kQuick), OpenFailure);
    EXPECT_THROW(Net(""), ostrel::system_error);
    EXPECT_THROW(Net("a b"), ostrel::system_error);
}

TEST(Net, Ipv6Loopback)
{
    ScriptedServer server(Ok, "::1");
    Net net("::1");
    net.Open(server.Port(), false, kQuick);
    net.Send(Net::GET, "", nullptr);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(Net, OversizedAnswersAreRefused)
{
    // Announced too large: refused on the header; streamed without a length: cut at the cap.
    ScriptedServer announced([](const Request&) {
        Response response;
        response.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 67108865\r\n\r\n<RESULT>";
        response.stallAfter = true;
        return response;
    });
    ScriptedServer endless([](const Request&) {
        Response response;
        response.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nConnection: close\r\n\r\n";
        response.endlessBytes = transport::MaxBodyBytes + (1 << 20);
        return response;
    });
    for (int port : {announced.Port(), endless.Port()}) {
        Net net("127.0.0.1");
        net.Open(port, false, Timeout{2000, 0, 5000, 5000});
        try {
            net.Send(Net::GET, "", nullptr);
            FAIL() << port;
        } catch (const Error& e) {
            auto* text = boost::get_error_info<ostrel::error_message>(e);
            ASSERT_NE(text, nullptr);
            EXPECT_NE(text->find("64 MiB"), std::string::npos) << *text;
        }
    }
}

TEST(Net, StalledAnswerEndsWithinItsTimeout)
{
    ScriptedServer silent([](const Request&) {
        Response response;
        response.raw = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100\r\n\r\n<RESULT>";
        response.stallAfter = true;
        return response;
    });
    Net net("127.0.0.1");
    net.Open(silent.Port(), false, Timeout{1000, 0, 1000, 300});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(net.Send(Net::POST, "", nullptr), Error);
    // Generous bound: the point is that the call returns, not how fast.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}
