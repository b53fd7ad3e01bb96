#pragma once
// Loading the program's texts by number. Every shown text goes through LoadString,
// which lets the language catalogue override the string table; layout data (the
// list views' column widths) comes from LoadStringFromApp, which reads the table only.

#include <string>

/// The catalogue's formatted text for the number if a catalogue has it, otherwise the
/// string table's text, otherwise an empty text.
std::wstring LoadString(unsigned int id);

/// The string table's text for the number; a number the table lacks raises SystemError.
std::wstring LoadStringFromApp(unsigned int id);
