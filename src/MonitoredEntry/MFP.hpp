#pragma once
// The machine an entry watches: its name, address, ports and transport.

#include <boost/optional.hpp>

#include <string>

namespace MonitoredEntry {

class MFP {
public:
    MFP() = default;
    MFP(const boost::optional<std::wstring>& name, const std::wstring& host, const boost::optional<int>& http,
        const boost::optional<int>& https, bool ssl);

    const boost::optional<std::wstring>& GetName() const { return name_; }
    void SetName(const boost::optional<std::wstring>& name) { name_ = name; }
    const std::wstring& GetHost() const { return host_; }
    void SetHost(const std::wstring& host) { host_ = host; }
    const boost::optional<int>& GetHTTP() const { return http_; }
    void SetHTTP(const boost::optional<int>& port) { http_ = port; }
    const boost::optional<int>& GetHTTPS() const { return https_; }
    void SetHTTPS(const boost::optional<int>& port) { https_ = port; }
    const bool& GetSSL() const { return ssl_; }
    void SetSSL(const bool& ssl) { ssl_ = ssl; }

    /// A present name is not empty, the host passes IsValidHost, the port of the
    /// chosen transport is present, and every present port lies in 0..65535.
    bool IsValid() const;

    /// A dotted IPv4 address (each part 0..255 without leading zeros), or a host name
    /// of at most 255 characters made of "."-separated labels of letters and digits
    /// with "-" and "_" allowed inside a label.
    static bool IsValidHost(const std::wstring& host);

    friend bool operator==(const MFP& a, const MFP& b);
    friend bool operator!=(const MFP& a, const MFP& b) { return !(a == b); }

private:
    boost::optional<std::wstring> name_;
    std::wstring host_;
    boost::optional<int> http_;
    boost::optional<int> https_;
    bool ssl_ = false;
};

}  // namespace MonitoredEntry
