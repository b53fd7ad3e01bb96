// Request documents, the protect mark, parsing rules and query text.

#include "HTTP/Command.hpp"
#include "HTTP/Error.hpp"
#include "HTTP/Query.hpp"
#include "HTTP/XML.hpp"

#include <transport/transport.hpp>

#include <gtest/gtest.h>

#include <chrono>

using namespace HTTP;
using namespace HTTP::Command;

namespace {

Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(TagTable, IdsArePositionsInTheSortedTable)
{
    EXPECT_EQ(TagId("A"), 0);
    EXPECT_EQ(TagId("RESULT"), 31);
    EXPECT_EQ(TagId("USER_NAME"), 43);
    EXPECT_EQ(TagId("result"), TagCount);  // the program's own lookup is exact
    EXPECT_EQ(TagId("NOPE"), TagCount);
    EXPECT_EQ(TagId("NOTIFYID"), 24);  // the table's order is the wire contract, even where
    EXPECT_EQ(TagId("NOTIFYDATE"), 25);  // it is not alphabetical
    EXPECT_EQ(TagTable()[TagCount], nullptr);
}

TEST(Command, ProtectMarkCoversExactlyTheNextValueElement)
{
    Cmd cmd;
    cmd << Tag{"REQUEST"} << Node{"USERNAME", "alice"};
    cmd.ProtectNext();
    cmd << Node{"PASSWORD", "s3cret<&>"} << Node{"USERID", "visible"} << ETag{};

    const std::string wire = transport::SerializeRequest(cmd.Document());
    EXPECT_NE(wire.find("<PASSWORD>s3cret&lt;&amp;&gt;</PASSWORD>"), std::string::npos) << wire;

    const std::string dump = cmd.Dump();
    EXPECT_EQ(dump.find("s3cret"), std::string::npos) << dump;
    EXPECT_EQ(Count(dump, "********"), 1u) << dump;
    EXPECT_NE(dump.find("<USERID>visible</USERID>"), std::string::npos) << dump;
    EXPECT_NE(dump.find("<USERNAME>alice</USERNAME>"), std::string::npos) << dump;

    // The wire form parses back to the same values.
    XML::Parser parser;
    ASSERT_TRUE(parser.Parse(B(wire)));
    EXPECT_EQ((*parser.FindFirst("PASSWORD")).GetString(), "s3cret<&>");
    EXPECT_EQ((*parser.FindFirst("REQUEST")).GetName(), "REQUEST");
}

TEST(Command, RefusedStepsThrowAndLeaveTheDocumentUsable)
{
    Cmd cmd;
    EXPECT_THROW(cmd << ETag{}, HTTP::SystemError);               // nothing open
    EXPECT_THROW(cmd << Tag{"NOT_A_TAG"}, HTTP::SystemError);     // outside the vocabulary
    EXPECT_THROW((cmd << Node{"request", "x"}), HTTP::SystemError); // names are exact
    cmd << Tag{"REQUEST"} << LongNode{"LISTENPORT", 61010} << ETag{};
    EXPECT_THROW(cmd << Tag{"REQUEST"}, HTTP::SystemError);       // a second root
    EXPECT_NE(transport::SerializeRequest(cmd.Document()).find("<LISTENPORT>61010</LISTENPORT>"), std::string::npos);
    try {
        cmd << ETag{} << ETag{};
        FAIL();
    } catch (const HTTP::SystemError& e) {
        EXPECT_NE(e.code().value(), 0);
    }
}

TEST(Parse, RefusesWhatIsNotAPlainDocument)
{
    XML::Parser parser;
    ASSERT_TRUE(parser.Parse(B("<RESULT>SUCCESS</RESULT>")));
    EXPECT_FALSE(parser.Parse(Bytes()));
    EXPECT_FALSE(parser.FindFirst("RESULT").IsEnd());  // empty input leaves the document alone

    const char* refused[] = {
        "<RESULT>SUCCESS</RESUL>",
        "not xml at all",
        "<A></A><A></A>",
        // entity declarations of any kind: billion laughs, external files
        "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
        "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
        "<RESULT>&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;</RESULT>",
        "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><RESULT>&x;</RESULT>",
        "<RESULT>&undeclared;</RESULT>",
    };
    for (const char* text : refused) {
        EXPECT_FALSE(parser.Parse(B(text))) << text;
        EXPECT_TRUE(parser.FindFirst("RESULT").IsEnd()) << text;
    }
}

TEST(Parse, ExternalDtdIsNeitherFetchedNorNeeded)
{
    XML::Parser parser;
    ASSERT_TRUE(parser.Parse(B("<?xml version=\"1.0\"?><!DOCTYPE rss SYSTEM \"http://127.0.0.1:9/rss.dtd\">"
                               "<rss><channel><title>a &amp; b &#x41;</title></channel></rss>")));
    EXPECT_EQ((*parser.FindFirst("TITLE")).GetString(), "a & b A");
}

TEST(Parse, RefusesADocumentAboveTheSizeLimit)
{
    std::string big = "<RESULT>";
    big.resize(transport::MaxBodyBytes + 1, ' ');
    big += "</RESULT>";
    XML::Parser parser;
    EXPECT_FALSE(parser.Parse(B(big)));
}

TEST(Parse, DecodesTheDeclaredEncodingIntoUtf8)
{
    const std::string utf8 = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";  // テスト
    struct Case {
        const char* encoding;
        std::string bytes;
    } cases[] = {
        {"Shift_JIS", "\x83\x65\x83\x58\x83\x67"},
        {"EUC-JP", "\xA5\xC6\xA5\xB9\xA5\xC8"},
        {"UTF-8", utf8},
    };
    for (const auto& c : cases) {
        XML::Parser parser;
        const std::string text =
            std::string("<?xml version=\"1.0\" encoding=\"") + c.encoding + "\"?><title>" + c.bytes + "</title>";
        ASSERT_TRUE(parser.Parse(B(text))) << c.encoding;
        EXPECT_EQ((*parser.FindFirst("TITLE")).GetString(), utf8) << c.encoding;
    }
    // Without a declaration the hint (an HTTP charset) decides; with one, the declaration wins.
    transport::Document* document = transport::CreateDocument(TagTable());
    const std::string bare = "<title>\x83\x65\x83\x58\x83\x67</title>";
    ASSERT_TRUE(transport::ParseXml(document, bare.data(), bare.size(), "Shift_JIS"));
    EXPECT_EQ(transport::Text(transport::FindFirst(document, TagId("TITLE"))), utf8);
    const std::string declared = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><title>" + utf8 + "</title>";
    ASSERT_TRUE(transport::ParseXml(document, declared.data(), declared.size(), "Shift_JIS"));
    EXPECT_EQ(transport::Text(transport::FindFirst(document, TagId("TITLE"))), utf8);
    transport::DestroyDocument(document);
}

TEST(Query, EncodesParametersInOrder)
{
    Query empty;
    EXPECT_EQ(empty.ToString(), "");

    Query query;
    query.Add("NVF", "6");
    query.Add("DC", "a b&c=d/e");
    query.Add("UN", "\xE5\xB1\xB1");  // 山
    query.Add("X", "");
    EXPECT_EQ(query.ToString(), "NVF=6&DC=a%20b%26c%3Dd%2Fe&UN=%E5%B1%B1&X=");
}
