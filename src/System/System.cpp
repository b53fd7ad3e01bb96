#include "System/System.hpp"

#include "System/SystemError.hpp"
#include "Utility/Text.hpp"

#include <boost/filesystem/operations.hpp>

#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace System {

namespace {

const std::wstring programFolder = L"Travenor/Norvane4/";

std::wstring withSeparator(std::string path)
{
    if (path.empty() || path.back() != '/') path += '/';
    return Text::Widen(path);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string homeDirectory()
{
    auto home = environment("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    throw SystemError(ENOENT);
}

// Starts xdg-open without waiting for it; its exit is collected by a detached waiter.
class XdgOpener : public Opener {
public:
    bool Open(const std::wstring& fileOrAddress, const std::wstring& workingDirectory) override
    {
        const std::string target = Text::Narrow(fileOrAddress);
        const std::string directory = Text::Narrow(workingDirectory);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!directory.empty() && boost::filesystem::is_directory(directory))
            posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        const char* argv[] = {"xdg-open", target.c_str(), nullptr};
        pid_t pid = 0;
        const int result =
            ::posix_spawnp(&pid, "xdg-open", &actions, nullptr, const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) return false;
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};

std::mutex openerMutex;
std::shared_ptr<Opener>& openerSlot()
{
    static std::shared_ptr<Opener> opener = std::make_shared<XdgOpener>();
    return opener;
}

}  // namespace

std::wstring DataDirectory()
{
    auto base = environment("XDG_DATA_HOME");
    if (base.empty()) base = homeDirectory() + "/.local/share";
    return withSeparator(base) + programFolder;
}

std::wstring GetTempDir()
{
    auto base = environment("TMPDIR");
    if (base.empty()) base = "/tmp";
    return withSeparator(base);
}

std::wstring TempDirectory() { return GetTempDir() + programFolder; }

std::wstring DocumentsDirectory()
{
    auto documents = environment("XDG_DOCUMENTS_DIR");
    if (documents.empty()) {
        const auto home = homeDirectory();
        documents = boost::filesystem::is_directory(home + "/Documents") ? home + "/Documents" : home;
    }
    return withSeparator(documents);
}

std::wstring RuntimeDirectory()
{
    const auto runtime = environment("XDG_RUNTIME_DIR");
    return runtime.empty() ? GetTempDir() : withSeparator(runtime);
}

std::string NarrowPath(const std::wstring& path) { return Text::Narrow(path); }

void SetOpener(std::shared_ptr<Opener> opener)
{
    std::lock_guard lock(openerMutex);
    openerSlot() = std::move(opener);
}

std::shared_ptr<Opener> CurrentOpener()
{
    std::lock_guard lock(openerMutex);
    return openerSlot();
}

bool ShellOpen(const std::wstring& file)
{
    std::wstring workingDirectory;
    try {
        workingDirectory = DocumentsDirectory();
    } catch (const SystemError&) {
    }
    return CurrentOpener()->Open(file, workingDirectory);
}

void OpenAddress(const std::wstring& address) { ShellOpen(address); }

void OpenAddressWithQuery(const std::wstring& address, const std::wstring& queryText)
{
    OpenAddress(queryText.empty() ? address : address + L"?" + queryText);
}

}  // namespace System
