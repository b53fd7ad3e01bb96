#pragma once
// What wakes an event monitor: a datagram from a machine (EventSignal) or a request to
// read an entry's feed now (UpdateSignal). Each monitor asks the signal whether it
// concerns the machine and account it works with.

#include "MonitoredEntry/Distinction.hpp"

#include <boost/asio/ip/address.hpp>

#include <memory>

namespace Monitor {

class HostAddresses;

class Signal {
public:
    virtual ~Signal() = default;
    /// True when the signal concerns the machine of `distinction`. Never throws.
    virtual bool Match(const MonitoredEntry::Distinction& distinction) const = 0;
    /// An independent copy, kept by a monitor until its own thread looks at it.
    virtual std::unique_ptr<Signal> Clone() const = 0;
    /// True when matching is a plain comparison that costs nothing (no name lookup).
    virtual bool IsImmediate() const = 0;
};

/// A datagram arrived from `sender`. Matches when the machine's host resolves to it.
class EventSignal : public Signal {
public:
    /// `addresses` is the host cache to resolve through (the shared one by default).
    explicit EventSignal(const boost::asio::ip::address& sender, HostAddresses* addresses = nullptr);

    const boost::asio::ip::address& GetSender() const { return sender_; }

    bool Match(const MonitoredEntry::Distinction& distinction) const override;
    std::unique_ptr<Signal> Clone() const override { return std::make_unique<EventSignal>(*this); }
    bool IsImmediate() const override { return false; }

private:
    boost::asio::ip::address sender_;
    HostAddresses* addresses_;
};

/// The person asked for a fresh reading of one entry's feed.
class UpdateSignal : public Signal {
public:
    explicit UpdateSignal(const MonitoredEntry::Distinction& distinction) : distinction_(distinction) {}

    /// The two machines' hosts are the same text.
    bool Match(const MonitoredEntry::Distinction& distinction) const override;
    std::unique_ptr<Signal> Clone() const override { return std::make_unique<UpdateSignal>(*this); }
    bool IsImmediate() const override { return true; }

private:
    MonitoredEntry::Distinction distinction_;
};

/// Receives the signals of the datagram listener.
class EventSignalObserver {
public:
    virtual ~EventSignalObserver() = default;
    /// Called on a listener I/O thread; must return quickly.
    virtual void OnSignal(const Signal& signal) = 0;
};

}  // namespace Monitor
