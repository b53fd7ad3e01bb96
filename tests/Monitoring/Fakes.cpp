#include "Fakes.hpp"

#include "MonitoredEntry/Password.hpp"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/udp.hpp>

namespace Fakes {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

unsigned short FreeUdpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket(io, boost::asio::ip::udp::endpoint(boost::asio::ip::address_v4::any(), 0));
    return socket.local_endpoint().port();
}

ScopedLimits::ScopedLimits() : saved_(Limits::Current())
{
    values = saved_;
    values.listenPort = FreeUdpPort();
    values.checkIntervalMin = 10;
    values.subscribeIntervalMs = 60000;
    values.retrySubscribeIntervalMs = 60000;
    values.machineMonitorIntervalMs = 60000;
    values.eventLogMax = 10000;
    Apply();
}

ScopedLimits::~ScopedLimits() { Limits::Set(saved_); }

MonitoredEntry::EventProperty Property(const std::string& guid, const std::wstring& categorynotice,
                                       const boost::optional<std::wstring>& notify,
                                       const boost::optional<std::wstring>& status,
                                       const boost::optional<std::wstring>& voiceURL)
{
    const RSS::EventTime time("Thu, 10 Dec 2026 10:00:00 +0900");
    const std::wstring code(guid.begin(), guid.end());
    return MonitoredEntry::EventProperty(L"スキャン", L"1", "0", categorynotice, L"document " + code,
                                         std::wstring(L"/thumb/" + code), voiceURL, boost::none, "0", code, notify,
                                         std::wstring(), status, std::wstring(L"0"), time, time);
}

ID AddEntry(MonitoredEntry::EntryManager& manager, const std::wstring& host, int httpPort,
            const EntrySettings& s, bool monitoring)
{
    const MonitoredEntry::MFP mfp(boost::none, host, httpPort, 443, false);
    const MonitoredEntry::User user(boost::none, L"alice", MonitoredEntry::Password(L"secret"));
    const MonitoredEntry::Config config(s.logMax, s.interval, s.notice, s.noticeVoice, false, 10000, false, false,
                                        s.notifyDisplay);
    MonitoredEntry::EntryManager::Transaction transaction(manager);
    const ID id = transaction.Append(MonitoredEntry::EntryProperty(monitoring, mfp, user, config));
    transaction.Commit();
    return id;
}

void ChangeEntry(MonitoredEntry::EntryManager& manager, const ID& id,
                 const std::function<void(MonitoredEntry::EntryProperty&)>& change)
{
    MonitoredEntry::EntryManager::Transaction transaction(manager);
    auto entry = transaction.GetEntryCopy(id);
    auto property = entry->GetProperty();
    change(property);
    entry->SetProperty(property);
    transaction.SetEntry(entry);
    transaction.Commit();
}

MonitoredEntry::EventLog Log(MonitoredEntry::EntryManager& manager, const ID& id)
{
    std::lock_guard lock(manager);
    return manager.GetDB().GetEntry(id).GetEventLog();
}

MonitoredEntry::EntryProperty PropertyOf(MonitoredEntry::EntryManager& manager, const ID& id)
{
    std::lock_guard lock(manager);
    return manager.GetDB().GetEntry(id).GetProperty();
}

bool RecordingSound::Play(const std::shared_ptr<const MachineEvent::WaveBytes>& wav)
{
    std::lock_guard lock(mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (playing_ && now < endsAt_) return false;
    playing_ = true;
    endsAt_ = now + std::chrono::milliseconds(durationMs_);
    played_.push_back(*wav);
    return true;
}

bool RecordingSound::IsPlaying()
{
    std::lock_guard lock(mutex_);
    return playing_ && std::chrono::steady_clock::now() < endsAt_;
}

void RecordingSound::Stop()
{
    std::lock_guard lock(mutex_);
    playing_ = false;
    ++stops_;
}

std::vector<MachineEvent::WaveBytes> RecordingSound::Played() const
{
    std::lock_guard lock(mutex_);
    return played_;
}

int RecordingSound::Stops() const
{
    std::lock_guard lock(mutex_);
    return stops_;
}

class FakePopup : public MachineEvent::Popup {
public:
    FakePopup(FakePopups& owner, std::size_t index) : owner_(owner), index_(index) {}

    void LoadThumbnail() override
    {
        std::lock_guard lock(owner_.mutex_);
        owner_.made_[index_].thumbnailLoaded = true;
    }

    MachineEvent::PopupResult Run() override
    {
        std::unique_lock lock(owner_.mutex_);
        ++owner_.showing_;
        owner_.changed_.notify_all();
        owner_.changed_.wait(lock, [&] { return closed_ || !owner_.held_; });
        --owner_.showing_;
        if (closed_) return MachineEvent::PopupResult::Cancel;
        if (owner_.script_.empty()) return MachineEvent::PopupResult::OK;
        const auto result = owner_.script_.front();
        owner_.script_.pop_front();
        return result;
    }

    void Close() override
    {
        std::lock_guard lock(owner_.mutex_);
        closed_ = true;
        owner_.made_[index_].closedByRequest = true;
        owner_.changed_.notify_all();
    }

private:
    FakePopups& owner_;
    std::size_t index_;
    bool closed_ = false;  // guarded by the owner's mutex
};

std::unique_ptr<MachineEvent::Popup> FakePopups::Make(const std::shared_ptr<const MachineEvent::Event>& snapshot,
                                                      MonitoredEntry::EntryManager&, const ID& entryID,
                                                      const ID& eventID)
{
    std::lock_guard lock(mutex_);
    made_.push_back(Made{snapshot, entryID, eventID});
    return std::make_unique<FakePopup>(*this, made_.size() - 1);
}

void FakePopups::Script(std::deque<MachineEvent::PopupResult> results)
{
    std::lock_guard lock(mutex_);
    script_ = std::move(results);
}

void FakePopups::Hold()
{
    std::lock_guard lock(mutex_);
    held_ = true;
}

void FakePopups::Release()
{
    std::lock_guard lock(mutex_);
    held_ = false;
    changed_.notify_all();
}

std::vector<FakePopups::Made> FakePopups::MadeSoFar() const
{
    std::lock_guard lock(mutex_);
    return made_;
}

bool FakePopups::Showing() const
{
    std::lock_guard lock(mutex_);
    return showing_ > 0;
}

}  // namespace Fakes
