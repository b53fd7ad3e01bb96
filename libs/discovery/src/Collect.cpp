#include "discovery/AvahiBackend.hpp"

#include <QString>
#include <QUrl>

#include <algorithm>
#include <map>
#include <optional>

namespace Discovery {
namespace {

std::wstring Wide(const std::string& utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())).toStdWString(); }

/// The port of the service's admin URL when its scheme is `scheme`.
std::optional<std::uint16_t> AdminPort(const ResolvedService& service, const QString& scheme, int defaultPort)
{
    for (const auto& [key, value] : service.txt) {
        if (QString::fromUtf8(key.data(), qsizetype(key.size())).compare(QLatin1String("adminurl"), Qt::CaseInsensitive) != 0)
            continue;
        QUrl url(QString::fromUtf8(value.data(), qsizetype(value.size())), QUrl::StrictMode);
        if (url.isValid() && url.scheme().compare(scheme, Qt::CaseInsensitive) == 0) {
            int port = url.port(defaultPort);
            if (port >= 0 && port <= 0xFFFF) return static_cast<std::uint16_t>(port);
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<Machine> Collect(std::vector<ResolvedService> services)
{
    // A deterministic pick among several services of one address, whatever order the
    // daemon reported them in.
    std::sort(services.begin(), services.end(), [](const ResolvedService& a, const ResolvedService& b) {
        return std::tie(a.kind, a.name, a.port) < std::tie(b.kind, b.name, b.port);
    });
    struct Found {
        const ResolvedService* web = nullptr;
        const ResolvedService* printer = nullptr;
        std::optional<std::uint16_t> https;
    };
    std::map<std::string, Found> byAddress;
    for (const auto& service : services) {
        if (service.address.empty()) continue;
        Found& found = byAddress[service.address];
        auto& slot = service.kind == ResolvedService::Kind::Web ? found.web : found.printer;
        if (!slot) slot = &service;
        if (!found.https) found.https = AdminPort(service, QStringLiteral("https"), 443);
    }

    std::vector<Machine> machines;
    for (const auto& [address, found] : byAddress) {
        const ResolvedService& named = found.web ? *found.web : *found.printer;
        Machine machine;
        machine.host = Wide(address);
        machine.firstName = Wide(named.name);
        machine.secondName = Wide(named.hostName);
        if (found.web)
            machine.http = found.web->port;
        else
            machine.http = AdminPort(*found.printer, QStringLiteral("http"), 80).value_or(80);
        machine.https = found.https.value_or(443);
        machines.push_back(std::move(machine));
    }
    std::sort(machines.begin(), machines.end(), [](const Machine& a, const Machine& b) {
        return std::tie(a.firstName, a.host) < std::tie(b.firstName, b.host);
    });
    return machines;
}

}  // namespace Discovery
