#include "Utility/Text.hpp"

namespace Text {

namespace {
constexpr char32_t replacement = 0xFFFD;

bool encodable(char32_t c) { return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF); }
}  // namespace

std::string Narrow(const std::wstring& wide)
{
    std::string out;
    out.reserve(wide.size());
    for (const wchar_t w : wide) {
        char32_t c = static_cast<char32_t>(w);
        if (!encodable(c)) c = replacement;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Widen(const std::string& narrow)
{
    std::wstring out;
    out.reserve(narrow.size());
    const auto* s = reinterpret_cast<const unsigned char*>(narrow.data());
    const std::size_t n = narrow.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = s[i];
        int length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (b < 0x80) {
            out += static_cast<wchar_t>(b);
            ++i;
            continue;
        } else if ((b & 0xE0) == 0xC0) {
            length = 2, c = b & 0x1F, minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, c = b & 0x0F, minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, c = b & 0x07, minimum = 0x10000;
        } else {
            out += static_cast<wchar_t>(replacement);
            ++i;
            continue;
        }
        int k = 1;
        for (; k < length && i + k < n && (s[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (s[i + k] & 0x3F);
        if (k < length || c < minimum || !encodable(c)) {
            out += static_cast<wchar_t>(replacement);
            i += k;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += length;
    }
    return out;
}

}  // namespace Text
