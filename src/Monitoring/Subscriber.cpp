#include "Monitoring/Subscriber.hpp"

#include "Application/Limits.hpp"
#include "HTTP/Error.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/EntryState.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/TimeoutTable.hpp"

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/thread.hpp>

#include <mutex>

namespace Monitor {

using MonitoredEntry::MFP;
using MonitoredEntry::User;

struct Subscriber::Pimpl {
    Pimpl(const ID& id, MonitoredEntry::EntryManager& manager) : manager(manager), id(id) {}

    MonitoredEntry::EntryManager& manager;
    const ID id;

    boost::mutex snapshotMutex;
    boost::condition_variable wakeUp;
    MFP mfp;
    User user;
    bool changed = false;

    boost::mutex urlMutex;
    boost::condition_variable urlReady;
    boost::optional<std::wstring> url;
    MFP urlMfp;  // what the location was subscribed with
    User urlUser;
    bool ready = false;

    /// The location serves a reading of this machine and account.
    bool Serves(const MFP& mfp, const User& user) const
    {
        return urlMfp.GetHost() == mfp.GetHost() && urlMfp.GetHTTP() == mfp.GetHTTP() &&
               urlMfp.GetHTTPS() == mfp.GetHTTPS() && urlMfp.GetSSL() == mfp.GetSSL() &&
               urlUser.GetID() == user.GetID() && urlUser.GetPassword() == user.GetPassword();
    }

    /// The entry's machine and user, if it exists.
    bool Read(MFP& mfpOut, User& userOut)
    {
        std::lock_guard lock(manager);
        if (!manager.GetDB().Contains(id)) return false;
        const auto& property = manager.GetDB().GetEntry(id).GetProperty();
        mfpOut = property.GetMFP();
        userOut = property.GetUser();
        return true;
    }
};

Subscriber::Subscriber(const ID& id, MonitoredEntry::EntryManager& manager)
    : pimpl(std::make_unique<Pimpl>(id, manager))
{
}

Subscriber::~Subscriber()
{
    try {
        stop();
    } catch (...) {
    }
}

void Subscriber::on_start()
{
    MFP mfp;
    User user;
    const bool found = pimpl->Read(mfp, user);
    {
        boost::lock_guard lock(pimpl->snapshotMutex);
        if (found) {
            pimpl->mfp = mfp;
            pimpl->user = user;
        }
        pimpl->changed = false;
    }
    boost::lock_guard lock(pimpl->urlMutex);
    pimpl->ready = false;
}

void Subscriber::Refresh()
{
    MFP mfp;
    User user;
    if (!pimpl->Read(mfp, user)) return;
    boost::lock_guard lock(pimpl->snapshotMutex);
    if (mfp == pimpl->mfp && user == pimpl->user) return;
    pimpl->mfp = mfp;
    pimpl->user = user;
    pimpl->changed = true;
    pimpl->wakeUp.notify_all();
}

Subscriber::ScopedRSSFeedURLLock::ScopedRSSFeedURLLock(Subscriber& subscriber)
    : subscriber_(subscriber), lock_(subscriber.pimpl->urlMutex)
{
}

boost::optional<std::wstring> Subscriber::ScopedRSSFeedURLLock::GetURL(
    const std::function<MonitoredEntry::Distinction()>& current, MonitoredEntry::Distinction& used)
{
    Pimpl& p = *subscriber_.pimpl;
    p.urlReady.wait(lock_, [&] { return p.ready; });
    for (;;) {
        used = current();
        const auto serves = [&] { return !p.url || p.Serves(used.GetMFP(), used.GetUser()); };
        if (p.urlReady.wait_for(lock_, boost::chrono::milliseconds(100), serves)) return p.url;
    }
}

int Subscriber::run()
{
    // Whatever ends the thread, the subscription goes with it.
    struct Ending {
        Subscriber& subscriber;
        ~Ending() { subscriber.End(); }
    } ending{*this};

    Pimpl& p = *pimpl;
    for (;;) {
        MFP mfp;
        User user;
        {
            boost::lock_guard lock(p.snapshotMutex);
            mfp = p.mfp;
            user = p.user;
            p.changed = false;
        }
        boost::this_thread::interruption_point();
        try {
            QuillhavenServer server(mfp);
            {
                boost::unique_lock lock(p.urlMutex);
                boost::this_thread::interruption_point();
                p.url.reset();
                p.url = server.SubscribeToRSSFeed(user);
                p.urlMfp = mfp;
                p.urlUser = user;
                p.ready = true;
            }
            p.urlReady.notify_all();
            SetState(1, 0);
        } catch (const HTTP::Error&) {
            p.urlReady.notify_all();  // the location went: a reader waiting for the new one gives up
            SetState(2, 1);
        } catch (const boost::thread_interrupted&) {
            throw;
        } catch (...) {
            SetState(2, 1);
            throw;
        }

        int waitMs = 0;
        {
            boost::lock_guard lock(p.urlMutex);
            waitMs = p.url ? Limits::Current().subscribeIntervalMs : Limits::Current().retrySubscribeIntervalMs;
        }
        boost::unique_lock lock(p.snapshotMutex);
        p.wakeUp.wait_for(lock, boost::chrono::milliseconds(waitMs), [&] { return p.changed; });
    }
}

void Subscriber::End()
{
    boost::this_thread::disable_interruption quiet;
    Pimpl& p = *pimpl;
    {
        boost::lock_guard lock(p.urlMutex);
        p.url.reset();
        p.ready = true;
    }
    p.urlReady.notify_all();

    try {
        {
            boost::lock_guard lock(p.urlMutex);
            p.url.reset();
        }
        MFP mfp;
        User user;
        {
            boost::lock_guard lock(p.snapshotMutex);
            mfp = p.mfp;
            user = p.user;
        }
        try {
            QuillhavenServer server(mfp);
            server.UnsubscribeToRSSFeed(user, QH::Config::CurrentRecord(QH::Request::Unsubscribe));
            SetState(2, 0);
        } catch (...) {
            SetState(2, 1);
        }
    } catch (...) {
        // Nothing leaves the end of the thread.
    }
}

void Subscriber::SetState(int subscriptionState, int errorFlag)
{
    boost::this_thread::interruption_point();
    SetMonitoringState(pimpl->manager, pimpl->id, subscriptionState, errorFlag);
}

}  // namespace Monitor
