// Signals, the host address cache and the datagram listener on 127.0.0.1.

#include "Fakes.hpp"

#include "MonitoredEntry/Entry.hpp"
#include "MonitoredEntry/Password.hpp"
#include "Monitoring/EventSignalReceiver.hpp"
#include "Monitoring/HostAddresses.hpp"
#include "Monitoring/Signal.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

#include <gtest/gtest.h>

#include <atomic>

using Monitor::EventSignal;
using Monitor::HostAddresses;
using Monitor::UpdateSignal;

namespace {

MonitoredEntry::Distinction For(const std::wstring& host)
{
    const MonitoredEntry::MFP mfp(boost::none, host, 80, boost::none, false);
    const MonitoredEntry::User user(boost::none, L"alice", MonitoredEntry::Password(L"secret"));
    const MonitoredEntry::Config config(10, 60000, true, true, false, 0, false, false, 1);
    return MonitoredEntry::Distinction(MonitoredEntry::Entry(ID(0), MonitoredEntry::EntryProperty(true, mfp, user, config)));
}

const auto loopback = boost::asio::ip::make_address("127.0.0.1");

TEST(EventSignalTest, MatchesWhenTheMachineHostResolvesToTheSender)
{
    HostAddresses cache;
    const EventSignal signal(loopback, &cache);
    EXPECT_TRUE(signal.Match(For(L"127.0.0.1")));
    EXPECT_TRUE(signal.Match(For(L"localhost")));
    EXPECT_FALSE(signal.Match(For(L"127.0.0.2")));
    EXPECT_FALSE(signal.Match(For(L"no-such-host.invalid")));  // no match, no error
    EXPECT_FALSE(EventSignal(boost::asio::ip::make_address("::1"), &cache).Match(For(L"127.0.0.1")));
}

TEST(EventSignalTest, UpdateSignalComparesHostsExactly)
{
    const UpdateSignal signal(For(L"Printer"));
    EXPECT_TRUE(signal.Match(For(L"Printer")));
    EXPECT_FALSE(signal.Match(For(L"printer")));
}

TEST(HostAddressesTest, KeepsAnswersForTheirLifetimeIncludingFailures)
{
    HostAddresses kept(std::chrono::minutes(1));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(kept.Lookup("127.0.0.1").size(), 1u);
        EXPECT_TRUE(kept.Lookup("no-such-host.invalid").empty());
    }
    EXPECT_EQ(kept.Resolutions(), 2u);

    HostAddresses fresh(std::chrono::milliseconds(0));
    fresh.Lookup("127.0.0.1");
    fresh.Lookup("127.0.0.1");
    EXPECT_EQ(fresh.Resolutions(), 2u);
}

class Recorder : public Monitor::EventSignalObserver {
public:
    explicit Recorder(bool fail = false) : fail_(fail) {}
    void OnSignal(const Monitor::Signal& signal) override
    {
        const auto* event = dynamic_cast<const EventSignal*>(&signal);
        if (event && event->GetSender() == loopback) ++count;
        if (fail_) throw std::runtime_error("observer failure");
    }
    std::atomic<int> count{0};

private:
    bool fail_;
};

class Listener : public ::testing::Test {
protected:
    void Send(const std::string& payload)
    {
        socket.send_to(boost::asio::buffer(payload),
                       boost::asio::ip::udp::endpoint(loopback, receiver.Port()));
    }

    Fakes::ScopedLimits limits;
    Monitor::EventSignalReceiver receiver{static_cast<unsigned short>(limits.values.listenPort)};
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket{io, boost::asio::ip::udp::endpoint(boost::asio::ip::udp::v4(), 0)};
};

TEST_F(Listener, EveryObserverSeesEachDatagramEvenWhenOneFails)
{
    Recorder failing(true), plain;
    EXPECT_TRUE(receiver.AddObserver(&failing));
    EXPECT_TRUE(receiver.AddObserver(&plain));
    EXPECT_FALSE(receiver.AddObserver(&plain));
    receiver.Start();

    Send("QUILLHAVEN alice");
    Send(std::string(2000, 'x'));  // longer than the buffer: still one signal
    ASSERT_TRUE(Fakes::WaitFor([&] { return plain.count == 2; }));
    EXPECT_EQ(failing.count, 2);

    Send("");  // an empty datagram is no signal
    Send("after");
    ASSERT_TRUE(Fakes::WaitFor([&] { return plain.count == 3; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(plain.count, 3);
    EXPECT_EQ(receiver.Received(), 3u);

    EXPECT_TRUE(receiver.RemoveObserver(&failing));
    EXPECT_FALSE(receiver.RemoveObserver(&failing));
    receiver.Stop();
}

TEST_F(Listener, RestartsAfterStop)
{
    Recorder plain;
    receiver.AddObserver(&plain);
    receiver.Start();
    Send("one");
    ASSERT_TRUE(Fakes::WaitFor([&] { return plain.count == 1; }));
    receiver.Stop();
    EXPECT_FALSE(receiver.IsStarted());
    Send("while stopped");
    receiver.Start();
    Send("two");
    ASSERT_TRUE(Fakes::WaitFor([&] { return plain.count == 3; }));
    receiver.Stop();
}

TEST_F(Listener, ABusyPortIsReportedAtCreation)
{
    EXPECT_THROW(Monitor::EventSignalReceiver second(receiver.Port()), ostrel::system_error);
}

}  // namespace
