#pragma once
// Small text helpers of the simulated machine: escaping, URL queries, Basic
// credentials, feed encodings and RSS times.

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace QuillhavenSim::Text {

std::string XmlEscape(const std::string& text);
std::string PercentEncode(const std::string& text);
std::string PercentDecode(const std::string& text);

// "a=1&b=2" -> {a: 1, b: 2}; later duplicates win.
std::map<std::string, std::string> ParseQuery(const std::string& query);

// The user and password of an "Authorization: Basic ..." header value, if well formed.
std::optional<std::pair<std::string, std::string>> BasicCredentials(const std::string& header);

// UTF-8 to Shift_JIS; characters Shift_JIS lacks become "?".
std::string ToShiftJis(const std::string& utf8);

// RFC 822 time with seconds in GMT, English names whatever the locale.
std::string Rfc822(std::time_t when);

}  // namespace QuillhavenSim::Text
