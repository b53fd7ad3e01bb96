#pragma once
// One connection to one machine's web service, below the service root "/vozoz".
//
// Per request: Open, optionally SetCredentials, Send, then at most one of Recv,
// RecvXml, RecvAndSaveFile, GetContentType (or GetContentType then RecvAndSaveFile),
// then Close. Open on a connected Net ends the earlier request first.

#include "HTTP/Mcmd.hpp"
#include "HTTP/Timeout.hpp"

#include <memory>
#include <string>

namespace transport {
struct Connection;
struct Document;
}  // namespace transport

namespace HTTP {

namespace XML {
class Parser;
}

/// What an answer holds.
enum class ContentType { Jpeg = 0, Pdf = 1, Tiff = 2, Xml = 3, Other = 4 };

/// The file extension of a content type (".jpeg", ".pdf", ".tif", ".xml", or empty).
std::string Extension(ContentType type);

class Net {
public:
    enum MethodTag { GET = 0, POST = 1 };

    /// Throws HTTP::Error or ostrel::system_error when no connection can be made.
    explicit Net(const std::string& host);
    ~Net();
    Net(const Net&) = delete;
    Net& operator=(const Net&) = delete;

    /// Throws HTTP::OpenFailure.
    void Open(int port, bool ssl, const Timeout& timeout);
    /// Requests "/vozoz" + path: GET with the document's parameters as URL query (or
    /// the path alone when body is null), or POST of the document as XML. Throws
    /// HTTP::OpenFailure when the machine cannot be reached, HTTP::NoAuthority for
    /// status 403, HTTP::ServerError for any status but 200, HTTP::Error otherwise.
    void Send(MethodTag method, const std::string& path, transport::Document* body);
    /// The answer body.
    std::unique_ptr<Bytes> Recv();
    /// Parses the answer into the parser; HTTP::InvalidResponse when it is not XML.
    void RecvXml(XML::Parser& parser);
    /// Writes the answer body to the file.
    void RecvAndSaveFile(const std::string& path);
    ContentType GetContentType() const;
    /// HTTP Basic credentials for the following request.
    void SetCredentials(const std::string& user, const std::string& password);
    void Close();

    const std::string& Host() const { return host; }
    bool Connected() const { return connected; }

private:
    [[noreturn]] void Fail() const;

    transport::Connection* connection;
    std::string host;
    bool connected = false;
};

}  // namespace HTTP
