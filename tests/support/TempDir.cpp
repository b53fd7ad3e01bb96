#include "TempDir.hpp"

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = boost::filesystem;

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    path_ = fs::path(base && *base ? base : "/tmp") / fs::unique_path("norvane-test-%%%%-%%%%-%%%%");
    fs::create_directories(path_);
}

TempDir::~TempDir()
{
    boost::system::error_code ignored;
    fs::remove_all(path_, ignored);
}

namespace {
const char* const variables[3] = {"XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"};
}

IsolatedEnvironment::IsolatedEnvironment()
{
    for (int i = 0; i < 3; ++i) {
        if (const char* v = std::getenv(variables[i])) {
            had_[i] = true;
            saved_[i] = v;
        }
    }
    const char* names[3] = {"data", "runtime", "tmp"};
    for (int i = 0; i < 3; ++i) {
        const auto dir = root_.path() / names[i];
        fs::create_directories(dir);
        fs::permissions(dir, fs::owner_all);  // as a real runtime directory is
        ::setenv(variables[i], dir.c_str(), 1);
    }
}

IsolatedEnvironment::~IsolatedEnvironment()
{
    for (int i = 0; i < 3; ++i) {
        if (had_[i])
            ::setenv(variables[i], saved_[i].c_str(), 1);
        else
            ::unsetenv(variables[i]);
    }
}

fs::path IsolatedEnvironment::dataDirectory() const { return root_.path() / "data" / "Travenor" / "Norvane4"; }

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file.string(), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const fs::path& file, const std::string& content)
{
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    std::ofstream out(file.string(), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + file.string());
}
