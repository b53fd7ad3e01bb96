#pragma once
// The optional language catalogue: a ".lrc" file next to the executable that replaces
// the string table's texts by number and decorates them with their keyboard mnemonic
// and the usual "...", ":" and blank. One catalogue per process, loaded at start-up
// and released at exit; lookups may come from any thread.

#include <optional>
#include <string>

namespace Catalogue {

/// Releases any earlier catalogue, then reads and checks <dir>/<basename>.lrc of the
/// executable. False when there is no usable file; nothing is reported, the string
/// table then serves every text.
bool Load(const std::string& executablePath);
/// Forgets the loaded catalogue (if any).
void Release();
/// "-" without a catalogue; otherwise its four version numbers joined by "." and,
/// once a number was asked for that a catalogue with strings lacks, " !".
std::wstring VersionText();
/// The catalogue file of an executable: its directory and base name with ".lrc".
std::string PathFor(const std::string& executablePath);

} // namespace Catalogue

/// A view of the process-wide catalogue; carries no state of its own.
class CLrcReader {
public:
    /// True while a catalogue (possibly without strings) is loaded.
    bool IsLoaded() const;
    /// The catalogue's formatted text for the number; nothing when no catalogue is
    /// loaded or it lacks the number (which marks the version text).
    std::optional<std::wstring> Find(unsigned int id) const;
};
