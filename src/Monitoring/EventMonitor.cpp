#include "Monitoring/EventMonitor.hpp"

#include "HTTP/Error.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/EntryState.hpp"
#include "Monitoring/Signal.hpp"
#include "Monitoring/Subscriber.hpp"
#include "QH/Error.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/RSSAnalysis.hpp"
#include "RSS/RSSFeed.hpp"

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <vector>

namespace Monitor {

namespace {
// Distinct senders kept for matching; beyond that a reading is simply made.
constexpr std::size_t candidateLimit = 16;
// Readings on signals: a burst of a few at once, then one per refill period. A flood of
// datagrams thus costs a handful of readings, while a lone signal is always read at once.
constexpr double readingBurst = 3;
constexpr auto readingRefill = boost::chrono::milliseconds(250);
}  // namespace

struct EventMonitor::Pimpl {
    Pimpl(const ID& id, MonitoredEntry::EntryManager& manager, MachineEvent::DetectedEventQueue& queue)
        : manager(manager), queue(queue), id(id), subscriber(id, manager)
    {
    }

    MonitoredEntry::EntryManager& manager;
    MachineEvent::DetectedEventQueue& queue;
    const ID id;

    // Monitor thread only.
    std::unique_ptr<RSS::RSSFeed> fetched;
    std::deque<MachineEvent::DetectedEventPointer> pending;
    std::unique_ptr<RSS::RSSFeed> latest;

    Subscriber subscriber;
    // Serializes starting and stopping the subscriber, which may wait for an
    // unsubscription; the monitor lock is never held meanwhile, so signals never wait.
    boost::mutex subscriberMutex;

    mutable boost::mutex mutex;  // the monitor lock
    boost::condition_variable wakeUp;
    MonitoredEntry::Distinction distinction;
    int interval = 0;
    bool running = false;
    bool disabled = false;
    bool signalled = false;
    std::vector<std::unique_ptr<Signal>> candidates;  // signals not yet matched
    unsigned long readings = 0;

    // Monitor thread only: the allowance of readings on signals.
    double tokens = readingBurst;
    boost::chrono::steady_clock::time_point refilled = boost::chrono::steady_clock::now();

    /// Waits, if the allowance is used up, until the next reading on a signal may start.
    void Throttle()
    {
        using namespace boost::chrono;
        const auto now = steady_clock::now();
        tokens = std::min(readingBurst, tokens + duration<double>(now - refilled) / readingRefill);
        refilled = now;
        if (tokens < 1) {
            const auto wait = duration_cast<milliseconds>((1 - tokens) * duration<double, boost::milli>(readingRefill));
            boost::this_thread::sleep_for(wait + milliseconds(1));
            const auto later = steady_clock::now();
            tokens = std::min(readingBurst, tokens + duration<double>(later - refilled) / readingRefill);
            refilled = later;
        }
        tokens -= 1;
    }
};

EventMonitor::EventMonitor(const ID& id, MonitoredEntry::EntryManager& manager,
                           MachineEvent::DetectedEventQueue& queue)
    : pimpl(std::make_unique<Pimpl>(id, manager, queue))
{
}

EventMonitor::~EventMonitor()
{
    try {
        stop();
    } catch (...) {
    }
}

const ID& EventMonitor::GetID() const { return pimpl->id; }

unsigned long EventMonitor::Readings() const
{
    boost::lock_guard lock(pimpl->mutex);
    return pimpl->readings;
}

void EventMonitor::OnSignal(const Signal& signal)
{
    Pimpl& p = *pimpl;
    boost::lock_guard lock(p.mutex);
    if (!p.running || p.disabled || p.signalled) return;
    if (signal.IsImmediate()) {
        if (signal.Match(p.distinction)) p.signalled = true;
    } else {
        const auto* event = dynamic_cast<const EventSignal*>(&signal);
        const bool known = event && std::any_of(p.candidates.begin(), p.candidates.end(), [&](const auto& c) {
                               const auto* other = dynamic_cast<const EventSignal*>(c.get());
                               return other && other->GetSender() == event->GetSender();
                           });
        if (!known) {
            if (p.candidates.size() < candidateLimit)
                p.candidates.push_back(signal.Clone());
            else
                p.signalled = true;
        }
    }
    p.wakeUp.notify_all();
}

void EventMonitor::Update()
{
    Pimpl& p = *pimpl;
    const auto view = ReadEntry(p.manager, p.id);
    if (!view) return;

    boost::lock_guard control(p.subscriberMutex);
    enum class Action { None, Start, Stop } action = Action::None;
    {
        boost::lock_guard lock(p.mutex);
        if (!p.running) return;
        const bool hostChanged = p.distinction.GetMFP().GetHost() != view->distinction.GetMFP().GetHost();
        p.distinction = view->distinction;
        p.interval = view->interval;
        if (view->monitoring && (hostChanged || p.disabled)) {
            action = Action::Start;
            p.disabled = false;
        } else if (!view->monitoring && !p.disabled) {
            action = Action::Stop;
            p.disabled = true;
            p.candidates.clear();
        }
    }
    if (action == Action::Start) p.subscriber.start();
    if (action == Action::Stop) p.subscriber.stop();
    boost::this_thread::yield();
    p.subscriber.Refresh();
    boost::lock_guard lock(p.mutex);
    // Set only now that the subscriber has started: the reading waits for its first attempt.
    if (action == Action::Start) p.signalled = true;
    p.wakeUp.notify_all();
}

int EventMonitor::run()
{
    struct Ending {
        EventMonitor& monitor;
        ~Ending() { monitor.End(); }
    } ending{*this};

    Pimpl& p = *pimpl;
    EntryView view;
    {
        std::lock_guard lock(p.manager);
        const auto found = ReadEntry(p.manager, p.id);
        if (!found) return 0;
        view = *found;
        const auto& feed = p.manager.GetDB().GetEntry(p.id).GetLatestRSSFeed();
        if (feed) p.latest = std::make_unique<RSS::RSSFeed>(*feed);
    }
    {
        boost::lock_guard control(p.subscriberMutex);
        if (view.monitoring) p.subscriber.start();
        boost::lock_guard lock(p.mutex);
        p.distinction = view.distinction;
        p.interval = view.interval;
        p.running = true;
        p.disabled = !view.monitoring;
        p.signalled = false;
    }

    try {
        for (;;) {
            if (!p.fetched) {
                {
                    boost::lock_guard lock(p.mutex);
                    p.signalled = false;
                }
                ReadFeed();
            }
            if (p.fetched) {
                if (p.pending.empty()) Detect();
                if (!p.pending.empty())
                    Deliver();
                else
                    p.fetched.reset();
            }
            if (Wait()) p.Throttle();
        }
    } catch (const boost::thread_interrupted&) {
        return 0;
    }
}

void EventMonitor::End()
{
    boost::this_thread::disable_interruption quiet;
    Pimpl& p = *pimpl;
    try {
        boost::lock_guard control(p.subscriberMutex);
        p.subscriber.stop();
    } catch (...) {
    }
    boost::lock_guard lock(p.mutex);
    p.running = false;
    p.candidates.clear();
}

void EventMonitor::ReadFeed()
{
    Pimpl& p = *pimpl;
    // The machine and account are taken while the location is held, so that both
    // belong together; nobody holding the monitor lock ever waits for the location.
    MonitoredEntry::Distinction distinction;
    Subscriber::ScopedRSSFeedURLLock urlLock(p.subscriber);
    const auto url = urlLock.GetURL(
        [&] {
            boost::lock_guard lock(p.mutex);
            return p.distinction;
        },
        distinction);
    if (!url) return;
    {
        boost::lock_guard lock(p.mutex);
        ++p.readings;
    }
    try {
        QuillhavenServer server(distinction.GetMFP());
        SetErrorFlag(p.manager, p.id, 0);
        p.fetched = server.GetRSSFeed(distinction.GetUser(), *url);
    } catch (const QH::InvalidRSSFeed&) {
        SetErrorFlag(p.manager, p.id, 1);
    } catch (const HTTP::Error&) {
        SetErrorFlag(p.manager, p.id, 1);
    } catch (const boost::thread_interrupted&) {
        throw;
    } catch (...) {
        SetErrorFlag(p.manager, p.id, 1);
        throw;
    }
}

void EventMonitor::Detect()
{
    Pimpl& p = *pimpl;
    const auto& items = p.fetched->GetItemList();
    auto first = items.begin();
    if (p.latest) first = QH::ItemsAfter(*p.latest, *p.fetched);
    for (auto item = first; item != items.end(); ++item) {
        try {
            p.pending.push_back(std::make_shared<const MachineEvent::DetectedEvent>(p.id, QH::ToEventProperty(*item)));
        } catch (const boost::thread_interrupted&) {
            throw;
        } catch (const std::exception&) {
            // An item whose notice date cannot be read stands for no event; the items
            // around it are still logged and the reading is still accepted.
        }
    }
}

void EventMonitor::Deliver()
{
    Pimpl& p = *pimpl;
    while (!p.pending.empty()) {
        // Waits while the pipeline is full, but stays interruptible.
        while (!p.queue.try_push(p.pending.front())) boost::this_thread::sleep_for(boost::chrono::milliseconds(2));
        p.pending.pop_front();
    }
    p.latest = std::move(p.fetched);

    MonitoredEntry::EntryManager::Transaction transaction(p.manager);
    if (!transaction.Contains(p.id)) return;
    auto entry = transaction.GetEntryCopy(p.id);
    entry->SetLatestRSSFeed(*p.latest);
    try {
        transaction.SetEntry(entry);
        transaction.Commit();
    } catch (const MonitoredEntry::DBException&) {
    }
}

bool EventMonitor::Wait()
{
    Pimpl& p = *pimpl;
    int interval;
    {
        boost::lock_guard lock(p.mutex);
        interval = std::max(p.interval, 1);
    }
    const auto deadline = boost::chrono::steady_clock::now() + boost::chrono::milliseconds(interval);
    for (;;) {
        std::vector<std::unique_ptr<Signal>> candidates;
        MonitoredEntry::Distinction distinction;
        {
            boost::unique_lock lock(p.mutex);
            const bool woken = p.wakeUp.wait_until(lock, deadline, [&] {
                return p.running && !p.disabled && (p.signalled || !p.candidates.empty());
            });
            if (!woken || p.signalled) {
                p.candidates.clear();
                return woken;
            }
            candidates.swap(p.candidates);
            distinction = p.distinction;
        }
        // Name lookups run here, on the monitor's own thread and without its lock.
        const bool matched = std::any_of(candidates.begin(), candidates.end(),
                                         [&](const auto& signal) { return signal->Match(distinction); });
        if (matched) {
            boost::lock_guard lock(p.mutex);
            p.signalled = true;
            return true;
        }
    }
}

}  // namespace Monitor
