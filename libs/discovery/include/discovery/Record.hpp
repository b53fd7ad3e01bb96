#pragma once
// The machine record as the library hands it out: 276 bytes, little-endian, every text
// a zero-terminated sequence of UTF-16 code units inside its fixed field.
//
//   offset   size  field
//        0    112  host         (up to 55 code units)
//      112     88  first name   (up to 43 code units)
//      200     72  second name  (up to 35 code units)
//      272      2  HTTP port
//      274      2  HTTPS port

#include <cstddef>
#include <cstdint>
#include <string>

namespace Discovery {

inline constexpr std::size_t RecordSize = 276;

struct Record {
    std::uint8_t bytes[RecordSize];
};
static_assert(sizeof(Record) == RecordSize, "the record is exchanged byte for byte");

struct Field {
    std::size_t offset;
    std::size_t size;  // in bytes, terminator included
    /// The longest text the field holds, in UTF-16 code units.
    constexpr std::size_t capacity() const { return size / 2 - 1; }
};
inline constexpr Field HostField{0, 112};
inline constexpr Field FirstNameField{112, 88};
inline constexpr Field SecondNameField{200, 72};
inline constexpr std::size_t HttpPortOffset = 272;
inline constexpr std::size_t HttpsPortOffset = 274;

/// One machine as discovery describes it.
struct Machine {
    std::wstring host;        // IPv4 address (or host name)
    std::wstring firstName;   // the machine's own name; may be empty
    std::wstring secondName;  // an alternative name; may be empty
    std::uint16_t http = 0;
    std::uint16_t https = 0;

    friend bool operator==(const Machine&, const Machine&) = default;
};

/// Writes `machine` into `record` (all 276 bytes). A text longer than its field is cut
/// at a character boundary so that the terminator always fits.
void Encode(const Machine& machine, Record& record);
/// Reads a record. A text runs to its terminator or, lacking one, to the end of its
/// field; a lone surrogate code unit reads as U+FFFD.
Machine Decode(const Record& record);

}  // namespace Discovery
