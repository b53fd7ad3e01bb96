#pragma once
// HTTP Basic checks shared by the services that want the user's credentials.

#include "Exchange.hpp"
#include "State.hpp"

#include <optional>

namespace QuillhavenSim {

// Empty when the request carries the right credentials of `user` (any known user when
// `user` is empty); otherwise the refusal to send: 401 without credentials, 403 with wrong ones.
std::optional<Reply> RefuseUnlessAuthorized(const State& state, const Request& request, const std::string& user,
                                            std::string& who);

}  // namespace QuillhavenSim
