#include "HTTP/Net.hpp"

#include "HTTP/Error.hpp"
#include "HTTP/XML.hpp"

#include <transport/transport.hpp>

#include <cerrno>

namespace HTTP {

namespace {
// The error codes the platform's internet layer reports for an unusable host.
constexpr int kInternetErrorFirst = 12000;
constexpr int kInternetErrorLast = 12174;
}  // namespace

std::string Extension(ContentType type)
{
    switch (type) {
    case ContentType::Jpeg: return ".jpeg";
    case ContentType::Pdf: return ".pdf";
    case ContentType::Tiff: return ".tif";
    case ContentType::Xml: return ".xml";
    case ContentType::Other: break;
    }
    return {};
}

Net::Net(const std::string& host) : connection(transport::CreateConnection(host.c_str())), host(host)
{
    if (!connection) {
        const int code = errno;
        if (code >= kInternetErrorFirst && code <= kInternetErrorLast) OSTREL_THROW(Error());
        OSTREL_THROW(ostrel::system_error(code));
    }
}

Net::~Net()
{
    Close();
    transport::DestroyConnection(connection);
}

void Net::Fail() const
{
    const std::string text = transport::LastConnectionErrorText(connection);
    if (transport::LastConnectionError(connection) == transport::ConnectionError::ConnectFailed)
        OSTREL_THROW(OpenFailure() << ostrel::error_message(text));
    OSTREL_THROW(Error() << ostrel::error_message(text));
}

void Net::Open(int port, bool ssl, const Timeout& timeout)
{
    if (connected) Close();
    if (ssl) transport::UseSsl(connection, 1);
    else transport::UseSsl(connection, 0);
    transport::SetTimeouts(connection, timeout.connectMs, timeout.retry, timeout.sendMs, timeout.recvMs);
    if (!transport::Connect(connection, port))
        OSTREL_THROW(OpenFailure() << ostrel::error_message(transport::LastConnectionErrorText(connection)));
    connected = true;
}

void Net::Send(MethodTag method, const std::string& path, transport::Document* body)
{
    const std::string requestPath = "/vozoz" + path;
    if (!transport::SendRequest(connection, method == GET ? 1 : 0, requestPath.c_str(), body)) Fail();
    const int status = transport::Status(connection);
    if (status == 403) OSTREL_THROW(NoAuthority());
    if (status != 200) OSTREL_THROW(ServerError() << ostrel::error_message("status " + std::to_string(status)));
}

std::unique_ptr<Bytes> Net::Recv()
{
    const std::size_t length = transport::ContentLength(connection);
    auto bytes = std::make_unique<Bytes>(length);
    std::size_t count = 0;
    if (length > 0 && !transport::ReadBody(connection, bytes->data(), length, &count)) Fail();
    return bytes;
}

void Net::RecvXml(XML::Parser& parser)
{
    transport::ClearDocument(parser.Document());
    if (!transport::ReadBodyAsXml(connection, parser.Document())) Fail();
    if (GetContentType() != ContentType::Xml) OSTREL_THROW(InvalidResponse());
}

void Net::RecvAndSaveFile(const std::string& path)
{
    if (!transport::SaveBody(connection, path.c_str())) Fail();
}

ContentType Net::GetContentType() const
{
    switch (transport::ContentType(connection)) {
    case transport::TypeJpeg: return ContentType::Jpeg;
    case transport::TypePdf: return ContentType::Pdf;
    case transport::TypeTiff: return ContentType::Tiff;
    case transport::TypeXml: return ContentType::Xml;
    default: return ContentType::Other;
    }
}

void Net::SetCredentials(const std::string& user, const std::string& password)
{
    transport::SetCredentials(connection, user.c_str(), password.c_str());
}

void Net::Close()
{
    if (!connected) return;
    transport::EndRequest(connection);
    transport::Disconnect(connection);
    connected = false;
}

}  // namespace HTTP
