#include "FeedService.hpp"

#include "Commands.hpp"
#include "Credentials.hpp"
#include "Text.hpp"

namespace QuillhavenSim {

namespace {

const std::string prefix = "/rss/";

std::string Element(const std::string& name, const std::string& value)
{
    return "<" + name + ">" + Text::XmlEscape(value) + "</" + name + ">";
}

std::string Attr(const std::string& name, const std::string& value)
{
    return " " + name + "=\"" + Text::XmlEscape(value) + "\"";
}

std::string RenderItem(const FeedItem& item)
{
    std::string out = "<item>";
    out += Element("title", item.title);
    out += "<description" + Attr("view", item.descriptionView) + Attr("type", item.descriptionType) + ">" +
           Text::XmlEscape(item.description) + "</description>";
    out += "<category" + Attr("id", item.categoryId) + Attr("type", item.categoryType) +
           Attr("notice", item.categoryNotice) + ">" + Text::XmlEscape(item.category) + "</category>";
    if (!item.enclosureUrl.empty())
        out += "<enclosure" + Attr("url", item.enclosureUrl) + Attr("type", "audio/wav") +
               Attr("length", item.enclosureLength) + "/>";
    out += Element("guid", item.guid);
    out += Element("pubDate", item.pubDate);
    if (item.notice) {
        out += Element("notify", item.notify) + Element("content", item.content) + Element("status", item.status) +
               Element("notifyid", item.notifyId) + Element("notifydate", item.notifyDate);
    }
    return out + "</item>";
}

}  // namespace

bool IsFeedPath(const std::string& path)
{
    return path.compare(0, prefix.size(), prefix) == 0;
}

std::string RenderFeed(const State& state, const std::string& user, const Feed& feed)
{
    auto account = state.accounts.find(user);
    const std::string who = account != state.accounts.end() ? account->second.displayName : user;
    std::string out = std::string("<?xml version=\"1.0\" encoding=\"") + (state.shiftJisFeed ? "Shift_JIS" : "UTF-8") +
                      "\"?>\n<rss version=\"2.0\"><channel>";
    out += Element("title", state.machineName + " - " + who);
    out += Element("link", state.BaseUrl() + "/norvane?NVF=9&UN=" + Text::PercentEncode(user));
    out += Element("description", "Quillhaven");
    out += Element("language", "ja");
    out += Element("generator", "Quillhaven");
    out += Element("lastBuildDate", feed.lastBuildDate);
    // Items come last: readers take every sibling after the first item as an item.
    for (const FeedItem& item : feed.items) {
        out += '\n';
        out += RenderItem(item);
    }
    out += "\n</channel></rss>\n";
    return state.shiftJisFeed ? Text::ToShiftJis(out) : out;
}

Reply HandleFeed(State& state, const Request& request, const std::string& path)
{
    if (request.method != "GET") return TextReply(405, "feeds are read with GET");
    const std::string user = Text::PercentDecode(path.substr(prefix.size()));
    std::string who;
    if (auto refusal = RefuseUnlessAuthorized(state, request, user, who)) {
        refusal->user = who;
        return *refusal;
    }
    if (!state.Subscribed(user, request.peer)) {
        Reply reply = CommandAnswer("", "FAIL_NO_FEED_REGISTERED");
        reply.user = who;
        return reply;
    }
    Reply reply;
    reply.user = who;
    reply.contentType = state.shiftJisFeed ? "text/xml; charset=Shift_JIS" : XmlContentType();
    reply.body = RenderFeed(state, user, state.feeds[user]);
    return reply;
}

}  // namespace QuillhavenSim
