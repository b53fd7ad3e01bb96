// Document requests below "/vozoz/norvane" and the browser pages of the machine.

#include "QH/QuillhavenServer.hpp"

#include "HTTP/Query.hpp"
#include "MonitoredEntry/User.hpp"
#include "QH/ServerPimpl.hpp"
#include "System/System.hpp"
#include "Utility/Text.hpp"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem/path.hpp>

using QH::Request;

namespace {

const std::string kDocumentPath = "/norvane";

std::string QhrValue(const QuillhavenServer::Pimpl& pimpl) { return pimpl.documentOption ? "1" : "0"; }

// Every document request starts with the function code, the document and the user.
HTTP::Query DocumentQuery(const char* function, const std::wstring& documentCode, const MonitoredEntry::User& user)
{
    HTTP::Query query;
    query.Add("NVF", function);
    query.Add("DC", Text::Narrow(documentCode));
    query.Add("UN", QH::detail::UserId(user));
    return query;
}

// The download request shared by DownloadDocument and RequestDownload.
HTTP::Query DownloadQuery(const QuillhavenServer::Pimpl& pimpl, const MonitoredEntry::User& user,
                          const std::wstring& documentCode, const std::wstring& downloadId, int kind)
{
    HTTP::Query query = DocumentQuery("1", documentCode, user);
    query.Add("QHR", QhrValue(pimpl));
    if (kind == 7) query.Add("IDR", "1");
    if (kind == 8) query.Add("IDR", "2");
    query.Add("UID", Text::Narrow(downloadId));
    return query;
}

enum class Credentials { None, User };

void Send(QuillhavenServer::Pimpl& pimpl, const HTTP::Timeout& timeout, const std::string& path,
          const HTTP::Query* query, const MonitoredEntry::User& user, Credentials credentials)
{
    pimpl.connection.Open(pimpl.port, pimpl.ssl, timeout);
    if (credentials == Credentials::User)
        pimpl.connection.SetCredentials(QH::detail::UserId(user), QH::detail::PlainPassword(user));
    pimpl.connection.Send(HTTP::Net::GET, path, query ? query->Document() : nullptr);
}

// Requests that only need the status: send and close.
void SendAndClose(QuillhavenServer::Pimpl& pimpl, const HTTP::Timeout& timeout, const HTTP::Query& query,
                  const MonitoredEntry::User& user, Credentials credentials)
{
    Send(pimpl, timeout, kDocumentPath, &query, user, credentials);
    pimpl.connection.Close();
}

// Keeps the caller's extension when it already names the type (".TIFF" for TIFF,
// ".jpg" for JPEG, ...); otherwise appends the type's own extension.
std::wstring AdjustedPath(const std::wstring& path, HTTP::ContentType type)
{
    const std::string wanted = HTTP::Extension(type);
    const std::string own = Text::Narrow(boost::filesystem::path(path).extension().wstring());
    if (boost::iequals(own, wanted)) return path;
    static const std::pair<const char*, const char*> kSynonyms[] = {
        {".tif", ".tiff"}, {".tiff", ".tif"}, {".jpeg", ".jpg"}, {".jpg", ".jpeg"}};
    if (!own.empty()) {
        for (const auto& [typeExtension, pathExtension] : kSynonyms) {
            if (boost::iequals(wanted, typeExtension) && boost::iequals(own, pathExtension)) return path;
        }
    }
    return path + Text::Widen(wanted);
}

}  // namespace

void QuillhavenServer::SetDocumentOption(bool option) { pimpl->documentOption = option; }
bool QuillhavenServer::GetDocumentOption() const { return pimpl->documentOption; }

std::unique_ptr<QH::MemoryImage> QuillhavenServer::GetThumbnail(const std::wstring& thumbnailAddress,
                                                                const MonitoredEntry::User& user)
{
    const std::wstring marker = L"&DC=";
    const auto at = thumbnailAddress.find(marker);
    const std::wstring documentCode = at != std::wstring::npos
                                          ? thumbnailAddress.substr(at + marker.size())
                                          : thumbnailAddress.substr(std::min<std::size_t>(3, thumbnailAddress.size()));
    HTTP::Query query = DocumentQuery("6", documentCode, user);
    Send(*pimpl, QH::Config::CurrentRecord(Request::GetThumbnail), kDocumentPath, &query, user, Credentials::None);
    std::unique_ptr<HTTP::Bytes> bytes = pimpl->connection.Recv();
    pimpl->connection.Close();
    return std::make_unique<QH::MemoryImage>(std::move(*bytes));
}

bool QuillhavenServer::DownloadDocument(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                        std::wstring& path, const std::wstring& downloadId, int kind,
                                        const HTTP::Timeout& timeout)
{
    const HTTP::Query query = DownloadQuery(*pimpl, user, documentCode, downloadId, kind);
    Send(*pimpl, timeout, kDocumentPath, &query, user, Credentials::None);
    const HTTP::ContentType type = pimpl->connection.GetContentType();
    if (type == HTTP::ContentType::Other) {
        pimpl->connection.Close();
        return true;
    }
    path = AdjustedPath(path, type);
    pimpl->connection.RecvAndSaveFile(System::NarrowPath(path));
    pimpl->connection.Close();
    return false;
}

bool QuillhavenServer::RequestDownload(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                       const std::wstring& downloadId, int kind)
{
    const HTTP::Query query = DownloadQuery(*pimpl, user, documentCode, downloadId, kind);
    Send(*pimpl, QH::Config::CurrentRecord(Request::DownloadImage), kDocumentPath, &query, user, Credentials::None);
    if (pimpl->connection.GetContentType() == HTTP::ContentType::Other) {
        pimpl->connection.Close();
        return true;
    }
    return false;  // the answer stays pending for GetDownloadExtension and SaveDownload
}

void QuillhavenServer::SaveDownload(const std::wstring& path)
{
    pimpl->connection.RecvAndSaveFile(System::NarrowPath(path));
}

std::wstring QuillhavenServer::GetDownloadExtension() const
{
    return Text::Widen(HTTP::Extension(pimpl->connection.GetContentType()));
}

void QuillhavenServer::CancelDownload(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                      const std::wstring& downloadId)
{
    HTTP::Query query = DocumentQuery("1", documentCode, user);
    query.Add("QHR", QhrValue(*pimpl));
    query.Add("IDR", "3");
    query.Add("UID", Text::Narrow(downloadId));
    SendAndClose(*pimpl, QH::Config::CurrentRecord(Request::CancelDownloadImage), query, user, Credentials::None);
}

void QuillhavenServer::PrintDocument(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                     const HTTP::Timeout& timeout)
{
    HTTP::Query query = DocumentQuery("2", documentCode, user);
    query.Add("QHR", QhrValue(*pimpl));
    SendAndClose(*pimpl, timeout, query, user, Credentials::User);
}

void QuillhavenServer::DeleteDocument(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                      const HTTP::Timeout& timeout)
{
    HTTP::Query query = DocumentQuery("5", documentCode, user);
    SendAndClose(*pimpl, timeout, query, user, Credentials::User);
}

void QuillhavenServer::DeleteNotice(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                    const std::wstring& notifyId, const HTTP::Timeout& timeout)
{
    HTTP::Query query = DocumentQuery("8", documentCode, user);
    query.Add("NTF", Text::Narrow(notifyId));
    SendAndClose(*pimpl, timeout, query, user, Credentials::User);
}

std::unique_ptr<HTTP::Bytes> QuillhavenServer::GetImage(const std::wstring& address, const MonitoredEntry::User& user)
{
    // The address is "scheme://host/vozoz/rest": the request goes to "/vozoz/rest".
    const std::string narrow = Text::Narrow(address);
    std::string path;
    std::size_t at = std::string::npos;
    for (int slashes = 0; slashes < 4; ++slashes) {
        at = narrow.find('/', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) break;
    }
    if (at != std::string::npos) path = narrow.substr(at);
    Send(*pimpl, QH::Config::CurrentRecord(Request::GetImage), path, nullptr, user, Credentials::User);
    std::unique_ptr<HTTP::Bytes> bytes = pimpl->connection.Recv();
    pimpl->connection.Close();
    return bytes;
}

std::string QuillhavenServer::BrowserBaseAddress() const
{
    const std::string scheme = pimpl->ssl ? "https" : "http";
    const int defaultPort = pimpl->ssl ? 443 : 80;
    std::string host = pimpl->connection.Host();
    if (host.find(':') != std::string::npos && host.front() != '[') {
        host.insert(0, 1, '[');  // a literal IPv6 address
        host += ']';
    }
    if (pimpl->port != defaultPort) host += ":" + std::to_string(pimpl->port);
    return scheme + "://" + host + "/vozoz" + kDocumentPath;
}

namespace {
void OpenPage(const QuillhavenServer& server, const HTTP::Query& query)
{
    System::OpenAddressWithQuery(Text::Widen(server.BrowserBaseAddress()), Text::Widen(query.ToString()));
}
}  // namespace

void QuillhavenServer::OpenInBrowser(const MonitoredEntry::User& user, int mode)
{
    HTTP::Query query;
    query.Add("NVF", std::to_string(mode));
    query.Add("UN", QH::detail::UserId(user));
    OpenPage(*this, query);
}

void QuillhavenServer::OpenInBrowser(const MonitoredEntry::User& user, const std::wstring& documentCode,
                                     const std::wstring& notifyId)
{
    HTTP::Query query;
    query.Add("NVF", "7");
    query.Add("UN", QH::detail::UserId(user));
    query.Add("DC", Text::Narrow(documentCode));
    query.Add("NTF", Text::Narrow(notifyId));
    OpenPage(*this, query);
}

void QuillhavenServer::OpenInBrowser(const MonitoredEntry::User& user)
{
    HTTP::Query query;
    query.Add("NVF", "9");
    query.Add("UN", QH::detail::UserId(user));
    OpenPage(*this, query);
}
