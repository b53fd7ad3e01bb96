#include "MonitoredEntry/DataFile.hpp"

#include "Application/Config.hpp"
#include "MonitoredEntry/Archive.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "System/System.hpp"

#include <ostrel/exception.hpp>
#include <ostrel/filesystem/replace.hpp>

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/detail/utf8_codecvt_facet.hpp>
#include <boost/archive/xml_wiarchive.hpp>
#include <boost/archive/xml_woarchive.hpp>
#include <boost/filesystem/operations.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <fstream>
#include <locale>
#include <mutex>
#include <sstream>
#include <string>

namespace MonitoredEntry {

namespace Stored {

std::atomic<bool> olderFormFlag{false};

OlderFormDefaults CurrentOlderFormDefaults()
{
    const ::Config& settings = ::Config::Instance();
    return {settings.PopupEventEraseIntervalMs(), settings.EntryDefaultEnableEventRead(),
            settings.EntryDefaultEnableDeleteMsg()};
}

}  // namespace Stored

namespace DataFile {

namespace fs = boost::filesystem;

namespace {

// The archive library version the stored layout declares in its head.
constexpr unsigned kStoredLibraryVersion = 5;
constexpr char kSignature[] = "serialization::archive";

// The person's locale becomes the process-wide one while the data file is named,
// read or written; a locale that this system does not have falls back to the classic
// one instead of failing. The previous locale returns at the end of the scope.
class UserLocaleScope {
public:
    UserLocaleScope() : previous_(std::locale())
    {
        try {
            std::locale::global(std::locale(""));
        } catch (const std::runtime_error&) {
            std::locale::global(std::locale::classic());
        }
    }
    ~UserLocaleScope() { std::locale::global(previous_); }
    UserLocaleScope(const UserLocaleScope&) = delete;
    UserLocaleScope& operator=(const UserLocaleScope&) = delete;

private:
    std::locale previous_;
};

// Archive text is UTF-8 with the classic number conventions, whatever the locale.
std::locale ArchiveLocale()
{
    return std::locale(std::locale::classic(), new boost::archive::detail::utf8_codecvt_facet);
}

fs::path WithSuffix(const fs::path& file, const char* suffix) { return fs::path(file.string() + suffix); }

// Creates (or truncates) a file readable and writable by its owner only.
void CreatePrivateFile(const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(file.string()));
    const bool restricted = ::fchmod(fd, 0600) == 0;
    ::close(fd);
    if (!restricted) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(file.string()));
}

// Replaces `target` by a byte copy of `source` through a temporary file, mode 0600.
void CopyPrivately(const fs::path& source, const fs::path& target)
{
    std::ifstream in(source.string(), std::ios::binary);
    if (!in) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(source.string()));
    const fs::path temporary = WithSuffix(target, ".tmp");
    CreatePrivateFile(temporary);
    {
        std::ofstream out(temporary.string(), std::ios::binary | std::ios::trunc);
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) out.write(buffer, in.gcount());
        if (in.bad()) out.setstate(std::ios::failbit);
        out.close();
        if (out.fail()) {
            boost::system::error_code ignored;
            fs::remove(temporary, ignored);
            OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(temporary.string()));
        }
    }
    ostrel::filesystem::commit_replacement(temporary, target);
}

void WriteHead(std::wostream& out)
{
    out << L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        << L"<!DOCTYPE boost_serialization>\n"
        << L"<boost_serialization signature=\"" << kSignature << L"\" version=\"" << kStoredLibraryVersion
        << L"\">\n";
}

[[noreturn]] void BadHead()
{
    boost::serialization::throw_exception(
        boost::archive::archive_exception(boost::archive::archive_exception::invalid_signature));
}

// Reads "<tag ...>" from the stream and returns its text between the brackets.
std::wstring ReadMarkup(std::wistream& in)
{
    wchar_t c = 0;
    while (in.get(c) && std::iswspace(c)) {
    }
    if (!in || c != L'<') BadHead();
    std::wstring text;
    while (in.get(c) && c != L'>') text.push_back(c);
    if (!in) BadHead();
    return text;
}

std::wstring AttributeValue(const std::wstring& tag, const std::wstring& name)
{
    const std::wstring key = name + L"=\"";
    const auto at = tag.find(key);
    if (at == std::wstring::npos) BadHead();
    const auto begin = at + key.size();
    const auto end = tag.find(L'"', begin);
    if (end == std::wstring::npos) BadHead();
    return tag.substr(begin, end - begin);
}

// Reads the XML declaration, the document type and the archive start tag, and
// returns the library version the archive was written with.
unsigned ReadHead(std::wistream& in)
{
    std::wstring markup = ReadMarkup(in);
    if (markup.rfind(L"?xml", 0) != 0) BadHead();
    markup = ReadMarkup(in);
    if (markup.rfind(L"!DOCTYPE", 0) == 0) markup = ReadMarkup(in);
    if (markup.rfind(L"boost_serialization", 0) != 0) BadHead();
    if (AttributeValue(markup, L"signature") != std::wstring(kSignature, kSignature + sizeof kSignature - 1))
        BadHead();
    const std::wstring version = AttributeValue(markup, L"version");
    unsigned value = 0;
    try {
        std::size_t used = 0;
        value = static_cast<unsigned>(std::stoul(version, &used));
        if (used != version.size()) BadHead();
    } catch (const std::logic_error&) {
        BadHead();
    }
    // Versions newer than this library's cannot be read.
    if (value == 0 || value > boost::archive::BOOST_ARCHIVE_VERSION()) BadHead();
    return value;
}

// The archive library trusts the class and object numbers of a file: a forged number
// makes it read out of bounds. Every file it writes numbers classes 0, 1, 2, ... and
// objects _0, _1, _2, ... in order of appearance, refers back only to numbers already
// given, and (in this layout, where no object is written twice) has no object
// references. Anything else is refused before the library sees it.
void CheckObjectNumbers(const std::wstring& text)
{
    unsigned long classes = 0;
    unsigned long objects = 0;
    // The number in the attribute value that starts at `at`, after an optional prefix.
    const auto number = [&](std::size_t at, std::size_t end, wchar_t prefix) {
        if (prefix) {
            if (at >= end || text[at] != prefix) BadHead();
            ++at;
        }
        if (at == end || end - at > 9) BadHead();
        unsigned long value = 0;
        for (std::size_t i = at; i < end; ++i) {
            if (text[i] < L'0' || text[i] > L'9') BadHead();
            value = value * 10 + static_cast<unsigned long>(text[i] - L'0');
        }
        return value;
    };
    const auto matches = [&](std::size_t nameStart, std::size_t nameEnd, const wchar_t* name) {
        return text.compare(nameStart, nameEnd - nameStart, name) == 0;
    };
    for (std::size_t open = text.find(L'<'); open != std::wstring::npos; open = text.find(L'<', open + 1)) {
        const std::size_t close = text.find(L'>', open);
        if (close == std::wstring::npos) break;
        // Attribute values of this tag: name="value".
        const auto quoteBefore = [&](std::size_t from, std::size_t limit) {
            return static_cast<std::size_t>(std::find(text.begin() + from, text.begin() + limit, L'"') - text.begin());
        };
        std::size_t quote = open;
        while ((quote = quoteBefore(quote + 1, close)) < close) {
            const std::size_t valueEnd = quoteBefore(quote + 1, close);
            if (valueEnd >= close || text[quote - 1] != L'=') BadHead();
            const std::size_t nameEnd = quote - 1;
            std::size_t nameStart = nameEnd;
            while (nameStart > open && text[nameStart - 1] != L' ' && text[nameStart - 1] != L'\t') --nameStart;
            if (matches(nameStart, nameEnd, L"class_id")) {
                if (number(quote + 1, valueEnd, 0) != classes++) BadHead();
            } else if (matches(nameStart, nameEnd, L"class_id_reference")) {
                if (number(quote + 1, valueEnd, 0) >= classes) BadHead();
            } else if (matches(nameStart, nameEnd, L"object_id")) {
                if (number(quote + 1, valueEnd, L'_') != objects++) BadHead();
            } else if (matches(nameStart, nameEnd, L"object_reference")) {
                BadHead();
            }
            quote = valueEnd;
        }
        open = close;
    }
}

}  // namespace

fs::path DefaultPath() { return fs::path(System::NarrowPath(System::DataDirectory())) / "data.dat"; }

void Load(std::shared_ptr<EntryManager>& manager, const fs::path& file)
{
    std::wifstream in;
    {
        UserLocaleScope locale;
        if (fs::exists(file)) CopyPrivately(file, WithSuffix(file, ".bak"));
        in.open(file.string(), std::ios::binary);
    }
    if (!in.is_open()) {
        manager = std::make_shared<EntryManager>();
        return;
    }
    in.imbue(ArchiveLocale());

    Stored::ManagerImage image;
    {
        UserLocaleScope locale;
        std::wstringstream text;
        text << in.rdbuf();
        if (in.bad()) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(file.string()));
        CheckObjectNumbers(text.str());
        const unsigned version = ReadHead(text);
        // Without the head, the reader does not look for the archive end tag: a file
        // that stops after the root element is complete.
        boost::archive::xml_wiarchive archive(text, boost::archive::no_header | boost::archive::no_codecvt);
        archive.set_library_version(boost::serialization::library_version_type(version));
        archive >> boost::serialization::make_nvp("Norvane", image);
    }
    manager = std::make_shared<EntryManager>(std::move(image.db));
}

void Save(const EntryManager& manager, const fs::path& file)
{
    const fs::path temporary = WithSuffix(file, ".tmp");
    std::wofstream out;
    {
        UserLocaleScope locale;
        CreatePrivateFile(temporary);
        out.open(temporary.string(), std::ios::binary | std::ios::trunc);
    }
    try {
        if (!out.is_open()) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(temporary.string()));
        out.imbue(ArchiveLocale());
        WriteHead(out);
        {
            std::lock_guard lock(manager);
            UserLocaleScope locale;
            Stored::ManagerImage image{EntryDB(manager.GetDB().GetNextID(), manager.GetDB().GetEntryList())};
            {
                boost::archive::xml_woarchive archive(out, boost::archive::no_header | boost::archive::no_codecvt);
                archive << boost::serialization::make_nvp("Norvane", static_cast<const Stored::ManagerImage&>(image));
                // The archive ends its output with a line break when it goes away.
                out << L"</boost_serialization>";
            }
            out.flush();
            out.close();
        }
        // A full disk may only show when the buffered rest is written out.
        if (out.fail()) OSTREL_THROW(ostrel::open_file_failure() << ostrel::error_message(temporary.string()));
        ostrel::filesystem::commit_replacement(temporary, file);
    } catch (...) {
        boost::system::error_code ignored;
        if (out.is_open()) out.close();
        fs::remove(temporary, ignored);
        throw;
    }
}

StartupLoad LoadAtStartup(std::shared_ptr<EntryManager>& manager, const fs::path& file)
{
    StartupLoad result = StartupLoad::Unreadable;
    Stored::olderFormFlag = false;
    try {
        Load(manager, file);
        result = StartupLoad::Loaded;
    } catch (...) {
        if (Stored::olderFormFlag) {
            try {
                Load(manager, file);
                result = StartupLoad::LoadedOldForm;
            } catch (...) {
            }
        }
    }
    // The older form applies to this one file only; the next read starts afresh.
    Stored::olderFormFlag = false;
    if (result == StartupLoad::Unreadable) {
        // Keep the only copy of the person's entries out of reach of the next save
        // and of the next start's backup copy.
        try {
            UserLocaleScope locale;
            if (fs::exists(file)) CopyPrivately(file, WithSuffix(file, ".unreadable"));
        } catch (...) {
        }
    }
    return result;
}

bool OldFormPending() { return Stored::olderFormFlag; }

}  // namespace DataFile
}  // namespace MonitoredEntry
