#pragma once
// Failures of the entry store, the event logs and the entry manager. They carry no
// text; the raise location says where.

#include <ostrel/exception.hpp>

namespace MonitoredEntry {

class DBException : public ostrel::logic_error {
public:
    const char* what() const noexcept override { return "MonitoredEntry::DBException"; }
};

#define NORVANE_DB_EXCEPTION(name)                                                              \
    class name : public DBException {                                                           \
    public:                                                                                     \
        const char* what() const noexcept override { return "MonitoredEntry::" #name; }        \
    }

/// An entry or property that fails its validity check.
NORVANE_DB_EXCEPTION(InvalidEntry);
/// No entry has the identifier.
NORVANE_DB_EXCEPTION(MissingEntry);
/// The entry would share its machine host with another entry.
NORVANE_DB_EXCEPTION(DuplicateEntry);
/// The store already holds the largest allowed number of entries.
NORVANE_DB_EXCEPTION(OverLimitEntryCount);
/// The same event is already in the log.
NORVANE_DB_EXCEPTION(DuplicateEvent);
/// No event in the log has the identifier.
NORVANE_DB_EXCEPTION(MissingEvent);

#undef NORVANE_DB_EXCEPTION

}  // namespace MonitoredEntry
