#pragma once
// Helpers of the server tests: readable optional texts, a recording desktop opener.

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

/// Records the addresses the program asks the desktop to open.
class RecordingOpener : public System::Opener {
public:
    bool Open(const std::wstring& address, const std::wstring&) override
    {
        opened.push_back(address);
        return true;
    }
    std::vector<std::wstring> opened;
};
