#include "Credentials.hpp"

#include "Text.hpp"

namespace QuillhavenSim {

std::optional<Reply> RefuseUnlessAuthorized(const State& state, const Request& request, const std::string& user,
                                            std::string& who)
{
    if (request.authorization.empty()) {
        Reply reply = TextReply(401, "credentials required");
        reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"Quillhaven\"");
        return reply;
    }
    auto credentials = Text::BasicCredentials(request.authorization);
    if (credentials) who = credentials->first;
    if (!credentials || !state.Authentic(credentials->first, credentials->second) ||
        (!user.empty() && credentials->first != user))
        return TextReply(403, "not authorized");
    return std::nullopt;
}

}  // namespace QuillhavenSim
