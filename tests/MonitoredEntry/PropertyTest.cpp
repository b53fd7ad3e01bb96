#include "Fixtures.hpp"

#include "Application/Config.hpp"
#include "Application/Limits.hpp"
#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/EntryProperty.hpp"
#include "MonitoredEntry/PasswordCodec.hpp"
#include "Utility/Text.hpp"

#include <ostrel/exception.hpp>

#include <boost/optional/optional_io.hpp>
#include <gtest/gtest.h>

#include <string>

using namespace MonitoredEntry;

namespace {

TEST(PasswordCodec, RoundTripsTextIncludingEmptyAndOutsideTheBasicPlane)
{
    for (const std::wstring text : {std::wstring(), std::wstring(L"pass word"), std::wstring(L"日本語\U0001F600x")}) {
        const auto bytes = PasswordCodec::Encrypt(text);
        EXPECT_EQ(PasswordCodec::Decrypt(bytes), text);
    }
    EXPECT_EQ(PasswordCodec::Decrypt({}), L"");
}

TEST(PasswordCodec, AlteredBytesRaiseTheFatalErrorWithItsMessage)
{
    auto bytes = PasswordCodec::Encrypt(L"secret");
    bytes[bytes.size() / 2] ^= 0x40;
    try {
        PasswordCodec::Decrypt(bytes);
        FAIL() << "no exception";
    } catch (const ostrel::fatal_error& e) {
        const std::string* message = boost::get_error_info<ostrel::error_message>(e);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(*message, "md5 crypt failure.");
        EXPECT_NE(ostrel::location_of(e).file.find("src/MonitoredEntry/PasswordCodec"), std::string::npos);
    }
}

TEST(Password, ValidityIsLengthAndAscii)
{
    EXPECT_TRUE(Password().IsValid());
    EXPECT_TRUE(Password(std::wstring(28, L'a')).IsValid());
    EXPECT_FALSE(Password(std::wstring(29, L'a')).IsValid());
    EXPECT_FALSE(Password(L"caf\u00e9").IsValid());
    EXPECT_EQ(Password(L"abc").GetPlainText(), L"abc");
    EXPECT_TRUE(Password().GetData().empty());
}

TEST(Password, EqualityIsByStoredBytes)
{
    const Password a(L"same");
    EXPECT_EQ(a, Password::FromData(a.GetData()));
    EXPECT_NE(a, Password(L"same"));  // a fresh nonce gives other bytes
}

TEST(MFP, HostRule)
{
    struct Case {
        std::wstring host;
        bool valid;
    } cases[] = {
        {L"192.168.0.1", true},   {L"255.255.255.255", true}, {L"0.0.0.0", true},
        {L"192.168.0.256", true},  // not an address, but its labels make a host name
        {L"192.168.01.1", true},   // likewise
        {L"printer", true},        {L"a", true},               {L"mfp-01.office_a.example", true},
        {L"a.b-c.d", true},        {L"", false},               {L"my printer", false},
        {L"-printer", false},      {L"printer-", false},       {L"printer.", false},
        {L".printer", false},      {L"a..b", false},           {L"_a", false},
        {L"プリンター", false},    {std::wstring(255, L'a'), true}, {std::wstring(256, L'a'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(MFP::IsValidHost(c.host), c.valid) << Text::Narrow(c.host);
}

TEST(MFP, Validity)
{
    struct Case {
        const char* what;
        MFP mfp;
        bool valid;
    } cases[] = {
        {"http", MFP(boost::none, L"host", 80, boost::none, false), true},
        {"https", MFP(boost::none, L"host", boost::none, 443, true), true},
        {"ssl without https", MFP(boost::none, L"host", 80, boost::none, true), false},
        {"plain without http", MFP(boost::none, L"host", boost::none, 443, false), false},
        {"port 0", MFP(boost::none, L"host", 0, 0, false), true},
        {"port 65535", MFP(boost::none, L"host", 65535, 65535, false), true},
        {"port -1", MFP(boost::none, L"host", -1, 443, false), false},
        {"unused port 65536", MFP(boost::none, L"host", 80, 65536, false), false},
        {"empty name", MFP(std::wstring(), L"host", 80, boost::none, false), false},
        {"name", MFP(std::wstring(L"複合機"), L"host", 80, boost::none, false), true},
        {"bad host", MFP(boost::none, L"a b", 80, boost::none, false), false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.mfp.IsValid(), c.valid) << c.what;
}

TEST(MFP, EqualityComparesOptionalsByPresence)
{
    const MFP a(boost::none, L"host", 80, boost::none, false);
    MFP b = a;
    EXPECT_EQ(a, b);
    b.SetName(std::wstring());
    EXPECT_NE(a, b);
    b = a;
    b.SetHost(L"HOST");
    EXPECT_NE(a, b);
}

TEST(User, Validity)
{
    EXPECT_TRUE(User(boost::none, L"id", Password()).IsValid());
    EXPECT_TRUE(User(std::wstring(L"名前"), L"id", Password(L"pw")).IsValid());
    EXPECT_FALSE(User(std::wstring(), L"id", Password()).IsValid());
    EXPECT_FALSE(User(boost::none, L"", Password()).IsValid());
    EXPECT_FALSE(User(boost::none, L"id", Password(std::wstring(29, L'x'))).IsValid());
}

MonitoredEntry::Config ValidConfig() { return MonitoredEntry::Config(10, 60000, true, false, false, 0, false, true, 1); }

TEST(EntryConfig, ValidityFollowsTheProcessWideRanges)
{
    TestData::LimitsGuard guard;
    Limits::Values limits;
    limits.eventLogMax = 200;
    Limits::Set(limits);
    auto config = ValidConfig();
    EXPECT_TRUE(config.IsValid());
    config.SetLogMax(0);
    EXPECT_FALSE(config.IsValid());
    config.SetLogMax(200);
    EXPECT_TRUE(config.IsValid());
    config.SetLogMax(201);
    EXPECT_FALSE(config.IsValid());
    config = ValidConfig();
    config.SetInterval(59999);
    EXPECT_FALSE(config.IsValid());
    config.SetInterval(3600000);
    EXPECT_TRUE(config.IsValid());
    config.SetEraseTime(100000001);
    EXPECT_FALSE(config.IsValid());
    config = ValidConfig();
    config.SetNotifyDisplay(99);  // plays no part
    EXPECT_TRUE(config.IsValid());
}

TEST(EntryConfig, EmptyRangeIsALogicError)
{
    TestData::LimitsGuard guard;
    Limits::Values limits;
    limits.checkIntervalMin = 10;
    limits.checkIntervalMax = 9;
    Limits::Set(limits);
    EXPECT_THROW(ValidConfig().IsValid(), ostrel::logic_error);
    limits = Limits::Values();
    limits.eventLogMax = 0;
    Limits::Set(limits);
    EXPECT_THROW(ValidConfig().IsValid(), ostrel::logic_error);
}

TEST(EntryProperty, ValidityIgnoresMonitoringAndRuntimeState)
{
    EntryProperty p(false, MFP(boost::none, L"host", 80, boost::none, false), User(boost::none, L"id", Password()),
                    ValidConfig(), 2, 1);
    EXPECT_TRUE(p.IsValid());
    p.SetMonitoring(true);
    EXPECT_TRUE(p.IsValid());
    p.SetUser(User());
    EXPECT_FALSE(p.IsValid());
}

TEST(EntryProperty, DefaultPropertyComesFromTheTunables)
{
    EntryDefaults d;
    d.monitoring = false;
    d.http = 8080;
    d.https = 8443;
    d.ssl = true;
    d.logMax = 50;
    d.intervalMs = 70000;
    d.notice = false;
    d.noticeVoice = true;
    d.thumbnailHidden = true;
    d.eraseTimeMs = 1234;
    d.eventRead = true;
    d.deleteMsg = false;
    d.notifyDisplay = 2;
    const EntryProperty p = MakeDefaultEntryProperty(d);
    EXPECT_FALSE(p.GetMonitoring());
    EXPECT_EQ(p.GetMFP(), MFP(boost::none, L"", 8080, 8443, true));
    EXPECT_EQ(p.GetUser(), User());
    EXPECT_EQ(p.GetConfig(), MonitoredEntry::Config(50, 70000, false, true, true, 1234, true, false, 2));
    EXPECT_EQ(::Config::Instance().defaultEntryProperty().GetMFP().GetHTTP(), boost::optional<int>(80));
}

TEST(BasicID, CounterWrapsToZeroPastTheLargest32BitValue)
{
    ID counter(2147483646);
    EXPECT_EQ(counter.Advance(), ID(2147483646));
    EXPECT_EQ(counter.Advance(), ID(2147483647));
    EXPECT_EQ(counter, ID(0));
    EXPECT_TRUE(ID(1) < ID(2));
}

}  // namespace
