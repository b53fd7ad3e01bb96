#pragma once
// The data file "data.dat": every entry with its event log and last feed, as a wide
// XML archive. Saving replaces the file atomically (write "data.dat.tmp", sync,
// rename, sync the directory), so a complete file exists at every instant; loading
// first copies the file to "data.dat.bak". Files holding passwords are mode 0600.

#include <boost/filesystem/path.hpp>

#include <memory>

namespace MonitoredEntry {

class EntryManager;

namespace DataFile {

/// "data.dat" in the program's data directory.
boost::filesystem::path DefaultPath();

/// Replaces `manager` by the one stored in `file`, or by an empty one when the file
/// cannot be opened. Any failure after the backup copy leaves `manager` as it was
/// and passes to the caller; the file and its backup are not changed by a failure.
void Load(std::shared_ptr<EntryManager>& manager, const boost::filesystem::path& file);

/// Writes the manager (holding its lock while the archive is written) and replaces
/// `file`. On any failure `file` is untouched and the error reaches the caller.
void Save(const EntryManager& manager, const boost::filesystem::path& file);

enum class StartupLoad {
    Loaded,        // the file was read (or there was none)
    LoadedOldForm, // the file lacked the newer settings; defaults were taken from the tunables
    Unreadable,    // the file could not be read; it was kept as "data.dat.unreadable"
};

/// Load with the retry for files of the older form. When the file stays unreadable
/// it is copied to "<file>.unreadable" before anything else can overwrite it, the
/// manager stays as it was, and the caller tells the person.
StartupLoad LoadAtStartup(std::shared_ptr<EntryManager>& manager, const boost::filesystem::path& file);

/// True while a read has failed inside the newer settings of an entry, so that the
/// next read takes the older form.
bool OldFormPending();

}  // namespace DataFile
}  // namespace MonitoredEntry
