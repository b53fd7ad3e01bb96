#include "Router.hpp"

#include "Commands.hpp"
#include "DocumentService.hpp"
#include "FeedService.hpp"

#include <optional>

namespace QuillhavenSim {

namespace {

const std::string root = "/vozoz";
constexpr std::size_t requestLogCapacity = 10000;

// A fault replaces the answer, except a slow one, which only delays it.
std::optional<Reply> TakeFault(State& state, int& delayMs)
{
    if (state.faults.empty()) return std::nullopt;
    Fault fault = state.faults.front();
    state.faults.pop_front();
    switch (fault.kind) {
    case FaultKind::Slow: delayMs = fault.delayMs; return std::nullopt;
    case FaultKind::Busy: return CommandAnswer("", "FAIL_MACHINE_BUSY");
    case FaultKind::Wrong: return CommandAnswer("", "FAIL_UNEXPECTED");
    case FaultKind::NonXml: {
        Reply reply;
        reply.contentType = "text/html; charset=UTF-8";
        reply.body = "<html><body>maintenance</body></html>\n";
        return reply;
    }
    case FaultKind::Forbidden: return TextReply(403, "forbidden");
    case FaultKind::Failure: return TextReply(500, "internal error");
    }
    return std::nullopt;
}

Reply Dispatch(State& state, const Request& request)
{
    const std::string& target = request.target;
    if (target.compare(0, root.size(), root) != 0) return TextReply(404, "not found");
    std::string rest = target.substr(root.size());
    std::string query;
    if (auto q = rest.find('?'); q != std::string::npos) {
        query = rest.substr(q + 1);
        rest.resize(q);
    }
    if (rest.empty() || rest == "/") return HandleCommand(state, request);
    if (IsDocumentPath(rest)) return HandleDocument(state, request, query);
    if (IsFeedPath(rest)) return HandleFeed(state, request, rest);
    if (IsVoicePath(rest)) return HandleVoice(state, request, rest);
    return TextReply(404, "not found");
}

}  // namespace

Reply Route(State& state, const Request& request)
{
    std::lock_guard lock(state.mutex);
    int delayMs = 0;
    Reply reply = TakeFault(state, delayMs).value_or(Reply{});
    if (reply.contentType.empty()) reply = Dispatch(state, request);
    reply.delayMs = delayMs;
    // A machine left running keeps only its recent history.
    if (state.requests.size() >= requestLogCapacity)
        state.requests.erase(state.requests.begin(), state.requests.begin() + requestLogCapacity / 10);
    state.requests.push_back(
        {request.peer, request.method, request.target, reply.user, reply.command, reply.status, reply.result});
    return reply;
}

std::string WatchLine(const Request& request, const Reply& reply)
{
    std::string line = "HTTP " + request.peer + " " + request.method + " " + request.target;
    if (!reply.command.empty()) line += " " + reply.command;
    if (!reply.user.empty()) line += " user=" + reply.user;
    line += " -> " + std::to_string(reply.status);
    if (!reply.result.empty()) line += " " + reply.result;
    line += " (" + reply.contentType + ", " + std::to_string(reply.body.size()) + " bytes";
    if (reply.delayMs > 0) line += ", delayed " + std::to_string(reply.delayMs) + " ms";
    return line + ")";
}

}  // namespace QuillhavenSim
