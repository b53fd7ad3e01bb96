#include "State.hpp"

#include "Exchange.hpp"
#include "Text.hpp"

namespace QuillhavenSim {

bool State::Authentic(const std::string& user, const std::string& password) const
{
    auto it = accounts.find(user);
    return it != accounts.end() && it->second.password == password;
}

bool State::Subscribed(const std::string& user, const std::string& address) const
{
    for (const Subscription& s : subscriptions)
        if (s.user == user && s.address == address) return true;
    return false;
}

std::string State::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(httpPort) + "/vozoz";
}

std::string FeedPath(const std::string& user)
{
    return "/rss/" + Text::PercentEncode(user);
}

Reply TextReply(int status, const std::string& text)
{
    Reply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=UTF-8";
    reply.body = text + "\n";
    return reply;
}

}  // namespace QuillhavenSim
