#include "Text.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace QuillhavenSim::Text {

std::string XmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PercentEncode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

namespace {
int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string PercentDecode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> ParseQuery(const std::string& query)
{
    std::map<std::string, std::string> result;
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string pair = query.substr(start, end - start);
        if (!pair.empty()) {
            std::size_t eq = pair.find('=');
            if (eq == std::string::npos)
                result[PercentDecode(pair)] = "";
            else
                result[PercentDecode(pair.substr(0, eq))] = PercentDecode(pair.substr(eq + 1));
        }
        start = end + 1;
    }
    return result;
}

namespace {
int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::optional<std::string> Base64Decode(const std::string& text)
{
    std::string out;
    unsigned buffer = 0;
    int bits = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] != '='; ++i) {
        int v = Base64Value(text[i]);
        if (v < 0) return std::nullopt;
        buffer = (buffer << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    for (; i < text.size(); ++i)
        if (text[i] != '=') return std::nullopt;
    return out;
}
}  // namespace

std::optional<std::pair<std::string, std::string>> BasicCredentials(const std::string& header)
{
    const std::string scheme = "Basic ";
    if (header.size() <= scheme.size() || header.compare(0, scheme.size(), scheme) != 0) return std::nullopt;
    std::size_t start = header.find_first_not_of(' ', scheme.size());
    if (start == std::string::npos) return std::nullopt;
    std::size_t end = header.find_last_not_of(' ');
    auto decoded = Base64Decode(header.substr(start, end + 1 - start));
    if (!decoded) return std::nullopt;
    std::size_t colon = decoded->find(':');
    if (colon == std::string::npos) return std::nullopt;
    return std::make_pair(decoded->substr(0, colon), decoded->substr(colon + 1));
}

std::string ToShiftJis(const std::string& utf8)
{
    iconv_t cd = iconv_open("SHIFT_JIS", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no Shift_JIS converter");
    std::string out;
    std::vector<char> buffer(16);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // Skip one UTF-8 character that Shift_JIS cannot hold (or a broken byte).
            out += '?';
            std::size_t skip = 1;
            while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

std::string Rfc822(std::time_t when)
{
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    gmtime_r(&when, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday], tm.tm_mday,
                  months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

}  // namespace QuillhavenSim::Text
