// The 276-byte machine record: where each field lies, its byte order, and what
// happens to texts that do not fit.

#include <discovery/Record.hpp>

#include <gtest/gtest.h>

#include <cstring>

using namespace Discovery;

namespace {

std::uint16_t UnitAt(const Record& r, std::size_t offset) { return std::uint16_t(r.bytes[offset] | (r.bytes[offset + 1] << 8)); }

TEST(MachineRecord, FieldsLieAtTheirOffsetsLittleEndianAndTheRestIsZero)
{
    Record record;
    std::memset(record.bytes, 0xCC, sizeof record.bytes);  // Encode must overwrite all of it
    Encode(Machine{L"10.0.0.7", L"MFP-A", L"mfp-a.local", 8080, 8443}, record);

    Record expected{};
    auto put = [&](std::size_t offset, const char* ascii) {
        for (std::size_t i = 0; ascii[i]; ++i) expected.bytes[offset + 2 * i] = std::uint8_t(ascii[i]);
    };
    put(0, "10.0.0.7");
    put(112, "MFP-A");
    put(200, "mfp-a.local");
    expected.bytes[272] = 0x90;  // 8080
    expected.bytes[273] = 0x1F;
    expected.bytes[274] = 0xFB;  // 8443
    expected.bytes[275] = 0x20;
    EXPECT_EQ(0, std::memcmp(expected.bytes, record.bytes, RecordSize));
}

TEST(MachineRecord, RoundTripKeepsJapaneseAndCharactersOutsideTheBasicPlane)
{
    Machine machine{L"192.168.1.20", L"複合機 \U0001F5A8 3F", L"fukugoki.local", 0, 65535};
    Record record;
    Encode(machine, record);
    EXPECT_EQ(0xD83D, UnitAt(record, 112 + 2 * 4));  // the printer sign as a surrogate pair
    EXPECT_EQ(0xDDA8, UnitAt(record, 112 + 2 * 5));
    EXPECT_EQ(machine, Decode(record));
}

TEST(MachineRecord, LongTextsAreCutToTheirFieldWithRoomForTheTerminator)
{
    struct Case {
        const char* what;
        Field field;
        std::wstring Machine::*member;
    };
    for (const Case& c : {Case{"host", HostField, &Machine::host}, Case{"first name", FirstNameField, &Machine::firstName},
                          Case{"second name", SecondNameField, &Machine::secondName}}) {
        SCOPED_TRACE(c.what);
        Machine machine;
        machine.*c.member = std::wstring(100, L'x');
        Record record;
        Encode(machine, record);
        EXPECT_EQ(std::wstring(c.field.capacity(), L'x'), Decode(record).*c.member);
        EXPECT_EQ(0, UnitAt(record, c.field.offset + c.field.size - 2));

        // A pair that would straddle the limit is left out whole, not cut in half.
        machine.*c.member = std::wstring(c.field.capacity() - 1, L'y') + L"\U00020BB7";
        Encode(machine, record);
        EXPECT_EQ(std::wstring(c.field.capacity() - 1, L'y'), Decode(record).*c.member);
    }
}

TEST(MachineRecord, DecodingStaysInsideFieldsWithoutTerminatorAndReplacesLoneSurrogates)
{
    Record record;
    std::memset(record.bytes, 0x41, sizeof record.bytes);  // no terminator anywhere
    Machine machine = Decode(record);
    EXPECT_EQ(56u, machine.host.size());
    EXPECT_EQ(44u, machine.firstName.size());
    EXPECT_EQ(36u, machine.secondName.size());
    EXPECT_EQ(0x4141, machine.http);

    Record lone{};
    lone.bytes[0] = 'a';
    lone.bytes[2] = 0x00;  // high surrogate followed by 'b'
    lone.bytes[3] = 0xD8;
    lone.bytes[4] = 'b';
    lone.bytes[112] = 0x00;  // low surrogate alone
    lone.bytes[113] = 0xDC;
    machine = Decode(lone);
    EXPECT_EQ(L"a\uFFFDb", machine.host);
    EXPECT_EQ(L"\uFFFD", machine.firstName);
}

}  // namespace
