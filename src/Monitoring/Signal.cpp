#include "Monitoring/Signal.hpp"

#include "Monitoring/HostAddresses.hpp"
#include "Utility/Text.hpp"

namespace Monitor {

EventSignal::EventSignal(const boost::asio::ip::address& sender, HostAddresses* addresses)
    : sender_(sender), addresses_(addresses ? addresses : &HostAddresses::Shared())
{
}

bool EventSignal::Match(const MonitoredEntry::Distinction& distinction) const
{
    // The machine is reached on its HTTPS or its HTTP port; both are on the same host,
    // so one resolution of the host answers for both.
    const auto addresses = addresses_->Lookup(Text::Narrow(distinction.GetMFP().GetHost()));
    for (const auto& address : addresses)
        if (SameAddress(address, sender_)) return true;
    return false;
}

bool UpdateSignal::Match(const MonitoredEntry::Distinction& distinction) const
{
    return distinction.GetMFP().GetHost() == distinction_.GetMFP().GetHost();
}

}  // namespace Monitor
