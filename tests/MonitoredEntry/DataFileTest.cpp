#include "Fixtures.hpp"

#include "Application/Config.hpp"
#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "TempDir.hpp"

#include <ostrel/exception.hpp>

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <locale>
#include <regex>
#include <string>
#include <vector>

using namespace MonitoredEntry;
namespace fs = boost::filesystem;

namespace {

// The older form takes its defaults from the tunables: give them values of their own.
class SettingsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        environment_ = std::make_unique<IsolatedEnvironment>();
        ::Config& settings = ::Config::Instance();
        settings.Load();
        std::string text = ReadFile(settings.Path());
        const std::pair<const char*, const char*> values[] = {
            {"POPUP_EVENT_ERASE_INTERVAL_MS", "4321"},
            {"ENTRY_DEFAULT_ENABLE_EVENT_READ", "1"},
            {"ENTRY_DEFAULT_ENABLE_DELETE_MSG", "0"},
        };
        for (const auto& [key, value] : values)
            text = std::regex_replace(text, std::regex(std::string("(^|\n)") + key + " *=[^\n]*"),
                                      std::string("$1") + key + " = " + value);
        WriteFile(settings.Path(), text);
        settings.Load();
        ASSERT_EQ(settings.PopupEventEraseIntervalMs(), 4321);
    }
    void TearDown() override { environment_.reset(); }

private:
    std::unique_ptr<IsolatedEnvironment> environment_;
};
const auto* const settingsEnvironment = ::testing::AddGlobalTestEnvironment(new SettingsEnvironment);

fs::path Fixture(const std::string& name) { return fs::path(NORVANE_FIXTURE_DIR) / name; }

// The file as a sequence of tags and texts; white space between elements is layout only.
std::vector<std::string> Elements(const std::string& xml)
{
    std::vector<std::string> elements;
    static const std::regex token("<[^>]*>|[^<]+");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), token); it != std::sregex_iterator(); ++it) {
        const std::string text = it->str();
        if (text.find_first_not_of(" \t\r\n") != std::string::npos) elements.push_back(text);
    }
    return elements;
}

void ExpectSameElements(const std::string& actual, const std::string& expected)
{
    const auto a = Elements(actual);
    const auto e = Elements(expected);
    for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i)
        ASSERT_EQ(a[i], e[i]) << "element " << i << " differs";
    EXPECT_EQ(a.size(), e.size());
}

unsigned Mode(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return 0;
    return st.st_mode & 0777;
}

std::size_t Count(const std::shared_ptr<EntryManager>& manager)
{
    std::lock_guard lock(*manager);
    return manager->GetDB().Count();
}

class DataFileTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path file = dir / "data.dat";
};

TEST_F(DataFileTest, ExampleStoreIsWrittenInTheStoredLayout)
{
    EntryManager manager;
    TestData::FillExampleStore(manager);
    DataFile::Save(manager, file);

    const std::string written = ReadFile(file);
    ExpectSameElements(written, ReadFile(Fixture("golden.dat")));
    EXPECT_EQ(written, ReadFile(Fixture("golden.dat")));  // the archive's own layout, to the byte
    EXPECT_EQ(written.substr(written.size() - 23), "</boost_serialization>\n");
    EXPECT_EQ(Mode(file), 0600u);
    EXPECT_FALSE(fs::exists(dir / "data.dat.tmp"));
}

TEST_F(DataFileTest, StoredLayoutLoadsWithEveryMember)
{
    for (const char* name : {"golden.dat", "no-end-tag.dat"}) {
        SCOPED_TRACE(name);
        fs::copy_file(Fixture(name), file, fs::copy_option::overwrite_if_exists);
        std::shared_ptr<EntryManager> manager;
        DataFile::Load(manager, file);
        ASSERT_TRUE(manager);
        {
            std::lock_guard lock(*manager);
            const EntryDB& db = manager->GetDB();
            ASSERT_EQ(db.Count(), 1u);
            EXPECT_EQ(db.GetNextID(), ID(1));
            const Entry& entry = db.GetEntry(ID(0));
            const EntryProperty& p = entry.GetProperty();
            EXPECT_TRUE(p.GetMonitoring());
            EXPECT_EQ(p.GetMFP(), MFP(std::wstring(L"複合機 A"), L"192.168.0.10", 80, 443, false));
            EXPECT_EQ(p.GetUser(), User(std::wstring(L"山田 太郎"), L"yamada", TestData::StoredPassword()));
            EXPECT_EQ(p.GetUser().GetPassword().GetPlainText(), L"pw");
            EXPECT_EQ(p.GetConfig(), MonitoredEntry::Config(200, 1800000, true, false, false, 10000, false, true, 1));
            const auto& events = entry.ReadEventLog().GetEventList();
            ASSERT_EQ(events.size(), 1u);
            EXPECT_TRUE(events[0].GetRead());
            const EventProperty& e = events[0].GetProperty();
            EXPECT_EQ(e.GetInfo(), L"資料 <A&B>");
            EXPECT_TRUE(e.GetThumbNailURL() == boost::optional<std::wstring>(L"/thumb?id=1&size=s"));
            EXPECT_TRUE(e.GetDetailList() == boost::optional<std::wstring>(L"A1\nB2\n"));
            EXPECT_EQ(e.GetCategorytype(), "1");
            EXPECT_EQ(e.GetTime().GetText(), "Tue, 10 Jun 2008 04:00:05 +0900");
            EXPECT_EQ(e.GetNotifyDate().GetText(), "Tue, 10 Jun 2008 04:00:00 +0900");
            EXPECT_EQ(entry.ReadEventLog().GetMax(), 200);
            ASSERT_TRUE(entry.GetLatestRSSFeed());
            EXPECT_EQ(entry.GetLatestRSSFeed()->GetTitle(), "山田 太郎");
            ASSERT_EQ(entry.GetLatestRSSFeed()->GetItemList().size(), 1u);
            EXPECT_EQ(entry.GetLatestRSSFeed()->GetItemList()[0].description, "/thumb?id=1&size=s");
        }
        // What was read is written back unchanged, end tag included.
        DataFile::Save(*manager, dir / "again.dat");
        EXPECT_EQ(ReadFile(dir / "again.dat"), ReadFile(Fixture("golden.dat")));
        EXPECT_EQ(ReadFile(dir / "data.dat.bak"), ReadFile(Fixture(name)));
        EXPECT_EQ(Mode(dir / "data.dat.bak"), 0600u);
    }
}

TEST_F(DataFileTest, OlderFormLoadsOnTheRetryWithTheTunables)
{
    fs::copy_file(Fixture("old-form.dat"), file);
    std::shared_ptr<EntryManager> manager;
    EXPECT_ANY_THROW(DataFile::Load(manager, file));
    EXPECT_TRUE(DataFile::OldFormPending());
    EXPECT_FALSE(manager);

    EXPECT_EQ(DataFile::LoadAtStartup(manager, file), DataFile::StartupLoad::LoadedOldForm);
    EXPECT_FALSE(DataFile::OldFormPending());
    ASSERT_TRUE(manager);
    {
        std::lock_guard lock(*manager);
        ASSERT_EQ(manager->GetDB().Count(), 2u);
        EXPECT_EQ(manager->GetDB().GetEntry(ID(0)).GetProperty().GetConfig(),
                  MonitoredEntry::Config(200, 1800000, true, false, false, 4321, true, false, 1));
        EXPECT_EQ(manager->GetDB().GetEntry(ID(1)).GetProperty().GetConfig(),
                  MonitoredEntry::Config(50, 60000, false, true, false, 4321, true, false, 0));
        EXPECT_FALSE(manager->GetDB().GetEntry(ID(1)).GetLatestRSSFeed());
    }
    EXPECT_FALSE(fs::exists(dir / "data.dat.unreadable"));
    // The next save writes the current form, which loads on the first attempt.
    DataFile::Save(*manager, file);
    EXPECT_EQ(DataFile::LoadAtStartup(manager, file), DataFile::StartupLoad::Loaded);
}

TEST(DefaultEntryProperty, IsBuiltFromTheLoadedSettings)
{
    const EntryProperty& p = ::Config::Instance().defaultEntryProperty();
    EXPECT_EQ(p.GetConfig().GetEraseTime(), 4321);
    EXPECT_TRUE(p.GetConfig().GetEventRead());
    EXPECT_FALSE(p.GetConfig().GetDeleteMsg());
    EXPECT_TRUE(p.GetMFP().GetHTTPS() == boost::optional<int>(443));
    EXPECT_EQ(&GetDefaultEntryProperty(), &p);
}

TEST_F(DataFileTest, EmptyStoreRoundTrip)
{
    auto manager = std::make_shared<EntryManager>();
    {
        EntryManager::Transaction t(*manager);
        t.Append(TestData::Property(L"a"));
        t.Append(TestData::Property(L"b"));
        t.Erase(ID(0));
        t.Erase(ID(1));
        t.Commit();
    }
    DataFile::Save(*manager, file);
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find("<count>0</count>\n\t\t\t<item_version>1</item_version>\n\t\t</EntryList>"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("<item"), text.find("<item_version>"));  // no entry element at all
    EXPECT_EQ(text.find("class_id=\"4\""), std::string::npos);

    std::shared_ptr<EntryManager> loaded;
    DataFile::Load(loaded, file);
    std::lock_guard lock(*loaded);
    EXPECT_EQ(loaded->GetDB().Count(), 0u);
    EXPECT_EQ(loaded->GetDB().GetNextID(), ID(2));
}

TEST_F(DataFileTest, FullStoreRoundTrip)
{
    EntryManager manager;
    TestData::FillExampleStore(manager);
    {
        EntryManager::Transaction t(manager);
        auto property = TestData::Property(L"second", false, 3);
        auto user = property.GetUser();
        user.SetPassword(Password(L"secret"));
        property.SetUser(user);
        auto config = property.GetConfig();
        config.SetThumbnailHidden(true);  // not stored
        property.SetConfig(config);
        property.SetSubscriptionState(2);  // runtime only
        property.SetErrorFlag(1);
        const ID id = t.Append(property);
        auto entry = t.GetEntryCopy(id);
        EventLog log = entry->GetEventLog();
        for (int i = 0; i < 5; ++i) log.Append(TestData::MakeEvent(L"event " + std::to_wstring(i)));
        entry->SetEventLog(log);
        t.SetEntry(entry);
        t.Append(TestData::Property(L"third", true));
        t.Commit();
    }
    DataFile::Save(manager, file);
    EXPECT_NE(ReadFile(file).find("<LatestRSSFeed>\n\t\t\t\t\t\t<initialized>0</initialized>\n\t\t\t\t\t</LatestRSSFeed>"),
              std::string::npos);

    std::shared_ptr<EntryManager> loaded;
    DataFile::Load(loaded, file);
    DataFile::Save(*loaded, dir / "again.dat");
    EXPECT_EQ(ReadFile(dir / "again.dat"), ReadFile(file));

    std::lock_guard lock(*loaded);
    const EntryDB& db = loaded->GetDB();
    ASSERT_EQ(db.Count(), 3u);
    const Entry& second = db.GetEntry(ID(1));
    EXPECT_EQ(second.GetProperty().GetUser().GetPassword().GetPlainText(), L"secret");
    EXPECT_FALSE(second.GetProperty().GetConfig().GetThumbnailHidden());
    EXPECT_EQ(second.GetProperty().GetSubscriptionState(), 0);
    EXPECT_EQ(second.GetProperty().GetErrorFlag(), 0);
    std::vector<long> ids;
    for (const auto& e : second.ReadEventLog().GetEventList()) ids.push_back(e.GetID().GetValue());
    EXPECT_EQ(ids, (std::vector<long>{2, 3, 4}));
    EXPECT_EQ(second.ReadEventLog().GetNextID(), ID(5));
    EXPECT_EQ(db.GetNextID(), ID(3));
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST_F(DataFileTest, DamagedFilesFailWithoutChangingAnything)
{
    const std::string golden = ReadFile(Fixture("golden.dat"));
    const struct {
        const char* what;
        std::string content;
    } cases[] = {
        {"truncated", golden.substr(0, golden.size() / 2)},
        {"not XML", "this is not a data file\n"},
        {"empty", ""},
        {"head only", golden.substr(0, golden.find("<Norvane"))},
        {"member missing", Replace(golden, "<SSL>0</SSL>", "")},
        {"members swapped", Replace(golden, "<LogMax>200</LogMax>\n\t\t\t\t\t\t\t<Interval>1800000</Interval>",
                                    "<Interval>1800000</Interval>\n\t\t\t\t\t\t\t<LogMax>200</LogMax>")},
        {"time that does not parse", Replace(golden, "<string>Tue, 10 Jun 2008 04:00:05 +0900</string>",
                                             "<string>yesterday</string>")},
        {"number that is not one", Replace(golden, "<Max>200</Max>", "<Max>many</Max>")},
        {"foreign signature", Replace(golden, "serialization::archive", "something::else")},
        {"newer library", Replace(golden, "version=\"5\">", "version=\"99\">")},
        // The archive library would read out of bounds with these.
        {"forged class number", Replace(golden, "<px class_id=\"5\"", "<px class_id=\"85\"")},
        {"forged object number", Replace(golden, "object_id=\"_2\"", "object_id=\"_7\"")},
        {"object reference", Replace(golden, "<Time class_id_reference=\"17\" object_id=\"_3\">",
                                     "<Time class_id_reference=\"17\" object_reference=\"_2\">")},
        {"reference to another class", Replace(golden, "class_id_reference=\"17\"", "class_id_reference=\"16\"")},
        {"reference to an unpointed class", Replace(golden, "class_id_reference=\"17\"", "class_id_reference=\"3\"")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(file, c.content);
        auto previous = std::make_shared<EntryManager>();
        std::shared_ptr<EntryManager> manager = previous;
        EXPECT_ANY_THROW(DataFile::Load(manager, file));
        EXPECT_EQ(manager, previous);
        EXPECT_EQ(ReadFile(file), c.content);
        EXPECT_EQ(ReadFile(dir / "data.dat.bak"), c.content);
        EXPECT_FALSE(DataFile::OldFormPending());
    }
}

TEST_F(DataFileTest, UnreadableFileIsKeptApartAtStartup)
{
    WriteFile(dir / "data.dat.unreadable", "an older unreadable file");
    const std::string damaged = ReadFile(Fixture("golden.dat")).substr(0, 500);
    WriteFile(file, damaged);
    auto previous = std::make_shared<EntryManager>();
    std::shared_ptr<EntryManager> manager = previous;
    EXPECT_EQ(DataFile::LoadAtStartup(manager, file), DataFile::StartupLoad::Unreadable);
    EXPECT_EQ(manager, previous);
    EXPECT_EQ(ReadFile(dir / "data.dat.unreadable"), damaged);
    EXPECT_EQ(Mode(dir / "data.dat.unreadable"), 0600u);

    // The next save replaces data.dat; the kept copy stays.
    DataFile::Save(*manager, file);
    EXPECT_EQ(DataFile::LoadAtStartup(manager, file), DataFile::StartupLoad::Loaded);
    EXPECT_EQ(ReadFile(dir / "data.dat.unreadable"), damaged);
}

TEST_F(DataFileTest, MissingFileGivesAnEmptyManager)
{
    auto previous = std::make_shared<EntryManager>();
    {
        EntryManager::Transaction t(*previous);
        t.Append(TestData::Property(L"a"));
        t.Commit();
    }
    std::shared_ptr<EntryManager> manager = previous;
    EXPECT_EQ(DataFile::LoadAtStartup(manager, file), DataFile::StartupLoad::Loaded);
    ASSERT_NE(manager, previous);
    EXPECT_EQ(Count(manager), 0u);
    EXPECT_FALSE(fs::exists(dir / "data.dat.bak"));
}

TEST_F(DataFileTest, FailedSaveLeavesTheFileUntouched)
{
    WriteFile(file, "previous content");
    fs::create_directory(dir / "data.dat.tmp");  // the temporary file cannot be created
    EntryManager manager;
    TestData::FillExampleStore(manager);
    EXPECT_ANY_THROW(DataFile::Save(manager, file));
    EXPECT_EQ(ReadFile(file), "previous content");

    fs::remove(dir / "data.dat.tmp");
    EXPECT_ANY_THROW(DataFile::Save(manager, dir / "missing" / "data.dat"));
    DataFile::Save(manager, file);  // and once the way is clear it works
    EXPECT_EQ(ReadFile(file), ReadFile(Fixture("golden.dat")));
}

TEST_F(DataFileTest, UnavailableUserLocaleFallsBackToTheClassicOne)
{
    const char* saved = std::getenv("LC_ALL");
    const std::string savedValue = saved ? saved : "";
    ::setenv("LC_ALL", "xx_XX.NOT-A-CODESET", 1);
    EntryManager manager;
    TestData::FillExampleStore(manager);
    EXPECT_NO_THROW(DataFile::Save(manager, file));
    std::shared_ptr<EntryManager> loaded;
    EXPECT_NO_THROW(DataFile::Load(loaded, file));
    if (saved)
        ::setenv("LC_ALL", savedValue.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
    EXPECT_EQ(std::locale().name(), "C");  // the process-wide locale is back
    EXPECT_EQ(ReadFile(file), ReadFile(Fixture("golden.dat")));
    EXPECT_EQ(Count(loaded), 1u);
}

TEST_F(DataFileTest, PasswordBytesThatDoNotDecipherFailWhereThePasswordIsRead)
{
    std::string text = ReadFile(Fixture("golden.dat"));
    text = Replace(text, "<item>18</item>", "<item>19</item>");  // first byte of the stored password
    WriteFile(file, text);
    std::shared_ptr<EntryManager> manager;
    DataFile::Load(manager, file);  // nothing is validated while reading
    std::lock_guard lock(*manager);
    EXPECT_THROW(manager->GetDB().GetEntry(ID(0)).GetProperty().GetUser().GetPassword().GetPlainText(),
                 ostrel::fatal_error);
}

}  // namespace
