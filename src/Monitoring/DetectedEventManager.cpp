#include "Monitoring/DetectedEventManager.hpp"

#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EntryManager.hpp"

#include <boost/thread/thread.hpp>

#include <algorithm>
#include <map>
#include <mutex>

namespace MachineEvent {

namespace {

struct Selector {
    bool bit4Seen = false;

    /// Whether an event of an entry with these settings is announced.
    bool operator()(int bits, const MonitoredEntry::Config& config)
    {
        if ((bits & 1) && (config.GetNotice() || !config.GetNoticeVoice())) return true;
        if (config.GetNotifyDisplay() != 0) return true;
        if (bits & 4) {
            // Of several events asking for the same announcement, one is enough.
            if (bit4Seen) return false;
            bit4Seen = true;
            return true;
        }
        return (bits & 2) != 0;
    }
};

}  // namespace

struct DetectedEventManager::Pimpl {
    Pimpl(MonitoredEntry::EntryManager& manager, DetectedEventQueue& queue) : manager(manager), queue(queue) {}

    MonitoredEntry::EntryManager& manager;
    DetectedEventQueue& queue;
    DetectedEventPointer current;
    std::vector<DetectedEventPointer> batch;
    Selection notify;
    std::mutex observerMutex;
    NotifiableEventManager* observer = nullptr;
};

DetectedEventManager::DetectedEventManager(MonitoredEntry::EntryManager& manager, DetectedEventQueue& queue)
    : pimpl(std::make_unique<Pimpl>(manager, queue))
{
}

DetectedEventManager::~DetectedEventManager()
{
    try {
        stop();
    } catch (...) {
    }
}

void DetectedEventManager::SetObserver(NotifiableEventManager* observer)
{
    std::lock_guard lock(pimpl->observerMutex);
    pimpl->observer = observer;
}

DetectedEventManager::Selection DetectedEventManager::LogBatch(MonitoredEntry::EntryManager& manager,
                                                               const std::vector<DetectedEventPointer>& batch)
{
    Selection selected;
    Selector select;
    MonitoredEntry::EntryManager::Transaction transaction(manager);

    // One private copy of each touched entry and its log, installed once at the end:
    // a large batch does not copy a log per event.
    struct Touched {
        std::shared_ptr<MonitoredEntry::Entry> entry;
        MonitoredEntry::EventLog log;
    };
    std::map<ID, Touched> touched;

    for (const DetectedEventPointer& detected : batch) {
        const ID& entryID = detected->GetEntryID();
        auto found = touched.find(entryID);
        if (found == touched.end()) {
            if (!transaction.Contains(entryID)) continue;
            auto entry = transaction.GetEntryCopy(entryID);
            auto log = entry->GetEventLog();
            found = touched.emplace(entryID, Touched{entry, std::move(log)}).first;
        }
        Touched& t = found->second;
        ID eventID;
        try {
            eventID = t.log.Append(detected->GetProperty());
        } catch (const MonitoredEntry::DuplicateEvent&) {
            continue;  // already logged, or twice in this batch
        }
        if (select(NoticeBits(detected->GetProperty().GetCategorynotice()), t.entry->GetProperty().GetConfig()))
            selected.emplace_back(entryID, eventID);
    }

    std::map<ID, bool> installed;
    for (auto& [id, t] : touched) {
        t.entry->SetEventLog(t.log);
        try {
            transaction.SetEntry(t.entry);
            installed[id] = true;
        } catch (const MonitoredEntry::DBException&) {
            // An entry the store refuses keeps its log; the other entries' events are
            // logged all the same.
            installed[id] = false;
        }
    }
    transaction.Commit();
    // Only events that are in a log now can be announced (a large batch may have
    // trimmed its own first events away).
    Selection kept;
    for (const auto& pair : selected) {
        if (!installed[pair.first]) continue;
        const auto& events = touched.at(pair.first).log.GetEventList();
        const bool present = std::any_of(events.begin(), events.end(),
                                         [&](const auto& event) { return event.GetID() == pair.second; });
        if (present) kept.push_back(pair);
    }
    return kept;
}

int DetectedEventManager::run()
{
    Pimpl& p = *pimpl;
    try {
        for (;;) {
            {
                boost::this_thread::disable_interruption busy;
                for (;;) {
                    if (!p.current && !p.queue.pop(p.current, quietWindowMs)) break;
                    p.batch.push_back(std::move(p.current));
                    p.current.reset();
                    // A stop ends the batch early; what was taken is still logged.
                    if (boost::this_thread::interruption_requested()) break;
                }
            }
            if (!p.batch.empty()) {
                boost::this_thread::disable_interruption busy;
                try {
                    p.notify = LogBatch(p.manager, p.batch);
                } catch (const MonitoredEntry::DBException&) {
                    p.notify.clear();
                }
                p.batch.clear();
                std::lock_guard lock(p.observerMutex);
                if (p.observer)
                    for (const auto& [entryID, eventID] : p.notify) p.observer->Notify(entryID, eventID);
            }
            boost::this_thread::interruption_point();
        }
    } catch (const boost::thread_interrupted&) {
        return 0;
    }
}

}  // namespace MachineEvent
