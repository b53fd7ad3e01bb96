#pragma once
// The inside of a document, shared by the document, query and connection parts.

#include "transport/transport.hpp"

#include <libxml/tree.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace transport {

struct Document {
    std::vector<std::string> tags;                  // names as given in the tag table
    std::unordered_map<std::string, int> idByName;  // upper-case name -> id
    xmlDocPtr doc = nullptr;
    xmlNodePtr open = nullptr;  // innermost open element while building
    xmlNodePtr lastFound = nullptr;
    std::vector<std::pair<std::string, std::string>> params;
    std::string queryText;
    int lastError = 0;

    // Where the last look at each parent's children ended, so that walking the
    // children in order costs one step per child.
    struct Cursor {
        int index = -1;
        xmlNodePtr child = nullptr;
        int count = -1;
    };
    std::unordered_map<const xmlNode*, Cursor> cursors;

    ~Document();
    void Reset();
    int IdOf(const xmlChar* name) const;
};

namespace detail {
/// Makes libxml2 ready for use from several threads (once per process).
void InitXml();
}  // namespace detail

}  // namespace transport
