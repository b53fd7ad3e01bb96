#pragma once
// Builders shared by the entry tests.

#include "Application/Limits.hpp"
#include "MonitoredEntry/EntryProperty.hpp"
#include "MonitoredEntry/EventProperty.hpp"

#include <string>

namespace TestData {

/// Puts the process-wide limits back as they were.
class LimitsGuard {
public:
    LimitsGuard() : saved_(Limits::Current()) {}
    ~LimitsGuard() { Limits::Set(saved_); }

private:
    Limits::Values saved_;
};

inline MonitoredEntry::EntryProperty Property(const std::wstring& host, bool monitoring = true, int logMax = 10,
                                              const std::wstring& account = L"user")
{
    using namespace MonitoredEntry;
    return EntryProperty(monitoring, MFP(boost::none, host, 80, 443, false),
                         User(boost::none, account, Password()),
                         Config(logMax, 60000, true, false, false, 10000, false, true, 1));
}

inline MonitoredEntry::EventProperty MakeEvent(const std::wstring& info,
                                           const std::string& time = "Tue, 10 Jun 2008 04:00:00 GMT")
{
    return MonitoredEntry::EventProperty(L"受信", L"1", "0", L"1", info, std::wstring(L"thumb.jpg"), boost::none,
                                         boost::none, "0", std::wstring(L"doc"), std::wstring(L"-1"), std::wstring(),
                                         std::wstring(L"-1"), std::wstring(L"0"), RSS::EventTime(time),
                                         RSS::EventTime(time));
}

}  // namespace TestData

#include "MonitoredEntry/EntryManager.hpp"

namespace TestData {

/// One entry with every optional member present, one logged event and a latest feed
/// of one item, with Japanese text and characters that need escaping.
/// The password "pw" as the program's cipher stored it once (the nonce makes every
/// enciphering differ, so stored bytes are fixed here).
inline MonitoredEntry::Password StoredPassword()
{
    return MonitoredEntry::Password::FromData({18,  183, 19,  208, 49,  29, 196, 57,  207, 175, 43,
                                               235, 224, 12,  24,  119, 78, 105, 202, 59,  106, 237,
                                               159, 155, 142, 4,   197, 149, 94, 250, 101, 230});
}

inline void FillExampleStore(MonitoredEntry::EntryManager& manager)
{
    using namespace MonitoredEntry;
    EntryManager::Transaction t(manager);
    const EntryProperty property(true, MFP(std::wstring(L"複合機 A"), L"192.168.0.10", 80, 443, false),
                                 User(std::wstring(L"山田 太郎"), L"yamada", StoredPassword()),
                                 Config(200, 1800000, true, false, false, 10000, false, true, 1));
    const ID id = t.Append(property);
    auto entry = t.GetEntryCopy(id);
    EventLog log = entry->GetEventLog();
    const ID eventId = log.Append(EventProperty(
        L"スキャン受信", L"12", "1", L"3", L"資料 <A&B>", std::wstring(L"/thumb?id=1&size=s"),
        std::wstring(L"/voice/1.wav"), std::wstring(L"A1\nB2\n"), "1", std::wstring(L"1"), std::wstring(L"0"),
        std::wstring(L"お知らせ"), std::wstring(L"1"), std::wstring(L"12"),
        RSS::EventTime("Tue, 10 Jun 2008 04:00:00 +0900"), RSS::EventTime("Tue, 10 Jun 2008 04:00:05 +0900")));
    Event event = log.GetEvent(eventId);
    event.SetRead(true);
    log.SetEvent(event);
    entry->SetEventLog(log);
    RSS::Item item{"スキャン受信", "/thumb?id=1&size=s", "1", "html", "スキャン受信", "12", "1", "3", "doc-1",
                   "/voice/1.wav", "audio/wav", "1024", "0", "お知らせ", "1", "12",
                   "Tue, 10 Jun 2008 04:00:00 +0900", "Tue, 10 Jun 2008 04:00:05 +0900"};
    entry->SetLatestRSSFeed(RSS::RSSFeed("山田 太郎", "http://192.168.0.10/", "Tue, 10 Jun 2008 04:00:05 +0900", {item}));
    t.SetEntry(entry);
    t.Commit();
}

}  // namespace TestData
