#include "EventWindowFixture.hpp"
#include "QtApplication.hpp"

#include "EventLoop.hpp"

#include "MonitoredEntry/Entry.hpp"
#include "MonitoredEntry/EntryDB.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "QH/TimeoutTable.hpp"
#include "RSS/RSSFeed.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QThread>

#include <thread>

namespace EventWindowsTest {

using namespace MonitoredEntry;

void RecordingMessages::Show(const std::wstring& text, UI::MessageIcon icon)
{
    std::lock_guard lock(mutex_);
    texts_.push_back(text);
    lastIcon_ = icon;
}

bool RecordingMessages::Ask(const std::wstring& text)
{
    std::lock_guard lock(mutex_);
    texts_.push_back(text);
    return answer;
}

std::vector<unsigned> RecordingMessages::Shown() const
{
    // Texts back to their numbers; 178 and 215 share a text and count as 178.
    static const unsigned known[] = {168, 177, 178, 213, 214, 217};
    std::lock_guard lock(mutex_);
    std::vector<unsigned> ids;
    for (const auto& text : texts_) {
        unsigned id = 0;
        for (unsigned candidate : known) {
            if (LoadString(candidate) == text) {
                id = candidate;
                break;
            }
        }
        ids.push_back(id);
    }
    return ids;
}

UI::MessageIcon RecordingMessages::LastIcon() const
{
    std::lock_guard lock(mutex_);
    return lastIcon_;
}

bool RecordingOpener::Open(const std::wstring& fileOrAddress, const std::wstring&)
{
    std::lock_guard lock(mutex_);
    opened_.push_back(fileOrAddress);
    return true;
}

std::vector<std::wstring> RecordingOpener::Opened() const
{
    std::lock_guard lock(mutex_);
    return opened_;
}

std::optional<std::wstring> ScriptedSaveAs::Choose(QWidget*, const std::wstring& filter, const std::wstring& suffix)
{
    EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
    ++calls;
    offeredFilter = filter;
    offeredSuffix = suffix;
    return answer;
}

void EventWindowFixture::SetUpTestSuite()
{
    EnsureApplication();
}

EventWindowFixture::EventWindowFixture()
{
    machine.AddUser("alice", "secret", "Alice & Co");
    machine.SetMachineName("Front desk");
    QH::Config table;
    for (std::size_t kind = 0; kind < QH::RequestKinds; ++kind)
        table[static_cast<QH::Request>(kind)] = HTTP::Timeout{2000, 0, 3000, 3000};
    QH::Config::Install(table);
    UI::Message::SetService(messages);
    System::SetOpener(opener);
    UI::SaveAs::SetChooser(saveAs);
    MakeEntry({}, 0);
}

EventWindowFixture::~EventWindowFixture()
{
    UI::Message::SetService(nullptr);
    System::SetOpener(nullptr);
    UI::SaveAs::SetChooser(nullptr);
}

MFP EventWindowFixture::Machine() const
{
    return MFP(std::wstring(L"Front & desk"), L"127.0.0.1", int(machine.HttpPort()), int(machine.HttpsPort()), false);
}

User EventWindowFixture::Alice() const { return User(std::wstring(L"Alice"), L"alice", Password(L"secret")); }

EventProperty EventWindowFixture::PublishScan(QuillhavenSim::DocumentFormat format)
{
    const std::wstring code = Text::Widen(machine.PublishScan("alice", format));
    QuillhavenServer server(Machine());
    const HTTP::Timeout timeout{2000, 0, 3000, 3000};
    const auto feed = server.GetRSSFeed(Alice(), server.SubscribeToRSSFeed(61010, Alice(), timeout));
    for (const auto& item : feed->GetItemList()) {
        EventProperty property = QH::ToEventProperty(item);
        if (property.GetDocID() == code) return property;
    }
    throw std::runtime_error("the published scan is not in the feed");
}

EventProperty EventWindowFixture::MakeProperty(const boost::optional<std::wstring>& thumbnail,
                                               const boost::optional<std::wstring>& detailList,
                                               const std::wstring& notify, const std::string& categorytype)
{
    const RSS::EventTime time("Tue, 10 Jun 2008 04:00:05 +0900");
    return EventProperty(L"Scan <A&B>", L"3", categorytype, L"1", L"Info & more", thumbnail, boost::none, detailList,
                         categorytype, std::wstring(L"0001"), notify, std::wstring(L"Pay the & bill"),
                         std::wstring(L"0"), std::wstring(L"N1"), time, time);
}

void EventWindowFixture::MakeEntry(const std::vector<EventProperty>& events, int unread, const EntrySettings& settings)
{
    const MonitoredEntry::Config config(100, 60000, true, false, settings.thumbnailHidden, settings.eraseTime,
                                        settings.eventRead, settings.deleteMsg, 1);
    auto entry = std::make_shared<Entry>(ID(0), EntryProperty(settings.monitoring, Machine(), Alice(), config));
    EventLog log = entry->GetEventLog();
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ID id = log.Append(events[i]);
        if (int(i) >= unread) {
            Event event = log.GetEvent(id);
            event.SetRead(true);
            log.SetEvent(event);
        }
    }
    entry->SetEventLog(log);
    manager = std::make_unique<EntryManager>(EntryDB(ID(1), {entry}));
}

std::shared_ptr<const MachineEvent::Event> EventWindowFixture::Snapshot(const EventProperty& property) const
{
    return std::make_shared<const MachineEvent::Event>(Event(ID(0), property), Machine(), Alice());
}

std::vector<char> PngBytes(const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<char>(png.begin(), png.end());
}

bool EventWindowFixture::WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    return SpinUntil(condition, limit);
}

}  // namespace EventWindowsTest
