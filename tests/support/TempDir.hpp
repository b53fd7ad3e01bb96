#pragma once
// A fresh directory for one test, removed with the object.

#include <boost/filesystem/path.hpp>

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const boost::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    boost::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    boost::filesystem::path path_;
};

/// Points XDG_DATA_HOME, XDG_RUNTIME_DIR and TMPDIR into a fresh directory for the
/// lifetime of the object, so nothing of the person's own data is touched.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();

    const TempDir& root() const { return root_; }
    boost::filesystem::path dataDirectory() const;  // .../data/Travenor/Norvane4

private:
    TempDir root_;
    std::string saved_[3];
    bool had_[3] = {};
};

std::string ReadFile(const boost::filesystem::path& file);
void WriteFile(const boost::filesystem::path& file, const std::string& content);
