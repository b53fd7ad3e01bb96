// QuillhavenServer against the simulated machine on 127.0.0.1, over HTTP and HTTPS.

#include "HTTP/Error.hpp"
#include "HTTP/Net.hpp"
#include "MonitoredEntry/EventProperty.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"
#include "QH/Error.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "RSS/RSSFeed.hpp"
#include "System/System.hpp"
#include "Utility/Text.hpp"

#include "TestSupport.hpp"
#include "QuillhavenSim/Machine.hpp"
#include "TempDir.hpp"

#include <boost/filesystem/operations.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using MonitoredEntry::MFP;
using MonitoredEntry::Password;
using MonitoredEntry::User;
using QuillhavenSim::FaultKind;

namespace {

const HTTP::Timeout kQuick{3000, 0, 3000, 3000};
const std::string kAlice = "\xE3\x82\xA2\xE3\x83\xAA\xE3\x82\xB9";  // アリス

User Account(const std::wstring& id, const std::wstring& password) { return User(boost::none, id, Password(password)); }
User Alice() { return Account(L"alice", L"secret"); }

class SimMachine : public ::testing::TestWithParam<bool> {
protected:
    explicit SimMachine(QuillhavenSim::Options options = {}) : machine(options)
    {
        machine.AddUser("alice", "secret", kAlice);
        machine.AddUser("bob", "hunter2", "Bob");
    }

    MFP Address(bool ssl) const
    {
        return MFP(boost::none, L"127.0.0.1", int(machine.HttpPort()), int(machine.HttpsPort()), ssl);
    }

    std::unique_ptr<RSS::RSSFeed> Feed(QuillhavenServer& server)
    {
        return server.GetRSSFeed(Alice(), server.SubscribeToRSSFeed(61010, Alice(), kQuick));
    }

    QuillhavenSim::Machine machine;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Transports, SimMachine, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Https" : "Http"; });

TEST_P(SimMachine, AccountCommands)
{
    QuillhavenServer server(Address(GetParam()));
    machine.SetMachineName("MX-4051");
    machine.SetSecurityPolicy(2);
    machine.SetGuestLogin(true);
    auto settings = server.GetMachineSettings(kQuick);
    EXPECT_EQ(settings->machineName, "MX-4051");
    EXPECT_EQ(settings->securityPolicy, 1);
    EXPECT_TRUE(settings->guestLogin);

    EXPECT_EQ(server.GetUserInfo(Alice(), kQuick)->displayName, kAlice);
    EXPECT_THROW(server.GetUserInfo(Account(L"carol", L""), kQuick), QH::MissingUser);

    auto users = server.GetUserList(kQuick);
    ASSERT_EQ(users->size(), 2u);
    EXPECT_EQ((*users)[0].number, 1);
    EXPECT_EQ((*users)[1].number, 2);
    std::set<std::string> names{(*users)[0].userName, (*users)[1].userName};
    EXPECT_EQ(names, (std::set<std::string>{"alice", "bob"}));

    EXPECT_TRUE(server.Authenticate(Alice(), kQuick));
    EXPECT_FALSE(server.Authenticate(Account(L"alice", L"wrong"), kQuick));
    EXPECT_FALSE(server.Authenticate(Account(L"carol", L"x"), kQuick));
}

TEST_P(SimMachine, SubscriptionAndFeed)
{
    QuillhavenServer server(Address(GetParam()));
    EXPECT_THROW(server.SubscribeToRSSFeed(61010, Account(L"alice", L"wrong"), kQuick), QH::AuthenticateFailure);
    EXPECT_THROW(server.SubscribeToRSSFeed(61010, Account(L"carol", L"x"), kQuick), QH::MissingUser);

    const std::wstring location = server.SubscribeToRSSFeed(61011, Alice(), kQuick);
    EXPECT_EQ(Text::Narrow(location), machine.FeedLocation("alice"));
    ASSERT_EQ(machine.Subscriptions().size(), 1u);
    EXPECT_EQ(machine.Subscriptions()[0].listenPort, 61011);

    auto empty = server.GetRSSFeed(Alice(), location);
    EXPECT_TRUE(empty->GetItemList().empty());

    const std::string scan = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Pdf, "scan one");
    machine.PublishDetailList("alice", "report", {"line 1", "line 2"});
    const std::string notice = machine.PublishNotice("alice", "toner", "0");
    auto feed = server.GetRSSFeed(Alice(), location);
    const auto& items = feed->GetItemList();
    ASSERT_EQ(items.size(), 3u);

    const auto document = QH::ToEventProperty(items[0]);
    EXPECT_EQ(document.GetInfo(), L"scan one");
    EXPECT_EQ(document.GetDocID(), std::wstring(Text::Widen(scan)));
    ASSERT_TRUE(document.GetThumbNailURL());
    EXPECT_NE(document.GetThumbNailURL()->find(L"&DC=" + Text::Widen(scan)), std::wstring::npos);
    ASSERT_TRUE(document.GetVoiceURL());

    const auto list = QH::ToEventProperty(items[1]);
    ASSERT_TRUE(list.GetDetailList());
    EXPECT_NE(list.GetDetailList()->find(L"line 2\n"), std::wstring::npos);
    EXPECT_FALSE(list.GetDocID());

    const auto reminder = QH::ToEventProperty(items[2]);
    EXPECT_EQ(reminder.GetNotify(), std::wstring(L"1"));
    EXPECT_EQ(reminder.GetNotifyId(), std::wstring(Text::Widen(notice)));
    EXPECT_EQ(reminder.GetContent(), std::wstring(L"toner"));

    // The next reading starts after the last item of this one.
    machine.PublishFax("alice");
    auto later = server.GetRSSFeed(Alice(), location);
    EXPECT_EQ(QH::ItemsAfter(*feed, *later) - later->GetItemList().begin(), 3);

    // Someone else's credentials, or none that fit, read no feed.
    EXPECT_THROW(server.GetRSSFeed(Account(L"bob", L"hunter2"), location), HTTP::Error);
    EXPECT_THROW(server.GetRSSFeed(Account(L"alice", L"wrong"), location), HTTP::Error);

    server.UnsubscribeToRSSFeed(Alice(), kQuick);
    EXPECT_TRUE(machine.Subscriptions().empty());
}

TEST_P(SimMachine, InjectedFaults)
{
    QuillhavenServer server(Address(GetParam()));
    struct Case {
        FaultKind fault;
        std::function<void()> expect;
    } cases[] = {
        {FaultKind::Busy, [&] { EXPECT_THROW(server.GetUserList(kQuick), QH::MachineBusy); }},
        {FaultKind::Wrong, [&] { EXPECT_THROW(server.GetUserList(kQuick), QH::InvalidResponse); }},
        {FaultKind::NonXml, [&] { EXPECT_THROW(server.GetUserList(kQuick), HTTP::Error); }},
        {FaultKind::Forbidden, [&] { EXPECT_THROW(server.GetUserList(kQuick), HTTP::NoAuthority); }},
        {FaultKind::Failure, [&] { EXPECT_THROW(server.GetUserList(kQuick), HTTP::ServerError); }},
        {FaultKind::Busy, [&] { EXPECT_FALSE(server.Authenticate(Alice(), kQuick)); }},
    };
    for (const auto& c : cases) {
        machine.InjectFault(c.fault);
        c.expect();
    }
    machine.InjectFault(FaultKind::Slow, 1, 3000);
    EXPECT_THROW(server.GetUserList(HTTP::Timeout{2000, 0, 2000, 300}), HTTP::Error);
    EXPECT_EQ(server.GetUserList(kQuick)->size(), 2u);  // the machine and the client carry on
}

TEST_P(SimMachine, DocumentOperations)
{
    QuillhavenServer server(Address(GetParam()));
    TempDir dir;
    const std::string pdf = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Pdf);
    const std::string jpeg = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Jpeg);
    const std::string tiff = machine.PublishFax("alice");
    auto feed = Feed(server);
    ASSERT_EQ(feed->GetItemList().size(), 3u);

    const auto event = QH::ToEventProperty(feed->GetItemList()[1]);
    auto thumbnail = server.GetThumbnail(*event.GetThumbNailURL(), Alice());
    ASSERT_GE(thumbnail->GetBytes().size(), 2u);
    EXPECT_EQ(thumbnail->GetBytes()[0], '\xFF');
    EXPECT_EQ(thumbnail->GetBytes()[1], '\xD8');

    auto voice = server.GetImage(*event.GetVoiceURL(), Alice());
    EXPECT_EQ(std::string(voice->begin(), voice->begin() + 4), "RIFF");
    EXPECT_THROW(server.GetImage(*event.GetVoiceURL(), Account(L"bob", L"hunter2")), HTTP::NoAuthority);

    struct Case {
        std::string code;
        const char* path;
        const char* saved;
    } cases[] = {{pdf, "a", "a.pdf"}, {jpeg, "b.jpg", "b.jpg"}, {jpeg, "c.pdf", "c.pdf.jpeg"}, {tiff, "d.TIFF", "d.TIFF"}};
    for (const auto& c : cases) {
        std::wstring path = (dir / c.path).wstring();
        ASSERT_FALSE(server.DownloadDocument(Alice(), Text::Widen(c.code), path, L"u1", 7, kQuick)) << c.path;
        EXPECT_EQ(path, (dir / c.saved).wstring());
        EXPECT_GT(boost::filesystem::file_size(dir / c.saved), 0u);
    }

    server.SetDocumentOption(true);
    server.PrintDocument(Alice(), Text::Widen(pdf), kQuick);
    EXPECT_EQ(machine.PrintedDocuments(), std::vector<std::string>{pdf});
    EXPECT_EQ(machine.Requests().back().target.find("QHR=1") != std::string::npos, true);
    EXPECT_THROW(server.PrintDocument(Account(L"alice", L"wrong"), Text::Widen(pdf), kQuick), HTTP::Error);

    server.DeleteDocument(Alice(), Text::Widen(jpeg), kQuick);
    EXPECT_EQ(machine.DeletedDocuments(), std::vector<std::string>{jpeg});
    EXPECT_THROW(server.DeleteDocument(Alice(), Text::Widen(jpeg), kQuick), HTTP::ServerError);  // gone

    const std::string notice = machine.PublishNotice("alice", "toner", "0");
    server.DeleteNotice(Alice(), L"", Text::Widen(notice), kQuick);
    EXPECT_EQ(machine.DeletedNotices(), std::vector<std::string>{notice});
}

TEST_P(SimMachine, DownloadPreparationStageAndCancel)
{
    QuillhavenServer server(Address(GetParam()));
    TempDir dir;
    const std::string code = machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Tiff);
    machine.SetPreparationCount(2);

    // Kind 7 starts the preparation and brings no document; kind 8 is refused while
    // the machine prepares, then brings it.
    std::wstring path = (dir / "scan").wstring();
    EXPECT_TRUE(server.DownloadDocument(Alice(), Text::Widen(code), path, L"d1", 7, kQuick));
    EXPECT_FALSE(boost::filesystem::exists(dir / "scan"));
    EXPECT_THROW(server.RequestDownload(Alice(), Text::Widen(code), L"d1", 8), HTTP::NoAuthority);
    EXPECT_THROW(server.RequestDownload(Alice(), Text::Widen(code), L"d1", 8), HTTP::NoAuthority);
    ASSERT_FALSE(server.RequestDownload(Alice(), Text::Widen(code), L"d1", 8));
    EXPECT_EQ(server.GetDownloadExtension(), L".tif");
    server.SaveDownload((dir / "scan.tif").wstring());
    EXPECT_EQ(ReadFile(dir / "scan.tif").substr(0, 2), "II");
    EXPECT_EQ(machine.PreparationRefusals(), 2);

    // A cancelled preparation starts over.
    EXPECT_TRUE(server.RequestDownload(Alice(), Text::Widen(code), L"d2", 7));
    server.CancelDownload(Alice(), Text::Widen(code), L"d2");
    EXPECT_EQ(machine.CancelledDownloads(), 1);
    EXPECT_THROW(server.RequestDownload(Alice(), Text::Widen(code), L"d2", 8), HTTP::NoAuthority);
}

TEST_P(SimMachine, BrowserPagesOpenThroughTheOpener)
{
    auto opener = std::make_shared<RecordingOpener>();
    System::SetOpener(opener);
    QuillhavenServer server(Address(GetParam()));
    const std::string code = machine.PublishScan("alice");
    server.OpenInBrowser(Alice(), 3);
    server.OpenInBrowser(Alice(), 4);
    server.OpenInBrowser(Alice(), Text::Widen(code), L"0");
    server.OpenInBrowser(Alice());
    System::SetOpener(nullptr);

    ASSERT_EQ(opener->opened.size(), 4u);
    const std::string base = (GetParam() ? "https://127.0.0.1:" + std::to_string(machine.HttpsPort())
                                         : "http://127.0.0.1:" + std::to_string(machine.HttpPort())) +
                             "/vozoz/norvane?";
    EXPECT_EQ(Text::Narrow(opener->opened[0]), base + "NVF=3&UN=alice");
    EXPECT_EQ(Text::Narrow(opener->opened[2]), base + "NVF=7&UN=alice&DC=" + code + "&NTF=0");
    EXPECT_EQ(Text::Narrow(opener->opened[3]), base + "NVF=9&UN=alice");

    // The machine serves each of those pages.
    for (const std::wstring& address : opener->opened) {
        const std::string text = Text::Narrow(address);
        HTTP::Net net("127.0.0.1");
        net.Open(GetParam() ? machine.HttpsPort() : machine.HttpPort(), GetParam(), kQuick);
        net.SetCredentials("alice", "secret");
        EXPECT_NO_THROW(net.Send(HTTP::Net::GET, text.substr(text.find("/norvane")), nullptr)) << text;
        EXPECT_FALSE(net.Recv()->empty());
    }
}

TEST_P(SimMachine, ThreadsWithTheirOwnServersReadAtTheSameTime)
{
    for (int i = 0; i < 5; ++i) machine.PublishScan("alice");
    QuillhavenServer(Address(GetParam())).SubscribeToRSSFeed(61010, Alice(), kQuick);
    const std::wstring location = Text::Widen(machine.FeedLocation("alice"));
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            QuillhavenServer server(Address(GetParam()));  // one server object per thread
            for (int i = 0; i < 10; ++i) {
                try {
                    if (server.GetRSSFeed(Alice(), location)->GetItemList().size() == 5) ++good;
                } catch (const std::exception&) {
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(good, 40);
}

namespace {
class ShiftJisMachine : public SimMachine {
protected:
    ShiftJisMachine() : SimMachine(QuillhavenSim::Options{0, 0, true, {}}) {}
};
}  // namespace

TEST_F(ShiftJisMachine, FeedIsDecodedToUtf8)
{
    QuillhavenServer server(Address(false));
    const std::string title = "\xE8\xAB\x8B\xE6\xB1\x82\xE6\x9B\xB8 \xE3\x81\x9D\xE3\x81\xAE\xE4\xB8\x80";  // 請求書 その一
    machine.PublishScan("alice", QuillhavenSim::DocumentFormat::Pdf, title);
    auto feed = Feed(server);
    ASSERT_EQ(feed->GetItemList().size(), 1u);
    EXPECT_EQ(feed->GetItemList()[0].title, title);
    EXPECT_EQ(QH::ToEventProperty(feed->GetItemList()[0]).GetInfo(), Text::Widen(title));
}
