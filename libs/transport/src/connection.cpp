// HTTP(S) connections over libcurl. One request at a time: SendRequest performs the
// whole exchange and keeps the answer until the request ends.

#include "document_impl.hpp"

#include <curl/curl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace transport {

namespace {

using Clock = std::chrono::steady_clock;

void InitCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Lower(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string Trim(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// Mime type and charset parameter of a Content-Type header value.
std::pair<std::string, std::string> SplitContentType(const std::string& header)
{
    const auto semicolon = header.find(';');
    std::string type = Lower(Trim(header.substr(0, semicolon)));
    std::string charset;
    if (semicolon != std::string::npos) {
        std::string parameters = header.substr(semicolon + 1);
        const auto at = Lower(parameters).find("charset=");
        if (at != std::string::npos) {
            charset = Trim(parameters.substr(at + 8));
            charset = charset.substr(0, charset.find(';'));
            charset = Trim(charset);
            if (charset.size() >= 2 && charset.front() == '"' && charset.back() == '"')
                charset = charset.substr(1, charset.size() - 2);
        }
    }
    return {type, charset};
}

int CodeOf(const std::string& mime)
{
    if (mime == "text/xml" || mime == "application/xml" ||
        (mime.size() > 4 && mime.compare(mime.size() - 4, 4, "+xml") == 0 && mime.rfind("application/", 0) == 0))
        return TypeXml;
    if (mime == "image/tiff" || mime == "image/tif") return TypeTiff;
    if (mime == "application/pdf") return TypePdf;
    if (mime == "image/jpeg" || mime == "image/jpg" || mime == "image/pjpeg") return TypeJpeg;
    return TypeOther;
}

}  // namespace

struct Connection {
    std::string host;
    bool ssl = false;
    int connectMs = 0, retry = 0, sendMs = 0, recvMs = 0;
    int port = 0;
    bool connected = false;
    std::string user, password;
    bool credentials = false;

    CURL* easy = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // The answer of the current request.
    long status = 0;
    std::string contentType;
    std::string body;
    bool answered = false;

    // Transfer bookkeeping for the idle timeouts and the size cap.
    CURLM* multi = nullptr;  // drives the transfer; keeps the connection for the next request
    bool stalled = false, tooLarge = false;

    ConnectionError error = ConnectionError::None;
    std::string errorText;

    ~Connection()
    {
        if (multi) curl_multi_cleanup(multi);
        if (easy) curl_easy_cleanup(easy);
        WipeCredentials();
    }

    void WipeCredentials()
    {
        std::fill(password.begin(), password.end(), '\0');
        password.clear();
        user.clear();
        credentials = false;
    }

    bool Fail(ConnectionError kind, std::string text)
    {
        error = kind;
        errorText = std::move(text);
        return false;
    }

    void ForgetAnswer()
    {
        status = 0;
        contentType.clear();
        body.clear();
        body.shrink_to_fit();
        answered = false;
    }

    std::string BaseAddress() const
    {
        std::string address = ssl ? "https://" : "http://";
        // A literal IPv6 address is written in brackets.
        const bool bracket = host.find(':') != std::string::npos && host.front() != '[';
        if (bracket) address += '[';
        address += host;
        if (bracket) address += ']';
        address += ":" + std::to_string(port);
        return address;
    }
};

namespace {

size_t WriteBody(char* data, size_t size, size_t count, void* user)
{
    auto* connection = static_cast<Connection*>(user);
    const size_t bytes = size * count;
    if (connection->body.size() + bytes > MaxBodyBytes) {
        connection->tooLarge = true;
        return 0;  // makes curl abort the transfer
    }
    connection->body.append(data, bytes);
    return bytes;
}

size_t ReadHeader(char* data, size_t size, size_t count, void* user)
{
    auto* connection = static_cast<Connection*>(user);
    const size_t bytes = size * count;
    std::string line(data, bytes);
    const auto colon = line.find(':');
    // An announced body above the cap is refused before any of it is read.
    if (colon != std::string::npos && Lower(line.substr(0, colon)) == "content-length") {
        const std::string value = Trim(line.substr(colon + 1));
        char* end = nullptr;
        const unsigned long long announced = std::strtoull(value.c_str(), &end, 10);
        if (end != value.c_str() && announced > MaxBodyBytes) {
            connection->tooLarge = true;
            return 0;
        }
    }
    return bytes;
}

// Runs the transfer, ending it when nothing has moved for longer than the send
// timeout (while the request body goes out) or the receive timeout (otherwise).
CURLcode Perform(Connection* connection, std::size_t requestBytes)
{
    CURL* easy = connection->easy;
    CURLM* multi = connection->multi;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
    curl_off_t lastUp = -1, lastDown = -1;
    long lastHeader = -1;
    auto lastActivity = Clock::now();
    CURLcode result = CURLE_OK;
    for (int running = 1;;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (!running) {
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) result = message->data.result;
            }
            break;
        }
        curl_off_t up = 0, down = 0;
        long header = 0;
        curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &up);
        curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &down);
        curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &header);
        curl_off_t ready = 0;  // zero until connected (and, for HTTPS, the handshake done)
        curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &ready);
        const auto now = Clock::now();
        if (ready == 0 || up != lastUp || down != lastDown || header != lastHeader) {
            lastUp = up;
            lastDown = down;
            lastHeader = header;
            lastActivity = now;
        }
        const bool sending = static_cast<std::size_t>(up) < requestBytes && header == 0;
        const int limit = sending ? connection->sendMs : connection->recvMs;
        if (limit > 0 && now - lastActivity > std::chrono::milliseconds(limit)) {
            connection->stalled = true;
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 50, nullptr);
    }
    curl_multi_remove_handle(multi, easy);
    return result;
}

bool IsConnectFailure(CURLcode code)
{
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_OPERATION_TIMEDOUT;
}

}  // namespace

Connection* CreateConnection(const char* host)
{
    if (!host || !*host || std::strpbrk(host, "/?#@ \t\r\n")) {
        errno = EINVAL;
        return nullptr;
    }
    InitCurl();
    auto* connection = new (std::nothrow) Connection;
    if (!connection) {
        errno = ENOMEM;
        return nullptr;
    }
    connection->host = host;
    if (connection->host.front() == '[' && connection->host.back() == ']')
        connection->host = connection->host.substr(1, connection->host.size() - 2);
    connection->easy = curl_easy_init();
    connection->multi = curl_multi_init();
    if (!connection->easy || !connection->multi) {
        delete connection;
        errno = ENOMEM;
        return nullptr;
    }
    return connection;
}

void DestroyConnection(Connection* connection) { delete connection; }

void UseSsl(Connection* connection, int on)
{
    if (connection) connection->ssl = on != 0;
}

void SetTimeouts(Connection* connection, int connectMs, int retry, int sendMs, int recvMs)
{
    if (!connection) return;
    connection->connectMs = connectMs;
    connection->retry = retry;
    connection->sendMs = sendMs;
    connection->recvMs = recvMs;
}

bool Connect(Connection* connection, int port)
{
    if (!connection) return false;
    if (port <= 0 || port > 65535)
        return connection->Fail(ConnectionError::InvalidArgument, "port out of range: " + std::to_string(port));
    connection->port = port;
    connection->connected = true;
    connection->error = ConnectionError::None;
    connection->errorText.clear();
    return true;
}

void SetCredentials(Connection* connection, const char* user, const char* password)
{
    if (!connection) return;
    connection->WipeCredentials();
    connection->user = user ? user : "";
    connection->password = password ? password : "";
    connection->credentials = true;
}

bool SendRequest(Connection* connection, int queryFlag, const char* path, const Document* document)
{
    if (!connection) return false;
    connection->ForgetAnswer();
    connection->error = ConnectionError::None;
    connection->errorText.clear();
    if (!connection->connected) return connection->Fail(ConnectionError::InvalidArgument, "not connected");
    if (!path || (*path && *path != '/') || std::strpbrk(path, " \t\r\n#"))
        return connection->Fail(ConnectionError::InvalidArgument, "invalid request path");

    std::string address = connection->BaseAddress() + path;
    std::string requestBody;
    if (queryFlag && document && !document->params.empty()) {
        Document copy;  // the query text is built without touching the caller's document
        copy.params = document->params;
        SerializeQuery(&copy);
        address += (std::strchr(path, '?') ? "&" : "?") + copy.queryText;
    } else if (!queryFlag) {
        requestBody = SerializeRequest(document);
    }

    CURL* easy = connection->easy;
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // machines are reached directly
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, connection->errorBuffer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, connection);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, connection);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxBodyBytes));
    if (connection->connectMs > 0) curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connection->connectMs));
    if (connection->ssl) {
        // Machines carry self-signed certificates: the link is encrypted, the
        // certificate is not checked against a certificate authority.
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    if (connection->credentials) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_USERNAME, connection->user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, connection->password.c_str());
    }
    curl_slist* headers = nullptr;
    if (!queryFlag) {
        headers = curl_slist_append(headers, "Content-Type: text/xml; charset=utf-8");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, requestBody.c_str());
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(requestBody.size()));
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    CURLcode code = CURLE_OK;
    for (int attempt = 0;; ++attempt) {
        connection->body.clear();
        connection->stalled = connection->tooLarge = false;
        code = Perform(connection, requestBody.size());
        if (connection->stalled || !IsConnectFailure(code) || attempt >= connection->retry) break;
    }
    if (headers) curl_slist_free_all(headers);

    if (code != CURLE_OK) {
        const std::string detail = connection->errorBuffer[0] ? connection->errorBuffer : curl_easy_strerror(code);
        connection->body.clear();
        if (connection->tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            return connection->Fail(ConnectionError::TooLarge, "answer larger than the 64 MiB limit");
        if (connection->stalled) return connection->Fail(ConnectionError::Timeout, "transfer stalled past its timeout");
        if (IsConnectFailure(code)) return connection->Fail(ConnectionError::ConnectFailed, detail);
        return connection->Fail(ConnectionError::Transfer, detail);
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &connection->status);
    const char* type = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
    connection->contentType = type ? type : "";
    connection->answered = true;
    return true;
}

int Status(const Connection* connection) { return connection && connection->answered ? connection->status : 0; }

int ContentType(const Connection* connection)
{
    if (!connection || !connection->answered) return TypeOther;
    return CodeOf(SplitContentType(connection->contentType).first);
}

std::size_t ContentLength(const Connection* connection)
{
    return connection && connection->answered ? connection->body.size() : 0;
}

bool ReadBody(Connection* connection, char* buffer, std::size_t length, std::size_t* count)
{
    if (!connection) return false;
    if (!connection->answered) return connection->Fail(ConnectionError::InvalidArgument, "no answer");
    if (!buffer && length > 0) return connection->Fail(ConnectionError::InvalidArgument, "no buffer");
    const std::size_t n = std::min(length, connection->body.size());
    std::memcpy(buffer, connection->body.data(), n);
    if (count) *count = n;
    return true;
}

bool ReadBodyAsXml(Connection* connection, Document* document)
{
    if (!connection || !document) return false;
    if (!connection->answered) return connection->Fail(ConnectionError::InvalidArgument, "no answer");
    const std::string charset = SplitContentType(connection->contentType).second;
    if (!ParseXml(document, connection->body.data(), connection->body.size(), charset.empty() ? nullptr : charset.c_str()))
        return connection->Fail(ConnectionError::Transfer, "answer is not a well-formed XML document");
    return true;
}

bool SaveBody(Connection* connection, const char* path)
{
    if (!connection) return false;
    if (!connection->answered) return connection->Fail(ConnectionError::InvalidArgument, "no answer");
    if (!path || !*path) return connection->Fail(ConnectionError::InvalidArgument, "no file path");
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return connection->Fail(ConnectionError::File, std::string("cannot create file: ") + std::strerror(errno));
    const bool written = std::fwrite(connection->body.data(), 1, connection->body.size(), file) == connection->body.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::remove(path);
        return connection->Fail(ConnectionError::File, "cannot write file");
    }
    return true;
}

void EndRequest(Connection* connection)
{
    if (!connection) return;
    connection->ForgetAnswer();
    connection->WipeCredentials();
}

void Disconnect(Connection* connection)
{
    if (!connection) return;
    EndRequest(connection);
    connection->connected = false;
}

ConnectionError LastConnectionError(const Connection* connection)
{
    return connection ? connection->error : ConnectionError::InvalidArgument;
}

std::string LastConnectionErrorText(const Connection* connection)
{
    return connection ? connection->errorText : "no connection";
}

}  // namespace transport
