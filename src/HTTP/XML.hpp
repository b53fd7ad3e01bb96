#pragma once
// Reading answers: the parsed document, positions in it, element access and searches.

#include "HTTP/Mcmd.hpp"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace transport {
struct Element;
}

namespace HTTP::XML {

class Node;

/// A sequence of element names, searched child by child.
class Path {
public:
    Path(std::string name) : names{std::move(name)} {}
    Path(const char* name) : names{name} {}
    explicit Path(std::vector<std::string> names) : names(std::move(names)) {}
    const std::vector<std::string>& Names() const { return names; }

private:
    std::vector<std::string> names;
};

/// A parsed document. Copies share it.
class Parser {
public:
    /// A position: an element and its index among its parent's element children.
    class Iterator {
    public:
        /// The end position.
        Iterator() = default;
        /// The position of an element (null gives the end position).
        explicit Iterator(transport::Element* element);

        transport::Element* Element() const { return element; }
        int Index() const { return index; }
        bool IsEnd() const { return element == nullptr; }

        /// The next sibling element, or the end position.
        Iterator& operator++();
        Node operator*() const;

        friend bool operator==(const Iterator& a, const Iterator& b) { return a.element == b.element; }

    private:
        transport::Element* element = nullptr;
        int index = 0;
    };

    /// An empty document.
    Parser();

    /// Parses the bytes into the document; false for empty or malformed input (an
    /// empty input leaves the document as it was).
    bool Parse(const Bytes& bytes);
    /// First element of that name anywhere in the document, or End().
    Iterator FindFirst(const std::string& name) const;
    /// The next element of that name after the one found last, or End().
    Iterator FindNext(const std::string& name) const;
    /// From `start`, each name of the path in turn among the current element's children
    /// (first match wins); End() when a step finds nothing.
    Iterator FindPath(const Iterator& start, const Path& path) const;
    Iterator End() const { return Iterator(); }

    transport::Document* Document() const { return document->Handle(); }

private:
    std::shared_ptr<Mcmd> document;
};

/// The element at a position that is not the end.
class Node {
public:
    explicit Node(transport::Element* element) : element(element) {}

    /// The element's text; throws HTTP::InvalidContentType when it has none.
    std::string GetString() const;
    /// The element's decimal value; throws HTTP::InvalidContentType when it has none.
    long GetDecimal() const;
    /// The element's name as the tag table writes it (empty for names outside it).
    std::string GetName() const;
    /// name -> value of the attributes written name="value" (blanks in values folded).
    std::map<std::string, std::string> GetAttributes() const;

private:
    transport::Element* element;
};

/// The attribute splitting of Node::GetAttributes, applied to attribute text.
std::map<std::string, std::string> SplitAttributes(const std::string& text);

}  // namespace HTTP::XML
