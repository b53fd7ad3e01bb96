#pragma once
// A versioned settings file of "name = value" lines with defaults.
//
// A derived class supplies the definition (file path, version number, keys and
// their defaults) in define(); load() reads the file, checks its version and fills
// in what is missing; save() replaces the file so that a complete file is always
// in place.

#include <map>
#include <memory>
#include <string>

namespace ostrel {

template <class String>
class config {
public:
    using string_type = String;
    using values_type = std::map<String, String>;

    config();
    config(const config&) = delete;
    config& operator=(const config&) = delete;
    virtual ~config();

    /// Reads the file. Throws open_file_failure, nonsupport_version, defective_config
    /// or the options library's syntax errors; after every outcome except a syntax
    /// error and open_file_failure the values hold every defined key.
    void load();
    /// Writes every value to the file; with `backup` the previous file is kept as the backup.
    void save(bool backup) const;
    /// Deletes the file and its backup if they exist.
    void remove();

    /// The current text of a defined key; empty for an unknown key.
    String value(const String& key) const;
    const values_type& values() const;

    void set_path(const String& path);
    const String& path() const;
    /// The settings file with its extension replaced: "bak", "tmp".
    String sibling(const String& extension) const;

protected:
    virtual void define() = 0;

    // The definition interface used by define().
    void define_version(double number);
    void define_key(const String& key, int defaultValue);
    void define_key(const String& key, bool defaultValue);
    void define_key(const String& key, const String& defaultValue);
    void define_key(const String& key, const char* defaultValue) { define_key(key, String(defaultValue)); }

private:
    struct definition;
    struct pimpl;
    std::shared_ptr<definition> definition_;
    std::shared_ptr<pimpl> state_;
};

extern template class config<std::string>;

}  // namespace ostrel
