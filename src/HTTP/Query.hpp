#pragma once
// Key/value parameters that become the URL query of a document request or a
// browser address.

#include "HTTP/Mcmd.hpp"

#include <memory>
#include <string>

namespace HTTP {

class Query {
public:
    Query();
    /// Appends one parameter (order is kept).
    void Add(const std::string& key, const std::string& value);
    /// The percent-encoded query text without a leading "?"; throws HTTP::SystemError.
    std::string ToString() const;
    transport::Document* Document() const { return document->Handle(); }

private:
    std::shared_ptr<Mcmd> document;
};

}  // namespace HTTP
