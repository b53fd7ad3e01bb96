#include "LrcWriter.hpp"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace lrc {

void Put16(Bytes& bytes, std::size_t at, std::uint16_t value)
{
    bytes.at(at) = value & 0xFF;
    bytes.at(at + 1) = value >> 8;
}

void Put32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = (value >> (8 * i)) & 0xFF;
}

std::uint16_t Get16(const Bytes& bytes, std::size_t at)
{
    return bytes.at(at) | (bytes.at(at + 1) << 8);
}

std::uint32_t Get32(const Bytes& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes.at(at + i)) << (8 * i);
    return value;
}

namespace {
void Append16(Bytes& out, std::uint16_t value)
{
    out.push_back(value & 0xFF);
    out.push_back(value >> 8);
}
void Append32(Bytes& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((value >> (8 * i)) & 0xFF);
}
} // namespace

Bytes EntryBytes(const Entry& entry)
{
    const std::size_t units = entry.text.size() + (entry.terminated ? 1 : 0);
    Bytes out;
    Append32(out, entry.id);
    Append16(out, entry.kind);
    out.push_back(entry.flags);
    out.push_back(0);
    Append16(out, 2); // extra: the mnemonic only
    Append16(out, static_cast<std::uint16_t>(units * 2));
    Append16(out, entry.mnemonic);
    for (char16_t c : entry.text)
        Append16(out, c);
    if (entry.terminated) Append16(out, 0);
    return out;
}

Section StringSection(const std::vector<Entry>& entries)
{
    Section section;
    section.kind = 1;
    Append32(section.headerTail, 128); // character set
    Append32(section.headerTail, 1);   // format
    Append32(section.headerTail, static_cast<std::uint32_t>(entries.size()));
    for (const Entry& e : entries) {
        const Bytes bytes = EntryBytes(e);
        section.data.insert(section.data.end(), bytes.begin(), bytes.end());
    }
    return section;
}

Bytes Build(const std::vector<Section>& sections, std::uint32_t version)
{
    Bytes area;
    std::uint32_t mask = 0;
    for (const Section& s : sections) {
        mask |= s.kind;
        Append32(area, s.kind);
        Append32(area, static_cast<std::uint32_t>(16 + s.headerTail.size()));
        Append32(area, static_cast<std::uint32_t>(s.data.size()));
        Append32(area, 0);
        area.insert(area.end(), s.headerTail.begin(), s.headerTail.end());
        area.insert(area.end(), s.data.begin(), s.data.end());
    }
    Bytes out(152 + area.size(), 0);
    std::copy(area.begin(), area.end(), out.begin() + 152);
    out[0] = 'T', out[1] = 'U', out[2] = 'L', out[3] = 'K';
    Put32(out, offset::version, version);
    Put32(out, offset::firstSection, 152);
    Put32(out, offset::areaSize, static_cast<std::uint32_t>(area.size()));
    Put32(out, offset::kindMask, mask);
    return out;
}

Bytes BuildStrings(const std::vector<Entry>& entries, std::uint32_t version)
{
    return Build({StringSection(entries)}, version);
}

void Write(const std::string& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

} // namespace lrc
