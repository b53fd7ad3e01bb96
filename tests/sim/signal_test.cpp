// The UDP signal: a datagram to the subscriber's listen port whenever the user's feed
// gains an item, and to nobody else.

#include "SimFixture.hpp"

#include <boost/asio/ip/udp.hpp>

#include <poll.h>

namespace SimTest {
namespace {

namespace asio = boost::asio;

class Signals : public SimFixture {
protected:
    Signals() : socket(io, asio::ip::udp::endpoint(asio::ip::make_address("127.0.0.1"), 0)) {}

    int Port() const { return socket.local_endpoint().port(); }

    // The next datagram's bytes and sender, or nothing within five seconds.
    std::optional<std::pair<std::string, std::string>> Receive()
    {
        pollfd p{socket.native_handle(), POLLIN, 0};
        if (::poll(&p, 1, 5000) != 1) return std::nullopt;
        char data[512];
        asio::ip::udp::endpoint sender;
        std::size_t n = socket.receive_from(asio::buffer(data), sender);
        return std::make_pair(std::string(data, n), sender.address().to_string());
    }

    asio::io_context io;
    asio::ip::udp::socket socket;
};

TEST_F(Signals, EachNewItemSendsOneDatagramFromLoopback)
{
    Subscribe("alice", "secret", Port());
    machine.PublishScan("alice");
    auto first = Receive();
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->first.empty());  // an empty datagram would not wake a notifier
    EXPECT_EQ(first->second, "127.0.0.1");
    machine.PublishNotice("alice", "due", "0");
    EXPECT_TRUE(Receive());
    auto sent = machine.Datagrams();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].user, "alice");
    EXPECT_EQ(sent[0].address, "127.0.0.1");
    EXPECT_EQ(sent[0].port, Port());
}

TEST_F(Signals, OnlySubscribersOfThatUserAreSignalled)
{
    Subscribe("alice", "secret", Port());
    Subscribe("bob", "hunter2", Port() == 65535 ? 65534 : Port() + 1);
    machine.PublishScan("bob");
    ASSERT_EQ(machine.Datagrams().size(), 1u);
    EXPECT_EQ(machine.Datagrams()[0].user, "bob");

    ASSERT_EQ(Result(Request("UNSUBSCRIBETOFEED", "<USERNAME>alice</USERNAME>")), "SUCCESS");
    machine.PublishScan("alice");
    EXPECT_EQ(machine.Datagrams().size(), 1u);

    machine.RemoveUser("bob");  // a removed account keeps no subscription
    EXPECT_TRUE(machine.Subscriptions().empty());
}

}  // namespace
}  // namespace SimTest
