#pragma once
// The document requests below "/vozoz/norvane" (thumbnail, download with its
// preparation stage, cancel, print, delete, delete notice, browser pages) and the
// voice messages below "/vozoz/voice/".

#include "Exchange.hpp"
#include "State.hpp"

namespace QuillhavenSim {

bool IsDocumentPath(const std::string& path);
bool IsVoicePath(const std::string& path);
// The caller holds the state's mutex.
Reply HandleDocument(State& state, const Request& request, const std::string& query);
Reply HandleVoice(State& state, const Request& request, const std::string& path);

}  // namespace QuillhavenSim
