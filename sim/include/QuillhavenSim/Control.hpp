#pragma once
// The text commands of quillhaven-sim, read from standard input or the control port.

#include "QuillhavenSim/Machine.hpp"

#include <string>

namespace QuillhavenSim {

struct ControlAnswer {
    std::string text;   // one or more lines, each ending in a line feed
    bool quit = false;
};

ControlAnswer ExecuteControl(Machine& machine, const std::string& line);

const char* ControlHelp();

}  // namespace QuillhavenSim
