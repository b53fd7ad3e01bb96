#pragma once
// The UDP listener for machine signals: every datagram with content, from any sender,
// becomes an EventSignal carrying the sender's address and is handed to each observer.
// The content plays no part. Three I/O threads run the socket while started.

#include "Monitoring/Signal.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Monitor {

class EventSignalReceiver {
public:
    /// Opens an IPv4 socket bound to all local addresses and `port`. Raises
    /// ostrel::system_error when the socket cannot be opened or bound.
    explicit EventSignalReceiver(unsigned short port);
    EventSignalReceiver(const EventSignalReceiver&) = delete;
    EventSignalReceiver& operator=(const EventSignalReceiver&) = delete;
    ~EventSignalReceiver();

    /// The process-wide listener, on the listen port of the current limits; created on
    /// first use (and raising as the constructor does, again at the next use).
    static EventSignalReceiver& Instance();

    bool AddObserver(EventSignalObserver* observer);
    bool RemoveObserver(EventSignalObserver* observer);

    void Start();
    void Stop();
    bool IsStarted() const;
    unsigned short Port() const;

    /// Datagrams with content received since construction.
    unsigned long Received() const;

private:
    void Receive();
    void OnReceived(const boost::system::error_code& error, std::size_t bytes);

    boost::asio::io_context io_;
    boost::asio::ip::udp::socket socket_;
    char buffer_[1] = {};
    boost::asio::ip::udp::endpoint sender_;
    bool receiving_ = false;  // a receive is posted and its completion has not run
    std::vector<std::thread> threads_;
    std::vector<EventSignalObserver*> observers_;
    bool started_ = false;
    bool stopping_ = false;
    unsigned long received_ = 0;
    mutable std::recursive_mutex mutex_;
};

}  // namespace Monitor
