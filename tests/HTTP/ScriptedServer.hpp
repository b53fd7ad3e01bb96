#pragma once
// A tiny HTTP server on the loopback address that answers each request with what a
// test scripts: any status, header or body, a body that never ends, or silence.
// It records every request it reads.

#include <boost/asio.hpp>

#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_http {

struct Request {
    std::string method;
    std::string target;
    std::string headers;  // the raw header block
    std::string body;

    std::string Header(const std::string& name) const
    {
        std::string lower = Lower(headers);
        const auto at = lower.find("\r\n" + Lower(name) + ":");
        if (at == std::string::npos) return {};
        const auto begin = headers.find_first_not_of(' ', at + name.size() + 3);
        return headers.substr(begin, headers.find("\r\n", begin) - begin);
    }
    static std::string Lower(std::string text)
    {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }
};

struct Response {
    std::string raw;          // written as is
    bool stallAfter = false;  // keep the connection open without a word after `raw`
    std::size_t endlessBytes = 0;  // then stream this many more filler bytes

    static Response Make(int status, const std::string& contentType, const std::string& body,
                         const std::string& extraHeaders = {})
    {
        Response response;
        response.raw = "HTTP/1.1 " + std::to_string(status) + " X\r\n";
        if (!contentType.empty()) response.raw += "Content-Type: " + contentType + "\r\n";
        response.raw += extraHeaders;
        response.raw += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        return response;
    }
    static Response Xml(const std::string& body) { return Make(200, "text/xml; charset=utf-8", body); }
};

class ScriptedServer {
public:
    using Handler = std::function<Response(const Request&)>;

    explicit ScriptedServer(Handler handler, const std::string& address = "127.0.0.1")
        : handler(std::move(handler)),
          acceptor(io, boost::asio::ip::tcp::endpoint(boost::asio::ip::make_address(address), 0))
    {
        acceptThread = std::thread([this] { AcceptLoop(); });
    }

    ~ScriptedServer()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        {
            std::lock_guard lock(mutex);
            for (auto& socket : sockets) ::shutdown(socket->native_handle(), SHUT_RDWR);
        }
        boost::system::error_code ignored;
        boost::asio::ip::tcp::socket poke(io);
        poke.connect(acceptor.local_endpoint(), ignored);  // wakes the blocking accept
        acceptThread.join();
        for (auto& thread : connectionThreads) thread.join();
    }

    int Port() const { return acceptor.local_endpoint().port(); }

    std::vector<Request> Requests()
    {
        std::lock_guard lock(mutex);
        return requests;
    }

private:
    void AcceptLoop()
    {
        for (;;) {
            auto socket = std::make_shared<boost::asio::ip::tcp::socket>(io);
            boost::system::error_code error;
            acceptor.accept(*socket, error);
            std::lock_guard lock(mutex);
            if (stopping) return;
            if (error) continue;
            sockets.push_back(socket);
            connectionThreads.emplace_back([this, socket] { Serve(*socket); });
        }
    }

    void Serve(boost::asio::ip::tcp::socket& socket)
    {
        boost::system::error_code error;
        std::string data;
        char buffer[8192];
        std::size_t headerEnd;
        while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
            const std::size_t n = socket.read_some(boost::asio::buffer(buffer), error);
            if (error) return;
            data.append(buffer, n);
        }
        Request request;
        request.headers = data.substr(0, headerEnd + 2);
        const auto firstSpace = data.find(' ');
        request.method = data.substr(0, firstSpace);
        request.target = data.substr(firstSpace + 1, data.find(' ', firstSpace + 1) - firstSpace - 1);
        const std::string length = request.Header("Content-Length");
        const std::size_t want = length.empty() ? 0 : std::stoul(length);
        request.body = data.substr(headerEnd + 4);
        while (request.body.size() < want) {
            const std::size_t n = socket.read_some(boost::asio::buffer(buffer), error);
            if (error) return;
            request.body.append(buffer, n);
        }
        {
            std::lock_guard lock(mutex);
            requests.push_back(request);
        }
        const Response response = handler(request);
        boost::asio::write(socket, boost::asio::buffer(response.raw), error);
        std::string filler(64 * 1024, 'x');
        for (std::size_t sent = 0; !error && sent < response.endlessBytes && !Stopping(); sent += filler.size())
            boost::asio::write(socket, boost::asio::buffer(filler), error);
        if (response.stallAfter) {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return stopping; });
        }
        socket.shutdown(boost::asio::ip::tcp::socket::shutdown_both, error);
    }

    bool Stopping()
    {
        std::lock_guard lock(mutex);
        return stopping;
    }

    Handler handler;
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor;
    std::thread acceptThread;
    std::vector<std::thread> connectionThreads;
    std::vector<std::shared_ptr<boost::asio::ip::tcp::socket>> sockets;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    std::vector<Request> requests;
};

}  // namespace testing_http
