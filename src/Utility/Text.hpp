#pragma once
// The one place where wide text (what is shown and stored) meets narrow text (what
// goes to files, machines and the command line). Narrow text is UTF-8 here.

#include <string>

namespace Text {

/// UTF-32 wide text to UTF-8; characters that cannot be encoded become U+FFFD.
std::string Narrow(const std::wstring& wide);
/// UTF-8 to wide text; malformed sequences become U+FFFD.
std::wstring Widen(const std::string& narrow);

}  // namespace Text
