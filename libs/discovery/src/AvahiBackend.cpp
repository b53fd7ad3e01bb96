#include "discovery/AvahiBackend.hpp"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/simple-watch.h>

#include <memory>
#include <new>
#include <set>

namespace Discovery {
namespace {

constexpr const char* WebType = "_http._tcp";
constexpr const char* PrinterType = "_ipp._tcp";

// One search: the daemon connection, two browsers and the resolvers they start, all
// driven by a poll loop on the calling thread.
struct SearchRun {
    AvahiClient* client = nullptr;
    AvahiSimplePoll* poll = nullptr;
    std::set<AvahiServiceBrowser*> browsing;  // browsers that have not yet reported "all for now"
    int resolving = 0;  // resolvers that have not yet answered
    std::string failure;
    std::vector<ResolvedService> services;

    void Fail(const std::string& what)
    {
        if (failure.empty()) failure = what;
        avahi_simple_poll_quit(poll);
    }
    void QuitWhenDone()
    {
        if (browsing.empty() && resolving == 0) avahi_simple_poll_quit(poll);
    }
};

void OnResolved(AvahiServiceResolver* resolver, AvahiIfIndex, AvahiProtocol, AvahiResolverEvent event,
                const char* name, const char* type, const char*, const char* hostName, const AvahiAddress* address,
                uint16_t port, AvahiStringList* txt, AvahiLookupResultFlags, void* data)
{
    auto* search = static_cast<SearchRun*>(data);
    // A resolver that times out is a machine that left; it is simply not listed.
    if (event == AVAHI_RESOLVER_FOUND && address && address->proto == AVAHI_PROTO_INET) {
        ResolvedService service;
        service.kind = std::string(type) == PrinterType ? ResolvedService::Kind::Printer : ResolvedService::Kind::Web;
        service.name = name ? name : "";
        service.hostName = hostName ? hostName : "";
        char text[AVAHI_ADDRESS_STR_MAX];
        service.address = avahi_address_snprint(text, sizeof text, address) ? text : "";
        service.port = port;
        for (AvahiStringList* item = txt; item; item = avahi_string_list_get_next(item)) {
            char* key = nullptr;
            char* value = nullptr;
            size_t size = 0;
            if (avahi_string_list_get_pair(item, &key, &value, &size) == 0) {
                service.txt.emplace_back(key, value ? std::string(value, size) : std::string());
                avahi_free(key);
                avahi_free(value);
            }
        }
        search->services.push_back(std::move(service));
    }
    avahi_service_resolver_free(resolver);
    --search->resolving;
    search->QuitWhenDone();
}

void OnBrowsed(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol, AvahiBrowserEvent event,
               const char* name, const char* type, const char* domain, AvahiLookupResultFlags, void* data)
{
    auto* search = static_cast<SearchRun*>(data);
    switch (event) {
    case AVAHI_BROWSER_NEW:
        if (avahi_service_resolver_new(search->client, interface, protocol, name, type, domain, AVAHI_PROTO_INET,
                                       AvahiLookupFlags(0), OnResolved, search))
            ++search->resolving;
        break;
    case AVAHI_BROWSER_ALL_FOR_NOW:
        search->browsing.erase(browser);
        search->QuitWhenDone();
        break;
    case AVAHI_BROWSER_FAILURE:
        search->Fail(avahi_strerror(avahi_client_errno(search->client)));
        break;
    case AVAHI_BROWSER_REMOVE:
    case AVAHI_BROWSER_CACHE_EXHAUSTED:
        break;
    }
}

void OnClientState(AvahiClient* client, AvahiClientState state, void* data)
{
    // Called during avahi_client_new as well, before the search knows its client.
    if (state == AVAHI_CLIENT_FAILURE) static_cast<SearchRun*>(data)->Fail(avahi_strerror(avahi_client_errno(client)));
}

}  // namespace

AvahiBackend::AvahiBackend(std::chrono::milliseconds limit) : limit_(limit) {}

std::vector<Machine> AvahiBackend::Search()
{
    using Clock = std::chrono::steady_clock;
    SearchRun search;
    std::unique_ptr<AvahiSimplePoll, decltype(&avahi_simple_poll_free)> poll(avahi_simple_poll_new(),
                                                                            avahi_simple_poll_free);
    if (!poll) throw std::bad_alloc();
    search.poll = poll.get();

    int error = 0;
    // Freeing the client frees every browser and resolver made from it.
    std::unique_ptr<AvahiClient, decltype(&avahi_client_free)> client(
        avahi_client_new(avahi_simple_poll_get(poll.get()), AvahiClientFlags(0), OnClientState, &search, &error),
        avahi_client_free);
    // No daemon (or no system bus) to ask: nothing is found, and that is no failure.
    if (!client) return {};
    search.client = client.get();

    for (const char* type : {WebType, PrinterType}) {
        AvahiServiceBrowser* browser = avahi_service_browser_new(client.get(), AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, type,
                                                                 nullptr, AvahiLookupFlags(0), OnBrowsed, &search);
        if (!browser) throw SearchFailure(avahi_strerror(avahi_client_errno(client.get())));
        search.browsing.insert(browser);
    }

    const auto deadline = Clock::now() + limit_;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) break;  // what is resolved by now is the answer
        int result = avahi_simple_poll_iterate(poll.get(), int(left));
        if (result != 0) {
            if (result < 0) search.Fail("the poll loop failed");
            break;  // quit: the search is complete or failed
        }
    }
    if (!search.failure.empty()) throw SearchFailure(search.failure);
    return Collect(std::move(search.services));
}

}  // namespace Discovery
