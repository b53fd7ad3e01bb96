#pragma once
// The inside of QuillhavenServer, shared by its command, document and feed parts.

#include "HTTP/Net.hpp"
#include "HTTP/XML.hpp"
#include "QH/QuillhavenServer.hpp"

#include <boost/assert/source_location.hpp>

#include <string>

// As a default argument: the location of the call, so that an error raised by a
// shared step names the operation that asked.
#define QH_CALLER ::boost::source_location(__builtin_FILE(), __builtin_LINE(), __builtin_FUNCTION())

namespace MonitoredEntry {
class User;
}

struct QuillhavenServer::Pimpl {
    HTTP::Net connection;
    int port;
    bool ssl;
    bool documentOption = false;

    Pimpl(const std::string& host, int port, bool ssl) : connection(host), port(port), ssl(ssl) {}

    /// Throws QH::InvalidResponse when a required element was not found.
    static void Check(const HTTP::XML::Parser::Iterator& found,
                      const boost::source_location& where = QH_CALLER);
};

namespace QH::detail {

/// The account ID and the deciphered password as the machine reads them.
std::string UserId(const MonitoredEntry::User& user);
std::string PlainPassword(const MonitoredEntry::User& user);

}  // namespace QH::detail
