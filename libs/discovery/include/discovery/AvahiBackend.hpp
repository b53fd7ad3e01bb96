#pragma once
// DNS-SD discovery through the Avahi daemon: browses the web services ("_http._tcp")
// and the printers ("_ipp._tcp") of the local network and resolves them to IPv4.

#include "discovery/Backend.hpp"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace Discovery {

/// One resolved service, as the daemon reports it (texts in UTF-8).
struct ResolvedService {
    enum class Kind { Web, Printer };
    Kind kind = Kind::Web;
    std::string name;      // service instance name
    std::string hostName;  // e.g. "mfp-3f.local"
    std::string address;   // dotted IPv4
    std::uint16_t port = 0;
    std::vector<std::pair<std::string, std::string>> txt;  // key, value
};

/// Turns resolved services into one machine per IPv4 address, ordered by name and
/// address:
/// - first name: the name of the address's web service (the smallest if several),
///   else of its printer service; second name: the host name;
/// - HTTP port: the web service's port, else the port of an "http:" admin URL
///   ("adminurl" TXT key) of the printer, else 80;
/// - HTTPS port: the port of an "https:" admin URL of either service, else 443.
std::vector<Machine> Collect(std::vector<ResolvedService> services);

class AvahiBackend : public Backend {
public:
    /// `limit` bounds one search: what has been resolved by then is the answer.
    explicit AvahiBackend(std::chrono::milliseconds limit = std::chrono::milliseconds(3000));
    /// Without a reachable Avahi daemon (or system bus) the list is empty.
    std::vector<Machine> Search() override;

private:
    std::chrono::milliseconds limit_;
};

}  // namespace Discovery
