#include "Utility/Catalogue.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include <locale.h>
#include <wctype.h>

namespace {

// File layout. Every number in the file is little-endian; it is read byte by byte so
// that neither the host's byte order nor its struct layout matters.
constexpr std::size_t headerSize = 152;
constexpr std::size_t versionOffset = 4;
constexpr std::size_t firstSectionOffsetField = 136;
constexpr std::size_t areaSizeField = 140;
constexpr std::size_t kindMaskField = 144;
constexpr std::array<unsigned char, 4> magic = {0x54, 0x55, 0x4C, 0x4B}; // "TULK"

constexpr std::size_t sectionHeaderMinimum = 16;
// The string section's own header fields (character set, format, count) end here;
// a shorter header would make them overlap the entries.
constexpr std::size_t stringSectionHeaderMinimum = 28;
constexpr std::uint32_t stringSectionKind = 1;
constexpr std::uint32_t stringFormat = 1;

constexpr std::size_t entryHeaderSize = 12;
constexpr std::uint16_t menuTextKind = 5;

enum EntryFlag : std::uint8_t {
    hasMnemonic = 0x01,
    appendColon = 0x02,
    appendEllipsis = 0x04,
    appendBlank = 0x08,
    noInTextMnemonic = 0x10,
};

std::uint16_t ReadU16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct StringEntry {
    std::uint32_t id = 0;
    std::uint16_t kind = 0;
    std::uint8_t flags = 0;
    char16_t mnemonic = 0;
    std::u16string text; // up to its first zero character
};

struct LoadedCatalogue {
    std::array<std::uint8_t, 4> version{};
    bool hasStrings = false;
    std::vector<StringEntry> entries;                       // file order
    std::unordered_map<std::uint32_t, std::size_t> firstOf; // number -> first entry with it
    mutable std::atomic<bool> stringMissing{false};
};

struct Header {
    std::array<std::uint8_t, 4> version{};
    std::uint32_t areaSize = 0;
    std::uint32_t kindMask = 0;
};

std::optional<Header> CheckHeader(const unsigned char* h, std::uint64_t fileSize)
{
    if (!std::equal(magic.begin(), magic.end(), h)) return std::nullopt;
    if (ReadU32(h + firstSectionOffsetField) != headerSize) return std::nullopt;
    Header header;
    std::copy_n(h + versionOffset, 4, header.version.begin());
    header.areaSize = ReadU32(h + areaSizeField);
    header.kindMask = ReadU32(h + kindMaskField);
    if (fileSize != headerSize + static_cast<std::uint64_t>(header.areaSize)) return std::nullopt;
    if (header.kindMask == 0 && header.areaSize != 0) return std::nullopt;
    return header;
}

struct StringSection {
    const unsigned char* data = nullptr;
    std::size_t dataSize = 0;
    std::uint32_t count = 0;
};

// Walks the sections of the area (the file after the header). Each kind of the mask
// appears exactly once and the sections fill the area exactly.
std::optional<StringSection> CheckSections(const unsigned char* area, std::size_t areaSize, std::uint32_t mask)
{
    if ((mask & stringSectionKind) == 0) return std::nullopt;
    std::optional<StringSection> strings;
    std::uint32_t seen = 0;
    std::size_t position = 0;
    while (seen != mask) {
        const std::size_t remaining = areaSize - position;
        if (remaining < sectionHeaderMinimum) return std::nullopt;
        const unsigned char* section = area + position;
        const std::uint32_t kind = ReadU32(section);
        const std::uint32_t sectionHeader = ReadU32(section + 4);
        const std::uint32_t dataSize = ReadU32(section + 8);
        if (!std::has_single_bit(kind) || (kind & mask) == 0 || (kind & seen) != 0) return std::nullopt;
        if (sectionHeader < sectionHeaderMinimum || dataSize == 0) return std::nullopt;
        const std::uint64_t total = static_cast<std::uint64_t>(sectionHeader) + dataSize;
        if (total > remaining) return std::nullopt;
        if (kind == stringSectionKind) {
            if (sectionHeader < stringSectionHeaderMinimum) return std::nullopt;
            // The character set at offset 16 needs an installed font on the original
            // platform; here every character set is accepted.
            if (ReadU32(section + 20) != stringFormat) return std::nullopt;
            const std::uint32_t count = ReadU32(section + 24);
            if (count == 0) return std::nullopt;
            strings = StringSection{section + sectionHeader, dataSize, count};
        }
        seen |= kind;
        position += static_cast<std::size_t>(total);
    }
    if (position != areaSize || !strings) return std::nullopt;
    return strings;
}

bool CheckEntries(const StringSection& section, LoadedCatalogue& catalogue)
{
    std::size_t position = 0;
    std::vector<StringEntry> entries;
    while (position < section.dataSize) {
        const std::size_t remaining = section.dataSize - position;
        if (remaining < entryHeaderSize) return false;
        const unsigned char* e = section.data + position;
        const std::uint16_t extraSize = ReadU16(e + 8);
        const std::uint16_t textSize = ReadU16(e + 10);
        if (extraSize <= 1 || textSize == 0 || textSize % 2 != 0) return false;
        const std::size_t total = entryHeaderSize + extraSize + textSize;
        if (total > remaining) return false;
        const unsigned char* extra = e + entryHeaderSize;
        const unsigned char* text = extra + extraSize;
        // A text must end with its zero character inside its own size; otherwise
        // whoever reads it would run on into the next entry.
        if (ReadU16(text + textSize - 2) != 0) return false;

        StringEntry entry;
        entry.id = ReadU32(e);
        entry.kind = ReadU16(e + 4);
        entry.flags = e[6];
        entry.mnemonic = static_cast<char16_t>(ReadU16(extra));
        for (std::size_t i = 0; i < textSize; i += 2) {
            const char16_t unit = static_cast<char16_t>(ReadU16(text + i));
            if (unit == 0) break;
            entry.text += unit;
        }
        entries.push_back(std::move(entry));
        position += total;
        if (entries.size() > section.count) return false;
    }
    if (entries.size() != section.count) return false;

    catalogue.entries = std::move(entries);
    for (std::size_t i = 0; i < catalogue.entries.size(); ++i)
        catalogue.firstOf.emplace(catalogue.entries[i].id, i); // keeps the first of a number
    catalogue.hasStrings = true;
    return true;
}

std::unique_ptr<LoadedCatalogue> ReadCatalogue(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return nullptr;
    const std::uint64_t fileSize = std::filesystem::file_size(path, error);
    if (error || fileSize < headerSize) return nullptr;

    std::ifstream file(path, std::ios::binary);
    if (!file) return nullptr;
    std::array<unsigned char, headerSize> header{};
    if (!file.read(reinterpret_cast<char*>(header.data()), headerSize)) return nullptr;
    const auto checked = CheckHeader(header.data(), fileSize);
    if (!checked) return nullptr;

    auto catalogue = std::make_unique<LoadedCatalogue>();
    catalogue->version = checked->version;
    if (fileSize == headerSize) return catalogue; // loaded, but without strings

    std::vector<unsigned char> area(checked->areaSize);
    if (!file.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size())) ||
        file.peek() != std::char_traits<char>::eof())
        return nullptr; // the file changed under us
    const auto strings = CheckSections(area.data(), area.size(), checked->kindMask);
    if (!strings || !CheckEntries(*strings, *catalogue)) return nullptr;
    return catalogue;
}

// Case mapping of the mnemonic, independent of the process's locale (which is the
// classic one and knows only ASCII letters).
class CaseMapping {
public:
    CaseMapping() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr))) {}
    ~CaseMapping()
    {
        if (locale_) freelocale(locale_);
    }
    CaseMapping(const CaseMapping&) = delete;
    CaseMapping& operator=(const CaseMapping&) = delete;

    char16_t Upper(char16_t c) const { return Map(c, true); }
    char16_t Lower(char16_t c) const { return Map(c, false); }

private:
    char16_t Map(char16_t c, bool upper) const
    {
        if (c >= 0xD800 && c <= 0xDFFF) return c;
        wint_t mapped = 0;
        if (locale_) {
            mapped = upper ? towupper_l(c, locale_) : towlower_l(c, locale_);
        } else {
            mapped = c;
            if (upper && c >= u'a' && c <= u'z') mapped = c - u'a' + u'A';
            if (!upper && c >= u'A' && c <= u'Z') mapped = c - u'A' + u'a';
        }
        return mapped <= 0xFFFF && !(mapped >= 0xD800 && mapped <= 0xDFFF) ? static_cast<char16_t>(mapped) : c;
    }

    locale_t locale_;
};

const CaseMapping& Cases()
{
    static const CaseMapping mapping;
    return mapping;
}

std::u16string Format(const StringEntry& entry)
{
    const std::u16string& text = entry.text;
    bool mnemonic = (entry.flags & hasMnemonic) != 0 && entry.mnemonic != 0 &&
                    !(entry.mnemonic >= 0xD800 && entry.mnemonic <= 0xDFFF);
    char16_t upper = 0;
    std::optional<char16_t> lower;
    bool markInText = false;
    if (mnemonic) {
        upper = Cases().Upper(entry.mnemonic);
        if ((entry.flags & noInTextMnemonic) == 0) {
            lower = Cases().Lower(entry.mnemonic);
            markInText = true;
        }
    }

    // A menu text keeps its accelerator (after the tab) out of the decorations.
    const std::size_t scanned = entry.kind == menuTextKind ? std::min(text.find(u'\t'), text.size()) : text.size();
    const std::u16string_view head(text.data(), scanned);
    if (head.find(u'&') != std::u16string_view::npos) mnemonic = false;
    if (mnemonic && head.find(upper) != std::u16string_view::npos) lower.reset();

    std::u16string result;
    result.reserve(text.size() + 8);
    bool placed = false;
    std::size_t markAt = std::u16string::npos;
    if (mnemonic && markInText) {
        markAt = head.find(upper);
        if (markAt == std::u16string_view::npos && lower) markAt = head.find(*lower);
    }
    for (std::size_t i = 0; i < scanned; ++i) {
        if (i == markAt) {
            result += u'&';
            placed = true;
        }
        result += text[i];
    }
    if (mnemonic && !placed) {
        result += u"(&";
        result += upper;
        result += u')';
    }
    if (entry.flags & appendBlank) result += u' ';
    if (entry.flags & appendEllipsis) result += u"...";
    if (entry.flags & appendColon) result += u':';
    result.append(text, scanned);
    return result;
}

std::wstring Widen(const std::u16string& text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += static_cast<wchar_t>(0xFFFD);
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

// The process-wide state: replaced as a whole on load and release, so that a lookup
// on another thread keeps the catalogue it started with.
std::mutex stateMutex;
std::shared_ptr<const LoadedCatalogue> current;

std::shared_ptr<const LoadedCatalogue> Current()
{
    std::lock_guard lock(stateMutex);
    return current;
}

void Install(std::shared_ptr<const LoadedCatalogue> catalogue)
{
    std::lock_guard lock(stateMutex);
    current = std::move(catalogue);
}

} // namespace

namespace Catalogue {

bool Load(const std::string& executablePath)
{
    Release();
    if (executablePath.empty()) return false;  // unknown program file: never guess a file nearby
    try {
        std::shared_ptr<const LoadedCatalogue> catalogue = ReadCatalogue(PathFor(executablePath));
        if (!catalogue) return false;
        Install(std::move(catalogue));
        return true;
    } catch (const std::exception&) { // out of memory, an unreadable file
        return false;
    }
}

void Release()
{
    Install(nullptr);
}

std::wstring VersionText()
{
    const auto catalogue = Current();
    if (!catalogue) return L"-";
    std::wstring text;
    for (std::size_t i = 0; i < catalogue->version.size(); ++i) {
        if (i) text += L'.';
        text += std::to_wstring(catalogue->version[i]);
    }
    if (catalogue->stringMissing.load()) text += L" !";
    return text;
}

std::string PathFor(const std::string& executablePath)
{
    const std::size_t slash = executablePath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.find_last_of('.');
    const std::size_t nameEnd = dot != std::string::npos && dot >= nameStart ? dot : executablePath.size();
    return executablePath.substr(0, nameEnd) + ".lrc";
}

} // namespace Catalogue

bool CLrcReader::IsLoaded() const
{
    return Current() != nullptr;
}

std::optional<std::wstring> CLrcReader::Find(unsigned int id) const
{
    const auto catalogue = Current();
    if (!catalogue || !catalogue->hasStrings) return std::nullopt;
    const auto found = catalogue->firstOf.find(id);
    if (found == catalogue->firstOf.end()) {
        catalogue->stringMissing.store(true);
        return std::nullopt;
    }
    return Widen(Format(catalogue->entries[found->second]));
}
