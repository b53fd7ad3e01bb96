#pragma once
// Names for the string-table numbers the code refers to.

namespace StringId {
inline constexpr unsigned int DataNotLoaded = 113;         // the data file could not be read
inline constexpr unsigned int DataNotSaved = 116;          // the data file could not be saved
inline constexpr unsigned int InitializationFailed = 175;  // start-up failed
inline constexpr unsigned int CommunicationError = 180;    // talking to a machine failed
inline constexpr unsigned int ApplicationName = 1136;      // "Norvane4"
}  // namespace StringId
