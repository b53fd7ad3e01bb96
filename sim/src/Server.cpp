#include "Server.hpp"

#include "Certificate.hpp"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

namespace QuillhavenSim {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

constexpr std::size_t requestBodyLimit = 1 << 20;
constexpr auto idleLimit = std::chrono::seconds(60);

using PlainStream = beast::tcp_stream;
using SecureStream = beast::ssl_stream<beast::tcp_stream>;

template <class Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
public:
    template <class... Args>
    Session(const Server::Handler& handler, tcp::socket socket, Args&... args)
        : handler_(handler), timer_(socket.get_executor()), stream_(std::move(socket), args...)
    {
        boost::system::error_code ec;
        auto endpoint = beast::get_lowest_layer(stream_).socket().remote_endpoint(ec);
        if (!ec) {
            peer_ = endpoint.address().to_string();
            loopback_ = endpoint.address().is_loopback();
        }
    }

    void Run()
    {
        if constexpr (std::is_same_v<Stream, SecureStream>) {
            beast::get_lowest_layer(stream_).expires_after(idleLimit);
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](beast::error_code ec) {
                                        if (!ec) self->Read();
                                    });
        } else {
            Read();
        }
    }

private:
    void Read()
    {
        parser_.emplace();
        parser_->body_limit(requestBodyLimit);
        beast::get_lowest_layer(stream_).expires_after(idleLimit);
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                    self->OnHeader(ec);
                                });
    }

    // A client that announces its body with "Expect: 100-continue" waits for the go-ahead.
    void OnHeader(beast::error_code ec)
    {
        if (ec == http::error::end_of_stream) return Close();
        if (ec == http::error::body_limit) return Refuse(http::status::payload_too_large);
        if (ec) return;
        auto readBody = [self = this->shared_from_this()] {
            http::async_read(self->stream_, self->buffer_, *self->parser_,
                             [self](beast::error_code error, std::size_t) { self->OnRead(error); });
        };
        if (!beast::iequals(parser_->get()[http::field::expect], "100-continue")) return readBody();
        continue_ = {http::status::continue_, parser_->get().version()};
        http::async_write(stream_, continue_, [readBody](beast::error_code error, std::size_t) {
            if (!error) readBody();
        });
    }

    void OnRead(beast::error_code ec)
    {
        if (ec == http::error::end_of_stream) return Close();
        if (ec == http::error::body_limit) return Refuse(http::status::payload_too_large);
        if (ec) return;
        auto& message = parser_->get();
        Request request;
        request.method = std::string(message.method_string());
        request.target = std::string(message.target());
        request.authorization = std::string(message[http::field::authorization]);
        request.body = message.body();
        request.peer = peer_;
        request.peerIsLoopback = loopback_;
        Reply reply = handler_(request);

        response_ = {};
        response_.version(message.version());
        response_.result(static_cast<unsigned>(reply.status));
        response_.set(http::field::server, "Quillhaven");
        if (!reply.contentType.empty()) response_.set(http::field::content_type, reply.contentType);
        for (const auto& [name, value] : reply.headers) response_.set(name, value);
        response_.keep_alive(message.keep_alive());
        response_.body() = std::move(reply.body);
        response_.prepare_payload();

        if (reply.delayMs > 0) {
            timer_.expires_after(std::chrono::milliseconds(reply.delayMs));
            timer_.async_wait([self = this->shared_from_this()](beast::error_code waitError) {
                if (!waitError) self->Write();
            });
        } else {
            Write();
        }
    }

    // An answer to a request that is not read to its end; the connection closes after it.
    void Refuse(http::status status)
    {
        response_ = {status, 11};
        response_.set(http::field::server, "Quillhaven");
        response_.set(http::field::content_type, "text/plain; charset=UTF-8");
        response_.body() = "request too large\n";
        response_.keep_alive(false);
        response_.prepare_payload();
        Write();
    }

    void Write()
    {
        beast::get_lowest_layer(stream_).expires_after(idleLimit);
        http::async_write(stream_, response_, [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) return;
            if (!self->response_.keep_alive()) return self->Close();
            self->Read();
        });
    }

    void Close()
    {
        if constexpr (std::is_same_v<Stream, SecureStream>) {
            beast::get_lowest_layer(stream_).expires_after(std::chrono::seconds(5));
            stream_.async_shutdown([self = this->shared_from_this()](beast::error_code) {});
        } else {
            beast::error_code ec;
            stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
        }
    }

    const Server::Handler& handler_;
    asio::steady_timer timer_;
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    http::response<http::string_body> response_;
    http::response<http::empty_body> continue_;
    std::string peer_;
    bool loopback_ = false;
};

tcp::acceptor Listen(asio::io_context& io, std::uint16_t port)
{
    tcp::acceptor acceptor(io);
    tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(asio::socket_base::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen();
    return acceptor;
}

}  // namespace

struct Server::Impl {
    // The context goes last: sockets and pending sessions are released before it.
    std::optional<asio::io_context> io{std::in_place};
    Handler handler;
    asio::ssl::context tls{asio::ssl::context::tls_server};
    std::optional<tcp::acceptor> http;
    std::optional<tcp::acceptor> https;
    std::mutex udpMutex;
    std::optional<asio::ip::udp::socket> udp;  // guarded by udpMutex; empty once stopped
    std::thread thread;
    std::uint16_t httpPort = 0, httpsPort = 0;

    Impl(Handler h, std::uint16_t httpPortWanted, std::uint16_t httpsPortWanted) : handler(std::move(h))
    {
        InstallSelfSignedCertificate(tls);
        http.emplace(Listen(*io, httpPortWanted));
        https.emplace(Listen(*io, httpsPortWanted));
        httpPort = http->local_endpoint().port();
        httpsPort = https->local_endpoint().port();
        udp.emplace(*io);
        udp->open(asio::ip::udp::v4());
        AcceptPlain();
        AcceptSecure();
        thread = std::thread([this] { io->run(); });
    }

    void AcceptPlain()
    {
        http->async_accept([this](beast::error_code ec, tcp::socket socket) {
            if (ec) return;
            std::make_shared<Session<PlainStream>>(handler, std::move(socket))->Run();
            AcceptPlain();
        });
    }

    void AcceptSecure()
    {
        https->async_accept([this](beast::error_code ec, tcp::socket socket) {
            if (ec) return;
            std::make_shared<Session<SecureStream>>(handler, std::move(socket), tls)->Run();
            AcceptSecure();
        });
    }
};

Server::Server(Handler handler, std::uint16_t httpPort, std::uint16_t httpsPort)
    : impl_(std::make_unique<Impl>(std::move(handler), httpPort, httpsPort))
{
}

Server::~Server()
{
    Stop();
}

std::uint16_t Server::HttpPort() const
{
    return impl_->httpPort;
}

std::uint16_t Server::HttpsPort() const
{
    return impl_->httpsPort;
}

bool Server::SendDatagram(const std::string& address, int port, const std::string& payload)
{
    boost::system::error_code ec;
    auto target = asio::ip::make_address(address, ec);
    if (ec || !target.is_v4() || !target.is_loopback() || port < 1 || port > 65535) return false;
    std::lock_guard lock(impl_->udpMutex);
    if (!impl_->udp) return false;
    impl_->udp->send_to(asio::buffer(payload), asio::ip::udp::endpoint(target, static_cast<unsigned short>(port)), 0,
                        ec);
    return !ec;
}

void Server::Stop()
{
    if (!impl_->io) return;
    impl_->io->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
    {
        std::lock_guard lock(impl_->udpMutex);
        impl_->udp.reset();
    }
    impl_->http.reset();
    impl_->https.reset();
    // Destroying the context drops the open connections with their sessions.
    impl_->io.reset();
}

}  // namespace QuillhavenSim
