#pragma once
// The operating system's services as the program sees them: its folders, and the
// desktop's "open" of a file or web address.

#include <memory>
#include <string>

namespace System {

/// The per-user data folder, ending in a separator: $XDG_DATA_HOME (default
/// ~/.local/share) followed by "Travenor/Norvane4/". Not created here.
std::wstring DataDirectory();
/// The system's temporary folder with a trailing separator ($TMPDIR, else /tmp).
std::wstring GetTempDir();
/// The program's temporary folder: GetTempDir() followed by "Travenor/Norvane4/".
std::wstring TempDirectory();
/// The user's documents folder with a trailing separator (working directory of opened files).
std::wstring DocumentsDirectory();
/// The runtime folder for the single-instance lock ($XDG_RUNTIME_DIR, else the temporary folder).
std::wstring RuntimeDirectory();

/// A file path in the form the file-system functions take.
std::string NarrowPath(const std::wstring& path);

/// Hands files and addresses to the desktop. The window layer installs the desktop's
/// own; tests install one that records.
class Opener {
public:
    virtual ~Opener() = default;
    /// True when the desktop accepted the request.
    virtual bool Open(const std::wstring& fileOrAddress, const std::wstring& workingDirectory) = 0;
};

/// Replaces the opener; the default one starts "xdg-open".
void SetOpener(std::shared_ptr<Opener> opener);
std::shared_ptr<Opener> CurrentOpener();

/// The desktop's "open" of a file or web address; true when it was accepted.
bool ShellOpen(const std::wstring& file);
/// ShellOpen of a web address; the result is not kept.
void OpenAddress(const std::wstring& address);
/// OpenAddress of "address?query", or of the address alone when the query text is empty.
void OpenAddressWithQuery(const std::wstring& address, const std::wstring& queryText);

}  // namespace System
