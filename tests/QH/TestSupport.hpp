#pragma once
// Helpers of the server tests: readable optional texts, a recording desktop opener.

#include "RecordingOpener.hpp"
#include "System/System.hpp"

#include <boost/optional.hpp>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace boost {
inline void PrintTo(const optional<std::wstring>& value, std::ostream* out)
{
    *out << (value ? ::testing::PrintToString(*value) : "(absent)");
}
}  // namespace boost

