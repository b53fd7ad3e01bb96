#pragma once
// The program's own texts: every message, caption, menu and button text and the
// list-view layout data, each under its number. The catalogue may replace the
// shown texts; the table itself never changes at run time.

#include <span>

namespace StringTable {

struct Entry {
    unsigned int id;
    const char* text; ///< UTF-8, exactly as shown (formats keep their %d, %s ...)
};

/// All entries, ordered by number.
std::span<const Entry> Entries();

/// The UTF-8 text of a number, or nullptr when the table has no such number.
const char* Find(unsigned int id);

} // namespace StringTable
