#pragma once
// The machine's browser pages: login (3), notification items (4), a document or
// notice (7) and the notice list (9).

#include "Exchange.hpp"
#include "State.hpp"

#include <map>

namespace QuillhavenSim {

// The caller holds the state's mutex.
Reply BrowserPage(const State& state, const std::string& mode, const std::map<std::string, std::string>& query);

}  // namespace QuillhavenSim
