#pragma once
// The per-user RSS 2.0 feeds below "/vozoz/rss/".

#include "Exchange.hpp"
#include "State.hpp"

namespace QuillhavenSim {

bool IsFeedPath(const std::string& path);
// The caller holds the state's mutex.
Reply HandleFeed(State& state, const Request& request, const std::string& path);
std::string RenderFeed(const State& state, const std::string& user, const Feed& feed);

}  // namespace QuillhavenSim
