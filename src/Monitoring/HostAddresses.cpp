#include "Monitoring/HostAddresses.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace Monitor {

HostAddresses::Addresses HostAddresses::Lookup(const std::string& host)
{
    {
        std::lock_guard lock(mutex_);
        const auto found = known_.find(host);
        if (found != known_.end() && Clock::now() - found->second.resolved < lifetime_) return found->second.addresses;
        ++resolutions_;
    }
    Addresses addresses = Resolve(host);
    std::lock_guard lock(mutex_);
    known_[host] = Known{addresses, Clock::now()};
    return addresses;
}

unsigned long HostAddresses::Resolutions() const
{
    std::lock_guard lock(mutex_);
    return resolutions_;
}

void HostAddresses::Clear()
{
    std::lock_guard lock(mutex_);
    known_.clear();
}

HostAddresses& HostAddresses::Shared()
{
    static HostAddresses shared;
    return shared;
}

HostAddresses::Addresses HostAddresses::Resolve(const std::string& host)
{
    // Only the addresses are compared, so the service plays no part; a numeric one
    // keeps the answer independent of the local services database.
    Addresses addresses;
    if (host.empty()) return addresses;
    boost::asio::io_context io;
    boost::asio::ip::tcp::resolver resolver(io);
    boost::system::error_code error;
    const auto results = resolver.resolve(host, "0", boost::asio::ip::resolver_base::numeric_service, error);
    if (error) return addresses;
    for (const auto& result : results) {
        const auto address = result.endpoint().address();
        bool seen = false;
        for (const auto& known : addresses) seen = seen || SameAddress(known, address);
        if (!seen) addresses.push_back(address);
    }
    return addresses;
}

bool SameAddress(const boost::asio::ip::address& a, const boost::asio::ip::address& b)
{
    if (a.is_v4() != b.is_v4()) return false;
    if (a.is_v4()) return a.to_v4() == b.to_v4();
    const auto a6 = a.to_v6();
    const auto b6 = b.to_v6();
    return a6.to_bytes() == b6.to_bytes() && a6.scope_id() == b6.scope_id();
}

}  // namespace Monitor
