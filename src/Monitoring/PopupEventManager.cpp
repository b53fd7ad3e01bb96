#include "Monitoring/PopupEventManager.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Monitoring/VoicePlayer.hpp"
#include "QH/QuillhavenServer.hpp"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace MachineEvent {

struct PopupEventManager::Pimpl {
    Pimpl(MonitoredEntry::EntryManager& manager, PopupFactory& popups, SoundOutput& sound, const Timing& timing)
        : manager(manager), popups(popups), sound(sound), timing(timing)
    {
    }

    MonitoredEntry::EntryManager& manager;
    PopupFactory& popups;
    SoundOutput& sound;
    const Timing timing;

    mutable std::mutex mutex;
    std::condition_variable wakeUp;
    std::deque<std::pair<ID, ID>> pending;
    std::unique_ptr<Popup> current;  // kept after it closed, until the next one replaces it
};

namespace {

std::shared_ptr<const WaveBytes> DownloadVoice(const Event& snapshot)
{
    try {
        QuillhavenServer server(snapshot.GetMFP());
        auto bytes = server.GetImage(*snapshot.GetProperty().GetVoiceURL(), snapshot.GetUser());
        if (!bytes || bytes->empty()) return nullptr;
        return std::make_shared<const WaveBytes>(std::move(*bytes));
    } catch (...) {
        return nullptr;  // no voice for this event
    }
}

}  // namespace

PopupEventManager::PopupEventManager(MonitoredEntry::EntryManager& manager, PopupFactory& popups, SoundOutput& sound)
    : PopupEventManager(manager, popups, sound, Timing())
{
}

PopupEventManager::PopupEventManager(MonitoredEntry::EntryManager& manager, PopupFactory& popups, SoundOutput& sound,
                                     const Timing& timing)
    : pimpl(std::make_unique<Pimpl>(manager, popups, sound, timing))
{
}

PopupEventManager::~PopupEventManager()
{
    try {
        stop();
    } catch (...) {
    }
}

void PopupEventManager::Notify(const ID& entryID, const ID& eventID)
{
    if (interruption_requested()) return;
    std::lock_guard lock(pimpl->mutex);
    pimpl->pending.emplace_back(entryID, eventID);
    const std::size_t limit = std::max(Limits::Current().detectedEventQueueSize, 1);
    while (pimpl->pending.size() > limit) pimpl->pending.pop_front();
    pimpl->wakeUp.notify_all();
}

std::size_t PopupEventManager::Pending() const
{
    std::lock_guard lock(pimpl->mutex);
    return pimpl->pending.size();
}

void PopupEventManager::on_interrupt()
{
    std::lock_guard lock(pimpl->mutex);
    pimpl->wakeUp.notify_all();
    if (pimpl->current) pimpl->current->Close();
}

int PopupEventManager::run()
{
    Pimpl& p = *pimpl;
    while (!interruption_requested()) {
        std::pair<ID, ID> next;
        {
            std::unique_lock lock(p.mutex);
            p.wakeUp.wait(lock, [&] { return interruption_requested() || !p.pending.empty(); });
            if (interruption_requested()) return 0;
            next = p.pending.front();
            p.pending.pop_front();
        }
        Handle(next.first, next.second);
    }
    return 0;
}

void PopupEventManager::Handle(const ID& entryID, const ID& eventID)
{
    Pimpl& p = *pimpl;
    const auto snapshot = LookUp(p.manager, entryID, eventID);
    if (!snapshot) return;

    const int bits = NoticeBits(snapshot->GetProperty().GetCategorynotice());
    MonitoredEntry::Config config;
    {
        std::lock_guard lock(p.manager);
        if (!p.manager.GetDB().Contains(entryID)) return;
        config = p.manager.GetDB().GetEntry(entryID).GetProperty().GetConfig();
    }

    const auto& property = snapshot->GetProperty();
    if (property.GetNotify() && *property.GetNotify() == L"1") {
        if (config.GetNotifyDisplay() == 2 && property.GetStatus() && *property.GetStatus() == L"2") {
            auto& flags = GetNoticeFlags();
            flags.noticeRequested = true;
            flags.overduePending = true;
        }
        MarkRead(p.manager, entryID, eventID);
        return;
    }

    const bool popup = (bits & 1) && config.GetNotice();
    const bool voice = (bits & 6) && config.GetNoticeVoice();

    Popup* shown = nullptr;
    if (popup) {
        auto made = p.popups.Make(snapshot, p.manager, entryID, eventID);
        std::lock_guard lock(p.mutex);
        p.current = std::move(made);
        shown = p.current.get();
        // A stop that came while the popup was made finds it now.
        if (interruption_requested()) shown->Close();
    }
    if (shown) shown->LoadThumbnail();

    std::unique_ptr<VoicePlayer> player;
    if (voice && property.GetVoiceURL()) {
        if (auto wav = DownloadVoice(*snapshot)) {
            player = std::make_unique<VoicePlayer>(p.sound, std::move(wav));
            player->Start();
        }
    }

    bool confirmed = false;
    if (shown) {
        const PopupResult result = shown->Run();
        if (result == PopupResult::OK) {
            MarkRead(p.manager, entryID, eventID);
            confirmed = true;
        } else if (result == PopupResult::EventLog) {
            std::lock_guard lock(p.mutex);
            p.pending.clear();
        }
    }

    if (player) {
        bool stopAsked = false;
        for (int round = 0; round < p.timing.voiceRounds && player->GetState() == VoicePlayer::State::Playing; ++round) {
            // A confirmed popup, or the end of the program, silences its voice.
            if ((confirmed || interruption_requested()) && !stopAsked) {
                player->RequestStop();
                stopAsked = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(p.timing.voicePollMs));
        }
    }
    if (interruption_requested()) return;  // the player's destructor stops a voice still playing

    std::unique_lock lock(p.mutex);
    p.wakeUp.wait_for(lock, std::chrono::milliseconds(p.timing.pauseMs), [&] { return interruption_requested(); });
}

std::shared_ptr<const Event> PopupEventManager::LookUp(const MonitoredEntry::EntryManager& manager, const ID& entryID,
                                                       const ID& eventID)
{
    std::lock_guard lock(manager);
    const auto& db = manager.GetDB();
    if (!db.Contains(entryID)) return nullptr;
    const auto& entry = db.GetEntry(entryID);
    const auto& config = entry.GetProperty().GetConfig();
    if (!config.GetNotice() && !config.GetNoticeVoice() && config.GetNotifyDisplay() == 0) return nullptr;
    const auto& log = entry.ReadEventLog();
    if (log.CountUnread() == 0) return nullptr;
    for (const auto& event : log.GetEventList())
        if (event.GetID() == eventID)
            return std::make_shared<const Event>(event, entry.GetProperty().GetMFP(), entry.GetProperty().GetUser());
    return nullptr;
}

void PopupEventManager::MarkRead(MonitoredEntry::EntryManager& manager, const ID& entryID, const ID& eventID)
{
    try {
        MonitoredEntry::EntryManager::Transaction transaction(manager);
        if (!transaction.Contains(entryID)) return;
        auto entry = transaction.GetEntryCopy(entryID);
        auto log = entry->GetEventLog();
        auto event = log.GetEvent(eventID);
        event.SetRead(true);
        log.SetEvent(event);
        entry->SetEventLog(log);
        transaction.SetEntry(entry);
        transaction.Commit();
    } catch (const MonitoredEntry::DBException&) {
        // The event went meanwhile (trimmed or deleted): nothing to mark.
    }
}

}  // namespace MachineEvent
