#pragma once
// The element vocabulary of requests and answers, and the owner of one transport
// document.

#include <string>
#include <vector>

namespace transport {
struct Document;
}

namespace HTTP {

/// Answer bodies and other raw bytes.
using Bytes = std::vector<char>;

/// The 44 element names; a name's position is its tag id.
inline constexpr int TagCount = 44;
/// The process-wide table handed to every document: TagCount names and a null pointer.
const char* const* TagTable();
/// Tag id of a name (exact comparison); TagCount when the name is not in the table.
int TagId(const std::string& name);
/// Name of a tag id; empty for an id outside the table.
std::string TagName(int id);

/// Owns one transport document (a request, a set of query parameters or an answer).
class Mcmd {
public:
    /// Throws SystemError when the document cannot be made.
    Mcmd();
    ~Mcmd();
    Mcmd(const Mcmd&) = delete;
    Mcmd& operator=(const Mcmd&) = delete;

    transport::Document* Handle() const { return document; }

private:
    transport::Document* document;
};

}  // namespace HTTP
