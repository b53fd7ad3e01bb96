#include "HTTP/XML.hpp"

#include "HTTP/Error.hpp"

#include <transport/transport.hpp>

#include <boost/xpressive/xpressive_static.hpp>

#include <cstring>

namespace HTTP::XML {

Parser::Iterator::Iterator(transport::Element* element) : element(element)
{
    if (!element) return;
    transport::Element* parent = transport::Parent(element);
    const int count = parent ? transport::ChildCount(parent) : 1;
    for (int i = 0; i < count && parent; ++i) {
        if (transport::Child(parent, i) == element) {
            index = i;
            break;
        }
    }
}

Parser::Iterator& Parser::Iterator::operator++()
{
    transport::Element* parent = element ? transport::Parent(element) : nullptr;
    if (parent && index + 1 < transport::ChildCount(parent)) {
        element = transport::Child(parent, ++index);
    } else {
        element = nullptr;
        index = 0;
    }
    return *this;
}

Node Parser::Iterator::operator*() const { return Node(element); }

Parser::Parser() : document(std::make_shared<Mcmd>()) {}

bool Parser::Parse(const Bytes& bytes)
{
    if (bytes.empty()) return false;
    transport::ClearDocument(Document());
    return transport::ParseXml(Document(), bytes.data(), bytes.size());
}

Parser::Iterator Parser::FindFirst(const std::string& name) const
{
    return Iterator(transport::FindFirst(Document(), TagId(name)));
}

Parser::Iterator Parser::FindNext(const std::string& name) const
{
    return Iterator(transport::FindNext(Document(), TagId(name)));
}

Parser::Iterator Parser::FindPath(const Iterator& start, const Path& path) const
{
    Iterator current = start;
    for (const std::string& name : path.Names()) {
        if (current.IsEnd()) break;
        Iterator child(transport::Child(current.Element(), 0));
        while (!child.IsEnd() && (*child).GetName() != name) ++child;
        current = child;
    }
    return current;
}

std::string Node::GetString() const
{
    auto text = transport::Text(element);
    if (!text) OSTREL_THROW(InvalidContentType());
    return std::move(*text);
}

long Node::GetDecimal() const
{
    long value = 0;
    if (!transport::Decimal(element, &value)) OSTREL_THROW(InvalidContentType());
    return value;
}

std::string Node::GetName() const { return TagName(transport::TagId(element)); }

std::map<std::string, std::string> Node::GetAttributes() const
{
    auto text = transport::AttributeText(element);
    return text ? SplitAttributes(*text) : std::map<std::string, std::string>();
}

std::map<std::string, std::string> SplitAttributes(const std::string& text)
{
    using namespace boost::xpressive;
    // name = "value": a run of letters and digits, blanks allowed around "=", a
    // double-quoted value of at least one character.
    static const sregex attribute = (s1 = +alnum) >> *_s >> '=' >> *_s >> '"' >> (s2 = +~as_xpr('"')) >> '"';

    std::map<std::string, std::string> attributes;
    for (sregex_iterator it(text.begin(), text.end(), attribute), end; it != end; ++it) {
        // Every run of white space in the value becomes one space.
        std::string value;
        bool blank = false;
        for (char c : (*it)[2].str()) {
            if (std::strchr(" \t\n\v\f\r", c) && c != '\0') {
                if (!blank) value += ' ';
                blank = true;
            } else {
                value += c;
                blank = false;
            }
        }
        attributes[(*it)[1].str()] = std::move(value);
    }
    return attributes;
}

}  // namespace HTTP::XML
