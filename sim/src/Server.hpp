#pragma once
// The machine's network side: HTTP and HTTPS listeners on 127.0.0.1 (Boost.Beast over
// Boost.Asio, OpenSSL for HTTPS) and the UDP socket its signals leave from.

#include "Exchange.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace QuillhavenSim {

class Server {
public:
    using Handler = std::function<Reply(const Request&)>;

    // Binds both listeners (port 0 picks a free one) and starts serving at once.
    Server(Handler handler, std::uint16_t httpPort, std::uint16_t httpsPort);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    std::uint16_t HttpPort() const;
    std::uint16_t HttpsPort() const;

    // Sends one datagram; only loopback addresses are accepted. False if not sent.
    bool SendDatagram(const std::string& address, int port, const std::string& payload);

    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace QuillhavenSim
