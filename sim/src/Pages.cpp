#include "Pages.hpp"

#include "Text.hpp"

namespace QuillhavenSim {

namespace {

std::string Get(const std::map<std::string, std::string>& q, const char* key)
{
    auto it = q.find(key);
    return it == q.end() ? std::string() : it->second;
}

std::string NoticeRows(const State& state, const std::string& user)
{
    std::string rows;
    auto feed = state.feeds.find(user);
    if (feed == state.feeds.end()) return rows;
    for (const FeedItem& item : feed->second.items)
        if (item.notice && item.notify == "1")
            rows += "<tr><td>" + Text::XmlEscape(item.notifyId) + "</td><td>" + Text::XmlEscape(item.content) +
                    "</td><td>" + Text::XmlEscape(item.status) + "</td></tr>";
    return rows;
}

}  // namespace

Reply BrowserPage(const State& state, const std::string& mode, const std::map<std::string, std::string>& query)
{
    const std::string user = Get(query, "UN");
    std::string title, body;
    if (mode == "3") {
        title = "Login";
        body = "<form method=\"post\"><p>User: <input name=\"UN\" value=\"" + Text::XmlEscape(user) +
               "\"></p><p>Password: <input type=\"password\" name=\"PW\"></p></form>";
    } else if (mode == "4") {
        title = "Notification items";
        body = "<p>Events notified to " + Text::XmlEscape(user) + ": scan, fax, detail list, due-date notice.</p>";
    } else if (mode == "7") {
        title = "Document";
        body = "<p>Document " + Text::XmlEscape(Get(query, "DC")) + ", notice " +
               Text::XmlEscape(Get(query, "NTF")) + " of " + Text::XmlEscape(user) + ".</p>";
    } else {
        title = "Notices";
        body = "<table><tr><th>ID</th><th>Content</th><th>Status</th></tr>" + NoticeRows(state, user) + "</table>";
    }
    Reply reply;
    reply.contentType = "text/html; charset=UTF-8";
    reply.body = "<!DOCTYPE html>\n<html><head><meta charset=\"UTF-8\"><title>" + Text::XmlEscape(state.machineName) +
                 " - " + title + "</title></head><body><h1>" + title + "</h1>" + body + "</body></html>\n";
    return reply;
}

}  // namespace QuillhavenSim
