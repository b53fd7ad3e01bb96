#pragma once

#include <string>

/// The full path of the running program file (empty if the system cannot tell).
std::string ExecutablePath();
