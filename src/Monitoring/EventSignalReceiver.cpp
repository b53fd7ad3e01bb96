#include "Monitoring/EventSignalReceiver.hpp"

#include "Application/Limits.hpp"

#include <ostrel/exception.hpp>

#include <algorithm>

namespace Monitor {

namespace {
constexpr int ioThreads = 3;
}

EventSignalReceiver::EventSignalReceiver(unsigned short port) : socket_(io_)
{
    boost::system::error_code error;
    const boost::asio::ip::udp::endpoint local(boost::asio::ip::address_v4::any(), port);
    socket_.open(local.protocol(), error);
    if (!error) socket_.bind(local, error);
    if (error) OSTREL_THROW(ostrel::system_error(error.value(), "listen port " + std::to_string(port)));
}

EventSignalReceiver::~EventSignalReceiver()
{
    try {
        Stop();
    } catch (...) {
    }
}

EventSignalReceiver& EventSignalReceiver::Instance()
{
    static std::mutex creation;
    static std::unique_ptr<EventSignalReceiver> instance;
    std::lock_guard lock(creation);
    if (!instance) instance = std::make_unique<EventSignalReceiver>(static_cast<unsigned short>(Limits::Current().listenPort));
    return *instance;
}

bool EventSignalReceiver::AddObserver(EventSignalObserver* observer)
{
    std::lock_guard lock(mutex_);
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) return false;
    observers_.push_back(observer);
    return true;
}

bool EventSignalReceiver::RemoveObserver(EventSignalObserver* observer)
{
    std::lock_guard lock(mutex_);
    const auto found = std::find(observers_.begin(), observers_.end(), observer);
    if (found == observers_.end()) return false;
    observers_.erase(found);
    return true;
}

void EventSignalReceiver::Start()
{
    std::lock_guard lock(mutex_);
    if (started_) return;
    io_.restart();
    // A receive left over from an earlier run completes in this one; posting a second
    // would share the buffer.
    if (!receiving_) Receive();
    for (int i = 0; i < ioThreads; ++i) threads_.emplace_back([this] { io_.run(); });
    started_ = true;
    stopping_ = false;
}

void EventSignalReceiver::Stop()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        if (!started_ || stopping_) return;
        stopping_ = true;
        io_.stop();
        threads.swap(threads_);
    }
    // Joined without the lock: a completion that is running may be waiting for it.
    for (auto& thread : threads) thread.join();
    std::lock_guard lock(mutex_);
    started_ = false;
    stopping_ = false;
}

bool EventSignalReceiver::IsStarted() const
{
    std::lock_guard lock(mutex_);
    return started_;
}

unsigned short EventSignalReceiver::Port() const { return socket_.local_endpoint().port(); }

unsigned long EventSignalReceiver::Received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void EventSignalReceiver::Receive()
{
    receiving_ = true;
    socket_.async_receive_from(boost::asio::buffer(buffer_), sender_,
                               [this](const boost::system::error_code& error, std::size_t bytes) {
                                   OnReceived(error, bytes);
                               });
}

void EventSignalReceiver::OnReceived(const boost::system::error_code& error, std::size_t bytes)
{
    std::lock_guard lock(mutex_);
    receiving_ = false;
    if (error == boost::asio::error::operation_aborted) return;
    // A datagram longer than the buffer counts too, whatever the status says.
    if (bytes != 0) {
        ++received_;
        const EventSignal signal(sender_.address());
        for (EventSignalObserver* observer : observers_) {
            // One observer's failure neither hides the datagram from the others nor
            // ends the listening.
            try {
                observer->OnSignal(signal);
            } catch (...) {
            }
        }
    }
    Receive();
}

}  // namespace Monitor
