#pragma once
// Builds language catalogue files byte by byte for the tests.

#include <cstdint>
#include <string>
#include <vector>

namespace lrc {

using Bytes = std::vector<std::uint8_t>;

enum Flag : std::uint8_t { Mnemonic = 0x01, Colon = 0x02, Ellipsis = 0x04, Blank = 0x08, NoInText = 0x10 };

struct Entry {
    std::uint32_t id = 0;
    std::u16string text;
    std::uint16_t kind = 0;
    std::uint8_t flags = 0;
    char16_t mnemonic = 0;
    bool terminated = true; ///< write the text's zero character
};

struct Section {
    std::uint32_t kind = 0;
    Bytes headerTail; ///< header bytes after the first 16
    Bytes data;
};

/// Offsets of a file made of one string section (BuildStrings): handy for patching.
namespace offset {
constexpr std::size_t version = 4, firstSection = 136, areaSize = 140, kindMask = 144;
constexpr std::size_t section = 152, sectionHeaderSize = 156, sectionDataSize = 160;
constexpr std::size_t format = 172, count = 176;
constexpr std::size_t firstEntry = 180; // + 8 extra size, + 10 text size
} // namespace offset

Bytes EntryBytes(const Entry& entry);
/// A string section: character set 128, format 1, the count of the entries.
Section StringSection(const std::vector<Entry>& entries);
/// A whole file; the kind mask is the union of the sections' kinds.
Bytes Build(const std::vector<Section>& sections, std::uint32_t version = 0x04030201);
/// A file with just a string section holding these entries.
Bytes BuildStrings(const std::vector<Entry>& entries, std::uint32_t version = 0x04030201);

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t at, std::uint32_t value);
std::uint16_t Get16(const Bytes& bytes, std::size_t at);
std::uint32_t Get32(const Bytes& bytes, std::size_t at);

void Write(const std::string& path, const Bytes& bytes);

} // namespace lrc
