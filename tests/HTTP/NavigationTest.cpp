// Positions, searches, element values and attribute splitting in parsed answers.

#include "HTTP/Error.hpp"
#include "HTTP/XML.hpp"

#include <gtest/gtest.h>

using namespace HTTP;
using namespace HTTP::XML;

namespace {

Parser Parsed(const std::string& text)
{
    Parser parser;
    EXPECT_TRUE(parser.Parse(Bytes(text.begin(), text.end()))) << text;
    return parser;
}

}  // namespace

TEST(Navigation, IteratorWalksSiblingsByIndex)
{
    // Text between elements is not a child.
    Parser parser = Parsed("<RESPONSE>\n <RESULT>SUCCESS</RESULT>\n <COUNT>2</COUNT>\n"
                           " <USER><USERNAME>a</USERNAME></USER>\n <USER><USERNAME>b</USERNAME></USER>\n</RESPONSE>");
    Parser::Iterator user = parser.FindFirst("USER");
    ASSERT_FALSE(user.IsEnd());
    EXPECT_EQ(user.Index(), 2);
    Parser::Iterator second = user;
    ++second;
    EXPECT_EQ(second, parser.FindNext("USER"));
    EXPECT_EQ((*parser.FindPath(second, Path("USERNAME"))).GetString(), "b");
    ++second;
    EXPECT_TRUE(second.IsEnd());
    EXPECT_EQ(second, parser.End());

    Parser::Iterator root = parser.FindFirst("RESPONSE");
    EXPECT_EQ(root.Index(), 0);
    ++root;
    EXPECT_TRUE(root.IsEnd());  // the root has no siblings
    EXPECT_EQ((*parser.FindFirst("COUNT")).GetDecimal(), 2);
}

TEST(Navigation, FindPathSearchesDirectChildrenOnly)
{
    Parser parser = Parsed("<CHANNEL><ITEM><GUID>1</GUID><LINK>l</LINK><TITLE>third</TITLE></ITEM>"
                           "<ITEM><DETAILS><TITLE>deep</TITLE></DETAILS></ITEM></CHANNEL>");
    Parser::Iterator item = parser.FindFirst("ITEM");
    EXPECT_EQ((*parser.FindPath(item, Path("TITLE"))).GetString(), "third");
    ++item;
    EXPECT_TRUE(parser.FindPath(item, Path("TITLE")).IsEnd());
    EXPECT_EQ((*parser.FindPath(item, Path(std::vector<std::string>{"DETAILS", "TITLE"}))).GetString(), "deep");
    EXPECT_TRUE(parser.FindPath(parser.End(), Path("TITLE")).IsEnd());
    EXPECT_TRUE(parser.FindPath(item, Path("title")).IsEnd());  // names as the table writes them
}

TEST(Navigation, ElementNamesIgnoreAsciiCase)
{
    Parser parser = Parsed("<rss><Channel><title>t</title><Item/><item/><foo/></Channel></rss>");
    Parser::Iterator channel = parser.FindFirst("CHANNEL");
    ASSERT_FALSE(channel.IsEnd());
    EXPECT_EQ((*channel).GetName(), "CHANNEL");
    EXPECT_EQ((*parser.FindPath(channel, Path("TITLE"))).GetString(), "t");
    Parser::Iterator item = parser.FindFirst("ITEM");
    EXPECT_EQ(item.Index(), 1);
    EXPECT_EQ(parser.FindNext("ITEM").Index(), 2);
    EXPECT_TRUE(parser.FindNext("ITEM").IsEnd());
    EXPECT_EQ((*parser.FindFirst("RSS")).GetName(), "");  // not in the vocabulary
}

TEST(Navigation, ValuesThatCannotBeReadThrow)
{
    Parser parser = Parsed("<RESPONSE><COUNT>12x</COUNT><STATUS> 42 </STATUS><CONTENT/>"
                           "<TITLE><![CDATA[a<b]]></TITLE><DETAILS><A/></DETAILS></RESPONSE>");
    EXPECT_THROW((*parser.FindFirst("COUNT")).GetDecimal(), InvalidContentType);
    EXPECT_EQ((*parser.FindFirst("STATUS")).GetDecimal(), 42);
    EXPECT_EQ((*parser.FindFirst("CONTENT")).GetString(), "");
    EXPECT_THROW((*parser.FindFirst("CONTENT")).GetDecimal(), InvalidContentType);
    EXPECT_EQ((*parser.FindFirst("TITLE")).GetString(), "a<b");
    EXPECT_THROW((*parser.FindFirst("DETAILS")).GetString(), InvalidContentType);
    EXPECT_THROW((*parser.End()).GetString(), InvalidContentType);
    EXPECT_THROW((*parser.End()).GetDecimal(), InvalidResponse);
}

TEST(Attributes, SplittingRules)
{
    struct Case {
        const char* text;
        std::map<std::string, std::string> expected;
    } cases[] = {
        {"href=\"a.jpg\" view = \"1\"", {{"href", "a.jpg"}, {"view", "1"}}},
        {"href=\"\"", {}},
        {"href='a.jpg' view=1", {}},
        {"title=\"two\n   words\"", {{"title", "two words"}}},
        {"xml:lang=\"ja\"", {{"lang", "ja"}}},
        {"id=\"1\" id=\"2\"", {{"id", "2"}}},
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitAttributes(c.text), c.expected) << c.text;
}

TEST(Attributes, ReadFromParsedElements)
{
    Parser parser = Parsed("<ITEM><CATEGORY id=\"5\" type=\"1\" notice=\"0\">scan</CATEGORY>"
                           "<ENCLOSURE url=\"/vozoz/v?a=1&amp;DC=7\" type=\"audio/wav\"\n   length=\"12\"/>"
                           "<DESCRIPTION view=\"two\n   words\">x</DESCRIPTION><GUID>g</GUID></ITEM>");
    EXPECT_EQ((*parser.FindFirst("CATEGORY")).GetAttributes(),
              (std::map<std::string, std::string>{{"id", "5"}, {"type", "1"}, {"notice", "0"}}));
    EXPECT_EQ((*parser.FindFirst("ENCLOSURE")).GetAttributes().at("url"), "/vozoz/v?a=1&DC=7");
    EXPECT_EQ((*parser.FindFirst("DESCRIPTION")).GetAttributes().at("view"), "two words");
    EXPECT_TRUE((*parser.FindFirst("GUID")).GetAttributes().empty());
}
