#include "Utility/Catalogue.hpp"
#include "Utility/LoadString.hpp"

#include "LrcWriter.hpp"
#include "TempDir.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <random>
#include <thread>

namespace {

using lrc::Bytes;
using lrc::Entry;

const std::wstring initFailed = L"アプリケーションの初期化に失敗しました。"; // 175
const std::wstring loadFailed = L"設定の読み込みに失敗しました。";           // 113

class CatalogueFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string executable = (dir / "norvane4").string();
    std::string file = (dir / "norvane4.lrc").string();

    void TearDown() override { Catalogue::Release(); }

    bool Load(const Bytes& bytes)
    {
        lrc::Write(file, bytes);
        return Catalogue::Load(executable);
    }
};

// ---------------------------------------------------------------- formatting

struct FormatCase {
    const char* name;
    const char16_t* text;
    std::uint16_t kind;
    int flags;
    char16_t mnemonic;
    const wchar_t* expected;
};

TEST_F(CatalogueFile, FormatsTextsWithMnemonicAndDecorations)
{
    using namespace lrc;
    const FormatCase cases[] = {
        // The four examples of the catalogue format.
        {"settings", u"Settings", 0, Mnemonic | Ellipsis, u's', L"&Settings..."},
        {"japanese", u"設定", 0, Mnemonic, u'S', L"設定(&S)"},
        {"menu", u"Exit\tAlt+F4", 5, Mnemonic, u'x', L"E&xit\tAlt+F4"},
        {"no in-text mark", u"Name", 0, Mnemonic | Colon | NoInText, u'n', L"Name(&N):"},
        // An ampersand in the text cancels the mnemonic; decorations stay, in order.
        {"ampersand", u"Save & Quit", 0, Mnemonic | Colon | Ellipsis | Blank, u's', L"Save & Quit ...:"},
        // The upper-case mnemonic wins over an earlier lower-case one.
        {"upper first", u"send Status", 0, Mnemonic, u's', L"send &Status"},
        {"lower only", u"close", 0, Mnemonic, u'C', L"&close"},
        {"digit", u"Level 2", 0, Mnemonic, u'2', L"Level &2"},
        // A menu text: decorations go before the accelerator, which is not scanned.
        {"menu ellipsis", u"Print\tCtrl+P", 5, Mnemonic | Ellipsis, u'p', L"&Print...\tCtrl+P"},
        {"menu accelerator ampersand", u"Open\tCtrl+&O", 5, Mnemonic, u'o', L"&Open\tCtrl+&O"},
        {"menu accelerator only", u"A\tB", 5, Mnemonic, u'b', L"A(&B)\tB"},
        {"tab in plain text", u"A\tB", 0, Mnemonic, u'b', L"A\t&B"},
        // No mnemonic: flag clear, or a zero mnemonic character.
        {"flag clear", u"Plain", 0, Blank, u'P', L"Plain "},
        {"zero mnemonic", u"Zero", 0, Mnemonic, 0, L"Zero"},
        // Case mapping beyond ASCII (full-width letters).
        {"full-width", u"設定", 0, Mnemonic, u'ｓ', L"設定(&Ｓ)"},
        // Surrogate pairs become one wide character.
        {"surrogates", u"\U0001F600 ok", 0, 0, 0, L"\U0001F600 ok"},
    };
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const FormatCase& c = cases[i];
        entries.push_back(
            {5000 + static_cast<std::uint32_t>(i), c.text, c.kind, static_cast<std::uint8_t>(c.flags), c.mnemonic});
    }
    ASSERT_TRUE(Load(lrc::BuildStrings(entries)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(LoadString(5000 + static_cast<unsigned>(i)), cases[i].expected) << cases[i].name;
    EXPECT_EQ(Catalogue::VersionText(), L"1.2.3.4");
}

// ---------------------------------------------------------------- lookups

TEST_F(CatalogueFile, WithoutCatalogueTheTableServesAndVersionIsDash)
{
    EXPECT_FALSE(Catalogue::Load(executable));
    EXPECT_FALSE(CLrcReader().IsLoaded());
    EXPECT_FALSE(Catalogue::Load(""));
    EXPECT_EQ(Catalogue::VersionText(), L"-");
    EXPECT_EQ(LoadString(175), initFailed);
    EXPECT_EQ(LoadString(999999), L"");
    EXPECT_EQ(Catalogue::VersionText(), L"-");
}

TEST_F(CatalogueFile, CatalogueTextWinsAndAMissingNumberMarksTheVersion)
{
    ASSERT_TRUE(Load(lrc::BuildStrings({{175, u"Initialisation failed."}, {106, u"1,2,3,4"}}, 0x07FF000A)));
    EXPECT_EQ(Catalogue::VersionText(), L"10.0.255.7");
    EXPECT_EQ(LoadString(175), L"Initialisation failed.");
    EXPECT_EQ(Catalogue::VersionText(), L"10.0.255.7");

    EXPECT_EQ(LoadString(113), loadFailed); // not in the catalogue: the table's text
    EXPECT_EQ(Catalogue::VersionText(), L"10.0.255.7 !");
    EXPECT_EQ(LoadString(999999), L"");

    // Layout data never comes from the catalogue.
    EXPECT_EQ(LoadStringFromApp(106), L"275,100,170,80");
}

TEST_F(CatalogueFile, FirstEntryOfARepeatedNumberWins)
{
    ASSERT_TRUE(Load(lrc::BuildStrings({{7, u"first"}, {8, u"other"}, {7, u"second"}})));
    EXPECT_EQ(LoadString(7), L"first");
}

TEST_F(CatalogueFile, HeaderOnlyCatalogueIsLoadedWithoutStrings)
{
    const Bytes headerOnly = lrc::Build({}, 0x00000301);
    ASSERT_EQ(headerOnly.size(), 152u);
    ASSERT_TRUE(Load(headerOnly));
    EXPECT_TRUE(CLrcReader().IsLoaded());
    EXPECT_EQ(LoadString(113), loadFailed);
    // Asking it for numbers does not mark the version: it has no strings to miss.
    EXPECT_EQ(Catalogue::VersionText(), L"1.3.0.0");
}

TEST_F(CatalogueFile, LoadingAgainReplacesTheEarlierCatalogue)
{
    ASSERT_TRUE(Load(lrc::BuildStrings({{175, u"one"}})));
    LoadString(113);
    ASSERT_EQ(Catalogue::VersionText(), L"1.2.3.4 !");

    ASSERT_TRUE(Load(lrc::BuildStrings({{175, u"two"}}, 0x01010101)));
    EXPECT_EQ(Catalogue::VersionText(), L"1.1.1.1"); // a fresh catalogue has missed nothing yet
    EXPECT_EQ(LoadString(175), L"two");

    // A damaged file leaves no catalogue at all, not the earlier one.
    Bytes damaged = lrc::BuildStrings({{175, u"three"}});
    damaged[0] = 'X';
    EXPECT_FALSE(Load(damaged));
    EXPECT_EQ(Catalogue::VersionText(), L"-");
    EXPECT_EQ(LoadString(175), initFailed);

    ASSERT_TRUE(Load(lrc::BuildStrings({{175, u"four"}})));
    Catalogue::Release();
    EXPECT_EQ(Catalogue::VersionText(), L"-");
    EXPECT_EQ(LoadString(175), initFailed);
}

TEST(CataloguePath, IsTheExecutableWithTheLrcExtension)
{
    EXPECT_EQ(Catalogue::PathFor("/opt/travenor/norvane4"), "/opt/travenor/norvane4.lrc");
    EXPECT_EQ(Catalogue::PathFor("/opt/travenor/norvane4.bin"), "/opt/travenor/norvane4.lrc");
    EXPECT_EQ(Catalogue::PathFor("/opt/app.d/norvane4"), "/opt/app.d/norvane4.lrc");
    EXPECT_EQ(Catalogue::PathFor("norvane4"), "norvane4.lrc");
}

// ---------------------------------------------------------------- rejections

// A catalogue with a string section of two entries followed by a second section of
// kind 2; every rejection below breaks exactly one rule of it.
Bytes Base()
{
    lrc::Section other;
    other.kind = 2;
    other.data = {1, 2, 3, 4};
    return lrc::Build({lrc::StringSection({{10, u"Alpha", 0, lrc::Mnemonic, u'a'}, {11, u"Beta"}}), other});
}

std::size_t SecondSection(const Bytes& b)
{
    return lrc::offset::section + 28 + lrc::Get32(b, lrc::offset::sectionDataSize);
}

constexpr std::size_t extraSizeAt = lrc::offset::firstEntry + 8;
constexpr std::size_t textSizeAt = lrc::offset::firstEntry + 10;

void Add32(Bytes& b, std::size_t at, std::int64_t delta)
{
    lrc::Put32(b, at, static_cast<std::uint32_t>(lrc::Get32(b, at) + delta));
}
void Add16(Bytes& b, std::size_t at, int delta)
{
    lrc::Put16(b, at, static_cast<std::uint16_t>(lrc::Get16(b, at) + delta));
}

struct Rejection {
    const char* name;
    std::function<Bytes()> make;
};

TEST_F(CatalogueFile, RejectsEveryBrokenRule)
{
    using namespace lrc::offset;
    const auto patched = [](std::function<void(Bytes&)> patch) {
        return [patch] {
            Bytes b = Base();
            patch(b);
            return b;
        };
    };
    const std::vector<Rejection> rejections = {
        {"empty file", [] { return Bytes(); }},
        {"short file", patched([](Bytes& b) { b.resize(151); })},
        {"bad magic", patched([](Bytes& b) { b[3] = 'X'; })},
        {"first section not at 152", patched([](Bytes& b) { lrc::Put32(b, firstSection, 156); })},
        {"file longer than header says", patched([](Bytes& b) { b.push_back(0); })},
        {"area size beyond the file", patched([](Bytes& b) { lrc::Put32(b, areaSize, 0xFFFFFFFF); })},
        {"zero mask with sections", patched([](Bytes& b) { lrc::Put32(b, kindMask, 0); })},
        {"mask without string section",
         [] {
             lrc::Section other{2, {}, {1, 2, 3, 4}};
             return lrc::Build({other});
         }},
        {"mask bit without section", patched([](Bytes& b) { lrc::Put32(b, kindMask, 7); })},
        {"section kind not in mask", patched([](Bytes& b) { lrc::Put32(b, SecondSection(b), 4); })},
        {"section kind twice", patched([](Bytes& b) { lrc::Put32(b, SecondSection(b), 1); })},
        {"section kind with two bits", patched([](Bytes& b) { lrc::Put32(b, SecondSection(b), 3); })},
        {"section header below 16", patched([](Bytes& b) {
             Add32(b, SecondSection(b) + 4, -4);
             Add32(b, SecondSection(b) + 8, 4);
         })},
        {"string header without its fields", patched([](Bytes& b) {
             Add32(b, sectionHeaderSize, -12);
             Add32(b, sectionDataSize, 12);
         })},
        {"section data size 0", patched([](Bytes& b) {
             Add32(b, SecondSection(b) + 4, 4);
             lrc::Put32(b, SecondSection(b) + 8, 0);
         })},
        {"section past the area", patched([](Bytes& b) { Add32(b, SecondSection(b) + 8, 100); })},
        {"sections short of the area", patched([](Bytes& b) {
             b.insert(b.end(), 16, 0);
             Add32(b, areaSize, 16);
         })},
        {"format not 1", patched([](Bytes& b) { lrc::Put32(b, format, 2); })},
        {"count 0", patched([](Bytes& b) { lrc::Put32(b, count, 0); })},
        {"count above the entries", patched([](Bytes& b) { lrc::Put32(b, count, 3); })},
        {"count below the entries", patched([](Bytes& b) { lrc::Put32(b, count, 1); })},
        {"extra size 0", patched([](Bytes& b) {
             lrc::Put16(b, extraSizeAt, 0);
             Add16(b, textSizeAt, 2);
         })},
        {"extra size 1", patched([](Bytes& b) {
             lrc::Put16(b, extraSizeAt, 1);
             Add16(b, textSizeAt, 1);
         })},
        {"odd text size", patched([](Bytes& b) {
             lrc::Put16(b, extraSizeAt, 3);
             Add16(b, textSizeAt, -1);
         })},
        {"text size 0", patched([](Bytes& b) {
             Add16(b, extraSizeAt, lrc::Get16(b, textSizeAt));
             lrc::Put16(b, textSizeAt, 0);
         })},
        {"entry past the section data", patched([](Bytes& b) { Add16(b, textSizeAt, 200); })},
        {"text without its zero",
         [] {
             Entry unterminated{10, u"Alpha"};
             unterminated.terminated = false;
             return lrc::BuildStrings({unterminated, {11, u"Beta"}});
         }},
        {"bytes after the last entry",
         [] {
             lrc::Section strings = lrc::StringSection({{10, u"Alpha"}, {11, u"Beta"}});
             strings.data.insert(strings.data.end(), 4, 0);
             return lrc::Build({strings});
         }},
    };

    ASSERT_TRUE(Load(Base()));
    ASSERT_EQ(LoadString(10), L"&Alpha");

    for (const Rejection& r : rejections) {
        ASSERT_TRUE(Load(Base())) << r.name;
        EXPECT_FALSE(Load(r.make())) << r.name;
        EXPECT_FALSE(CLrcReader().IsLoaded()) << r.name;
        EXPECT_EQ(Catalogue::VersionText(), L"-") << r.name;
        EXPECT_EQ(LoadString(175), initFailed) << r.name;
    }
}

TEST_F(CatalogueFile, AcceptsAnyCharacterSetAndUnknownSectionKinds)
{
    Bytes b = Base();
    lrc::Put32(b, lrc::offset::section + 16, 0xDEADBEEF);
    ASSERT_TRUE(Load(b));
    EXPECT_EQ(LoadString(11), L"Beta");
}

// Damaged files of every shape are refused or read, never read out of bounds.
TEST_F(CatalogueFile, SurvivesRandomDamage)
{
    const Bytes base = Base();
    std::mt19937 random(20261210);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes b = base;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) {
            // Mostly the meaningful bytes: header fields, section headers, entry headers.
            const std::size_t at = random() % 2 ? 136 + random() % (b.size() - 136) : random() % b.size();
            b[at] = static_cast<std::uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        if (random() % 8 == 0) b.resize(random() % b.size());
        if (Load(b)) {
            ++loaded;
            LoadString(10);
            LoadString(11);
            Catalogue::VersionText();
        }
    }
    EXPECT_GT(loaded, 0); // some damage (the text bytes, the version) is harmless
}

// ---------------------------------------------------------------- threads

TEST_F(CatalogueFile, LookupsFromSeveralThreadsWhileTheCatalogueChanges)
{
    const Bytes catalogue = lrc::BuildStrings({{175, u"from catalogue"}});
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                const std::wstring text = LoadString(175);
                if (text != L"from catalogue" && text != initFailed) ++wrong;
                if (LoadString(113) != loadFailed) ++wrong;
                Catalogue::VersionText();
            }
        });
    }
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(Load(catalogue));
        Catalogue::Release();
    }
    stop = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
