#pragma once
// The tunables: every interval, timeout, limit and default of a new entry, read once
// per run from "config.dat" in the data directory.

#include "Application/Limits.hpp"
#include "QH/TimeoutTable.hpp"

#include <memory>
#include <string>

namespace MonitoredEntry {
class EntryProperty;
}

/// The raw values new entries start from ("ENTRY_DEFAULT_" keys and the popup erase time).
struct EntryDefaults {
    bool monitoring = true;
    int http = 80;
    int https = 443;
    bool ssl = false;
    int logMax = 200;
    int intervalMs = 1800000;
    bool notice = true;
    bool noticeVoice = false;
    bool thumbnailHidden = false;
    int eraseTimeMs = 10000;
    bool eventRead = false;
    bool deleteMsg = true;
    int notifyDisplay = 1;
};

class Config {
public:
    /// The process-wide settings, created on first use; the file lives in the data directory.
    static Config& Instance();

    /// Settings kept in `path` (tests and tools; the program uses Instance()).
    explicit Config(const std::string& path);
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;
    ~Config();

    /// Loads and checks the file; a file that lacks keys is rewritten with a backup.
    /// Every other failure passes to the caller and leaves the file as it was.
    void Load();
    /// Deletes the settings file and its backup.
    void Remove();
    const std::string& Path() const;

    /// The current text of a key (empty for an unknown key).
    std::string Value(const std::string& key) const;

    int Port() const;
    int EntryMax() const;
    int EventLogMaxLimit() const;
    int DetectedEventQueueSize() const;
    int RegularSerializeIntervalMs() const;
    int RegularNotifyDisplayIntervalMs() const;
    int SubscribeIntervalMs() const;
    int RetrySubscribeIntervalMs() const;
    int MachineMonitorIntervalMs() const;
    int PopupEventEraseIntervalMs() const;
    bool EntryDefaultEnableEventRead() const;
    bool EntryDefaultEnableDeleteMsg() const;
    /// (subscribe send + receive + connect timeout) x retry count x 2, in milliseconds.
    int SubscriptionWaitLimitMs() const;

    IntRange checkIntervalRange() const;
    IntRange eraseIntervalRange() const;
    const QH::Config& timeouts() const;
    bool checkConnectNewEntry() const;
    bool checkAuthenticateNewEntry() const;
    const EntryDefaults& entryDefaults() const;
    /// The property a new entry starts from, built by Load() from entryDefaults().
    const MonitoredEntry::EntryProperty& defaultEntryProperty() const;

    /// The normal run's copy: the timeout table into the server layer, then every process-wide limit.
    void MakeProcessWideCopy() const;
    /// The install run's copy: the timeout table, the entry and log limits and the two ranges.
    void MakeInstallCopy() const;

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl;
};

/// Reads a stored int: leading blanks skipped, the longest leading decimal number
/// taken, the rest ignored. A text that does not begin with a number (or one out of
/// range) yields `fallback`.
int ReadConfigInt(const std::string& text, int fallback);
/// Reads a stored bool: "0" is false and "1" is true; any other number yields `fallback`.
bool ReadConfigBool(const std::string& text, bool fallback);
