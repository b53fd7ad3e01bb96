// How resolved DNS-SD services become machines: one per IPv4 address, named by the
// web service, with the web service's port and the HTTPS port of an admin URL.

#include <discovery/AvahiBackend.hpp>

#include "TempDir.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>

using namespace Discovery;
using Kind = ResolvedService::Kind;

namespace {

ResolvedService Service(Kind kind, std::string name, std::string address, std::uint16_t port,
                        std::vector<std::pair<std::string, std::string>> txt = {})
{
    return {kind, std::move(name), "mfp.local", std::move(address), port, std::move(txt)};
}

TEST(CollectServices, OneMachinePerAddressWithItsNamesAndPorts)
{
    struct Case {
        const char* what;
        std::vector<ResolvedService> services;
        Machine expected;
    };
    const Case cases[] = {
        {"web and printer: the web service names it and gives the HTTP port",
         {Service(Kind::Printer, "IPP Queue", "10.0.0.5", 631), Service(Kind::Web, "Front Desk", "10.0.0.5", 8000)},
         {L"10.0.0.5", L"Front Desk", L"mfp.local", 8000, 443}},
        {"printer only: 80 and 443",
         {Service(Kind::Printer, "Floor 2", "10.0.0.6", 631)},
         {L"10.0.0.6", L"Floor 2", L"mfp.local", 80, 443}},
        {"printer only: ports of its admin URLs",
         {Service(Kind::Printer, "Floor 3", "10.0.0.7", 631, {{"adminurl", "http://10.0.0.7:8080/admin"}}),
          Service(Kind::Printer, "Floor 3 (fax)", "10.0.0.7", 631, {{"adminurl", "https://mfp.local:8443/"}})},
         {L"10.0.0.7", L"Floor 3", L"mfp.local", 8080, 8443}},
        {"only an https admin URL gives the HTTPS port; the key in any case",
         {Service(Kind::Web, "Lobby", "10.0.0.8", 80, {{"adminurl", "ftp://x:2121/"}, {"AdminURL", "https://x:8444/"}})},
         {L"10.0.0.8", L"Lobby", L"mfp.local", 80, 8444}},
        {"a URL with a port out of range is ignored",
         {Service(Kind::Printer, "Hall", "10.0.0.11", 631, {{"adminurl", "https://x:99999/"}, {"adminurl", "http://x:70000/"}})},
         {L"10.0.0.11", L"Hall", L"mfp.local", 80, 443}},
        {"the web service's own https admin URL counts",
         {Service(Kind::Web, "Annex", "10.0.0.9", 80, {{"adminurl", "https://10.0.0.9:9443/"}})},
         {L"10.0.0.9", L"Annex", L"mfp.local", 80, 9443}},
        {"UTF-8 names become wide text",
         {Service(Kind::Web, "経理部 複合機", "10.0.0.10", 80)},
         {L"10.0.0.10", L"経理部 複合機", L"mfp.local", 80, 443}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto machines = Collect(c.services);
        ASSERT_EQ(1u, machines.size());
        EXPECT_EQ(c.expected, machines[0]);
    }
}

TEST(CollectServices, TheAnswerDoesNotDependOnTheOrderServicesArrived)
{
    std::vector<ResolvedService> services = {
        Service(Kind::Web, "Zeta", "10.0.0.2", 80),     Service(Kind::Web, "Alpha web", "10.0.0.1", 8080),
        Service(Kind::Web, "Beta web", "10.0.0.1", 80), Service(Kind::Printer, "Alpha", "10.0.0.1", 631),
        Service(Kind::Printer, "Mid", "10.0.0.3", 631), Service(Kind::Web, "Unaddressed", "", 80),
    };
    const std::vector<Machine> expected = {
        {L"10.0.0.1", L"Alpha web", L"mfp.local", 8080, 443},
        {L"10.0.0.3", L"Mid", L"mfp.local", 80, 443},
        {L"10.0.0.2", L"Zeta", L"mfp.local", 80, 443},
    };
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(services.begin(), services.end(), random);
        EXPECT_EQ(expected, Collect(services));
    }
}

// The real backend with no daemon to reach: an empty list, no error, at once. The
// system bus is pointed at a socket that does not exist, so nothing leaves the machine.
TEST(AvahiSearch, WithoutADaemonNothingIsFoundAndNothingFails)
{
    TempDir dir;
    const char* saved = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    std::string keep = saved ? saved : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (dir / "no-bus").string()).c_str(), 1);

    const auto start = std::chrono::steady_clock::now();
    std::vector<Machine> machines;
    EXPECT_NO_THROW(machines = AvahiBackend(std::chrono::seconds(30)).Search());
    EXPECT_TRUE(machines.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "it waited for an answer";

    if (saved)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", keep.c_str(), 1);
    else
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

}  // namespace
