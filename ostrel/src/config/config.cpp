#include <ostrel/config.hpp>
#include <ostrel/exception.hpp>
#include <ostrel/filesystem/replace.hpp>

#include <boost/filesystem/operations.hpp>
#include <boost/format.hpp>
#include <boost/program_options/options_description.hpp>
#include <boost/program_options/parsers.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

namespace ostrel {

namespace fs = boost::filesystem;

template <class String>
struct config<String>::definition {
    double version = 0;
    String versionText;
    values_type defaults;
};

template <class String>
struct config<String>::pimpl {
    config* owner = nullptr;
    String path;
    values_type values;
};

namespace {

const std::string versionKey = "VERSION";

std::string versionText(double number) { return boost::str(boost::format("%.2f") % number); }

// The version as a decimal number; false when the text is not one.
bool parseVersion(const std::string& text, double& number)
{
    if (text.empty()) return false;
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    in >> number;
    return !in.fail() && in.eof() && std::isfinite(number);
}

// The file's lines with the options library's configuration-file syntax, every
// name accepted; later lines win.
std::map<std::string, std::string> readLines(std::istream& in)
{
    namespace po = boost::program_options;
    po::options_description none;
    const auto parsed = po::parse_config_file(in, none, true);
    std::map<std::string, std::string> lines;
    for (const auto& option : parsed.options) {
        const std::string value = option.value.empty() ? std::string() : option.value.front();
        if (value.empty())
            boost::throw_exception(po::error("no value given"));
        lines[option.string_key] = value;
    }
    return lines;
}

}  // namespace

template <class String>
config<String>::config() : state_(std::make_shared<pimpl>())
{
    state_->owner = this;
}

template <class String>
config<String>::~config() = default;

template <class String>
void config<String>::define_version(double number)
{
    definition_->version = number;
    definition_->versionText = versionText(number);
    definition_->defaults[versionKey] = definition_->versionText;
}

template <class String>
void config<String>::define_key(const String& key, int defaultValue)
{
    definition_->defaults[key] = std::to_string(defaultValue);
}

template <class String>
void config<String>::define_key(const String& key, bool defaultValue)
{
    definition_->defaults[key] = defaultValue ? "1" : "0";
}

template <class String>
void config<String>::define_key(const String& key, const String& defaultValue)
{
    definition_->defaults[key] = defaultValue;
}

template <class String>
void config<String>::set_path(const String& path)
{
    state_->path = fs::absolute(fs::path(path)).string();
}

template <class String>
const String& config<String>::path() const
{
    return state_->path;
}

template <class String>
String config<String>::sibling(const String& extension) const
{
    fs::path p(state_->path);
    p.replace_extension(extension);
    return p.string();
}

template <class String>
String config<String>::value(const String& key) const
{
    const auto found = state_->values.find(key);
    return found == state_->values.end() ? String() : found->second;
}

template <class String>
const typename config<String>::values_type& config<String>::values() const
{
    return state_->values;
}

template <class String>
void config<String>::load()
{
    definition_ = std::make_shared<definition>();
    define();

    std::ifstream in(state_->path, std::ios::in);
    if (!in.is_open()) {
        if (fs::exists(fs::path(state_->path))) OSTREL_THROW(open_file_failure());
        state_->values = definition_->defaults;
        save(false);
        return;
    }

    const auto lines = readLines(in);

    const auto version = lines.find(versionKey);
    double number = 0;
    if (version == lines.end() || !parseVersion(version->second, number) || number != definition_->version) {
        state_->values = definition_->defaults;
        OSTREL_THROW(nonsupport_version());
    }

    values_type values;
    bool defective = false;
    for (const auto& [key, defaultValue] : definition_->defaults) {
        if (key == versionKey) {
            values[key] = definition_->versionText;
            continue;
        }
        const auto line = lines.find(key);
        if (line != lines.end()) {
            values[key] = line->second;
        } else {
            values[key] = defaultValue;
            defective = true;
        }
    }
    state_->values = std::move(values);
    if (defective) OSTREL_THROW(defective_config());
}

template <class String>
void config<String>::save(bool backup) const
{
    const fs::path target(state_->path);
    const fs::path temporary(sibling("tmp"));
    const fs::path backupFile(sibling("bak"));

    if (!target.parent_path().empty()) fs::create_directories(target.parent_path());

    {
        std::ofstream out(temporary.string(), std::ios::out | std::ios::trunc);
        if (!out.is_open()) OSTREL_THROW(open_file_failure());
        out.imbue(std::locale::classic());
        for (const auto& [key, value] : state_->values) out << boost::format("%s = %s\n") % key % value;
        out.close();
        if (out.fail()) OSTREL_THROW(open_file_failure());
    }

    // The current file stays in place until the new one replaces it in one rename.
    if (backup && fs::exists(target)) {
        const fs::path backupTemporary(backupFile.string() + ".tmp");
        fs::copy_file(target, backupTemporary, fs::copy_option::overwrite_if_exists);
        filesystem::commit_replacement(backupTemporary, backupFile);
    }
    filesystem::commit_replacement(temporary, target);
}

template <class String>
void config<String>::remove()
{
    fs::remove(fs::path(state_->path));
    fs::remove(fs::path(sibling("bak")));
}

template class config<std::string>;

}  // namespace ostrel
