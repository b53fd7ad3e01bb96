#pragma once
// The XML commands posted to "/vozoz": machine settings, users, authentication and
// feed subscriptions.

#include "Exchange.hpp"
#include "State.hpp"

namespace QuillhavenSim {

// The caller holds the state's mutex.
Reply HandleCommand(State& state, const Request& request);

// An answer document with RESULT and further elements (already written, upper case).
Reply CommandAnswer(const std::string& command, const std::string& result, const std::string& more = {});

}  // namespace QuillhavenSim
