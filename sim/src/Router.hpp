#pragma once
// Sends each request to its service, after any fault injected for it, and records it.

#include "Exchange.hpp"
#include "State.hpp"

namespace QuillhavenSim {

// Takes the state's mutex itself.
Reply Route(State& state, const Request& request);

// The line a person watching the machine sees for one answered request.
std::string WatchLine(const Request& request, const Reply& reply);

}  // namespace QuillhavenSim
