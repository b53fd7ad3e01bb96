#include "discovery/Record.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Discovery {
namespace {

std::vector<char16_t> ToUtf16(const std::wstring& text)
{
    std::vector<char16_t> units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(cp));
        }
    }
    return units;
}

void PutUnit(std::uint8_t* at, std::uint16_t unit)
{
    at[0] = static_cast<std::uint8_t>(unit & 0xFF);
    at[1] = static_cast<std::uint8_t>(unit >> 8);
}

std::uint16_t GetUnit(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

void PutText(Record& record, Field field, const std::wstring& text)
{
    auto units = ToUtf16(text);
    std::size_t n = std::min(units.size(), field.capacity());
    // Never keep the first half of a pair without its second.
    if (n > 0 && n < units.size() && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF) --n;
    std::uint8_t* base = record.bytes + field.offset;
    std::memset(base, 0, field.size);
    for (std::size_t i = 0; i < n; ++i) PutUnit(base + 2 * i, units[i]);
}

std::wstring GetText(const Record& record, Field field)
{
    const std::uint8_t* base = record.bytes + field.offset;
    const std::size_t count = field.size / 2;
    std::wstring text;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t unit = GetUnit(base + 2 * i);
        if (unit == 0) break;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count) {
            std::uint16_t low = GetUnit(base + 2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                text.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                ++i;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit <= 0xDFFF ? L'\uFFFD' : static_cast<wchar_t>(unit));
    }
    return text;
}

}  // namespace

void Encode(const Machine& machine, Record& record)
{
    std::memset(record.bytes, 0, RecordSize);
    PutText(record, HostField, machine.host);
    PutText(record, FirstNameField, machine.firstName);
    PutText(record, SecondNameField, machine.secondName);
    PutUnit(record.bytes + HttpPortOffset, machine.http);
    PutUnit(record.bytes + HttpsPortOffset, machine.https);
}

Machine Decode(const Record& record)
{
    Machine machine;
    machine.host = GetText(record, HostField);
    machine.firstName = GetText(record, FirstNameField);
    machine.secondName = GetText(record, SecondNameField);
    machine.http = GetUnit(record.bytes + HttpPortOffset);
    machine.https = GetUnit(record.bytes + HttpsPortOffset);
    return machine;
}

}  // namespace Discovery
