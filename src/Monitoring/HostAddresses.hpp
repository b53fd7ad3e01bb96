#pragma once
// The addresses of the machines' host names, resolved on demand and kept for a short
// while. A flood of datagrams from an address that matches no entry then costs one
// resolution per host and lifetime, not one per datagram. A name that cannot be
// resolved is remembered as having no addresses, for the same lifetime.

#include <boost/asio/ip/address.hpp>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Monitor {

class HostAddresses {
public:
    using Addresses = std::vector<boost::asio::ip::address>;
    using Clock = std::chrono::steady_clock;

    explicit HostAddresses(Clock::duration lifetime = std::chrono::seconds(5)) : lifetime_(lifetime) {}

    /// The addresses of `host` (narrow text), resolved again when the kept answer is
    /// older than the lifetime; empty when the name cannot be resolved. Never throws
    /// for a bad name. The resolution runs on the calling thread without any lock held.
    Addresses Lookup(const std::string& host);

    /// How many resolutions were made (for tests of the flood behaviour).
    unsigned long Resolutions() const;
    void Clear();

    /// The cache shared by every event signal of the process.
    static HostAddresses& Shared();

private:
    struct Known {
        Addresses addresses;
        Clock::time_point resolved;
    };

    static Addresses Resolve(const std::string& host);

    const Clock::duration lifetime_;
    mutable std::mutex mutex_;
    std::map<std::string, Known> known_;
    unsigned long resolutions_ = 0;
};

/// Same family, same bytes and, for IPv6, the same scope.
bool SameAddress(const boost::asio::ip::address& a, const boost::asio::ip::address& b);

}  // namespace Monitor
