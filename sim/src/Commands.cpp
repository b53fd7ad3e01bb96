#include "Commands.hpp"

#include "Text.hpp"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <optional>

namespace QuillhavenSim {

namespace {

using XmlDocument = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

std::string Name(const xmlNode* node)
{
    return reinterpret_cast<const char*>(node->name);
}

std::string Content(const xmlNode* node)
{
    xmlChar* text = xmlNodeGetContent(node);
    std::string result = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    return result;
}

const xmlNode* Child(const xmlNode* parent, const std::string& name)
{
    if (!parent) return nullptr;
    for (const xmlNode* n = parent->children; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE && Name(n) == name) return n;
    return nullptr;
}

// The parsed command: its name and its PARAM element.
struct Parsed {
    std::string command;
    const xmlNode* param = nullptr;

    std::optional<std::string> Param(const std::string& name) const
    {
        const xmlNode* node = Child(param, name);
        if (!node) return std::nullopt;
        return Content(node);
    }
};

std::string Element(const std::string& name, const std::string& value)
{
    return "<" + name + ">" + Text::XmlEscape(value) + "</" + name + ">";
}

Reply MachineSettings(const State& state)
{
    return CommandAnswer("GETMACHINESETTINGS", "SUCCESS",
                         Element("MACHINENAME", state.machineName) +
                             Element("SECURITYPOLICY", std::to_string(state.securityPolicy)) +
                             Element("GUESTLOGIN", state.guestLogin ? "1" : "0"));
}

Reply UserList(const State& state)
{
    std::string users;
    for (const auto& [id, account] : state.accounts)
        users += "<USER>" + Element("DISPLAYNAME", account.displayName) + Element("USERNAME", id) + "</USER>";
    // The users close the answer: readers take every sibling after the first USER as a user.
    return CommandAnswer("GETUSERLIST", "SUCCESS", Element("COUNT", std::to_string(state.accounts.size())) + users);
}

Reply UserInfo(const State& state, const Parsed& parsed)
{
    auto user = parsed.Param("USERNAME");
    if (!user) return CommandAnswer(parsed.command, "FAIL_INVALID_PARAMETER");
    auto it = state.accounts.find(*user);
    if (it == state.accounts.end()) return CommandAnswer(parsed.command, "FAIL_NO_SUCH_USER");
    return CommandAnswer(parsed.command, "SUCCESS", Element("DISPLAYNAME", it->second.displayName));
}

Reply Authenticate(const State& state, const Parsed& parsed)
{
    auto user = parsed.Param("USER_NAME");
    auto password = parsed.Param("PASSWORD");
    if (!user || !password) return CommandAnswer(parsed.command, "FAIL_INVALID_PARAMETER");
    if (!state.accounts.count(*user)) return CommandAnswer(parsed.command, "FAIL_NO_SUCH_USER");
    return CommandAnswer(parsed.command, state.Authentic(*user, *password) ? "SUCCESS" : "FAIL_AUTHENTICATE");
}

std::optional<int> Port(const std::string& text)
{
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return value;
}

Reply Subscribe(State& state, const Parsed& parsed, const Request& request)
{
    auto user = parsed.Param("USERNAME");
    auto password = parsed.Param("PASSWORD");
    auto portText = parsed.Param("LISTENPORT");
    if (!user || !password || !portText) return CommandAnswer(parsed.command, "FAIL_INVALID_PARAMETER");
    if (!state.accounts.count(*user)) return CommandAnswer(parsed.command, "FAIL_NO_SUCH_USER");
    if (!state.Authentic(*user, *password)) return CommandAnswer(parsed.command, "FAIL_AUTHENTICATE");
    auto port = Port(*portText);
    // Signals only ever go back to the subscriber's own loopback address.
    if (!port || !request.peerIsLoopback) return CommandAnswer(parsed.command, "FAIL_LISTENPORT_UNREACHABLE");
    bool renewed = false;
    for (const Subscription& s : state.subscriptions)
        if (s.user == *user && s.address == request.peer && s.listenPort == *port) renewed = true;
    if (!renewed) state.subscriptions.push_back({*user, request.peer, *port});
    Feed& feed = state.feeds[*user];  // the feed exists from the first subscription on
    if (feed.lastBuildDate.empty()) feed.lastBuildDate = Text::Rfc822(std::time(nullptr));
    return CommandAnswer(parsed.command, "SUCCESS",
                         Element("FEEDRSS", FeedPath(*user)) + Element("FEEDATOM", FeedPath(*user) + "?atom=1"));
}

Reply Unsubscribe(State& state, const Parsed& parsed, const Request& request)
{
    auto user = parsed.Param("USERNAME");
    if (!user) return CommandAnswer(parsed.command, "FAIL_INVALID_PARAMETER");
    if (!state.accounts.count(*user)) return CommandAnswer(parsed.command, "FAIL_NO_SUCH_USER");
    auto& subs = state.subscriptions;
    const auto before = subs.size();
    std::erase_if(subs, [&](const Subscription& s) { return s.user == *user && s.address == request.peer; });
    if (subs.size() == before) return CommandAnswer(parsed.command, "FAIL_NO_FEED_REGISTERED");
    return CommandAnswer(parsed.command, "SUCCESS");
}

}  // namespace

Reply CommandAnswer(const std::string& command, const std::string& result, const std::string& more)
{
    Reply reply;
    reply.contentType = XmlContentType();
    reply.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<RESPONSE>" + Element("COMMAND", command) +
                 Element("RESULT", result) + more + "</RESPONSE>\n";
    reply.command = command;
    reply.result = result;
    return reply;
}

Reply HandleCommand(State& state, const Request& request)
{
    if (request.method != "POST") return TextReply(405, "XML commands are posted");
    // No network access and no entity expansion for what clients send.
    XmlDocument doc(xmlReadMemory(request.body.data(), static_cast<int>(request.body.size()), "request.xml", nullptr,
                               XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
                 &xmlFreeDoc);
    if (!doc) return TextReply(400, "the request is not XML");
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root || Name(root) != "REQUEST") return CommandAnswer("", "FAIL_INVALID_REQUEST");
    const xmlNode* commandNode = Child(root, "COMMAND");
    if (!commandNode) return CommandAnswer("", "FAIL_INVALID_REQUEST");
    Parsed parsed{Content(commandNode), Child(root, "PARAM")};

    const std::string& c = parsed.command;
    if (c == "GETMACHINESETTINGS") return MachineSettings(state);
    if (c == "GETUSERLIST") return UserList(state);
    if (c == "GETUSERINFO") return UserInfo(state, parsed);
    if (c == "AUTHENTICATE") return Authenticate(state, parsed);
    if (c == "SUBSCRIBETOFEED") return Subscribe(state, parsed, request);
    if (c == "UNSUBSCRIBETOFEED") return Unsubscribe(state, parsed, request);
    return CommandAnswer(c, "FAIL_UNKNOWN_COMMAND");
}

}  // namespace QuillhavenSim
