#include "Monitoring/MachineMonitor.hpp"

#include "Application/Limits.hpp"
#include "HTTP/Error.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/EntryState.hpp"
#include "QH/QuillhavenServer.hpp"
#include "Utility/Text.hpp"

#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/thread.hpp>

namespace Monitor {

using MonitoredEntry::MFP;
using MonitoredEntry::User;

namespace {
boost::optional<std::wstring> Reported(const std::string& name)
{
    if (name.empty()) return boost::none;
    return Text::Widen(name);
}
}  // namespace

struct MachineMonitor::Pimpl {
    Pimpl(const ID& id, MonitoredEntry::EntryManager& manager) : manager(manager), id(id) {}

    MonitoredEntry::EntryManager& manager;
    const ID id;
    boost::mutex mutex;
    boost::condition_variable wakeUp;
    MFP mfp;
    User user;

    void Snapshot(MFP& mfpOut, User& userOut)
    {
        boost::lock_guard lock(mutex);
        mfpOut = mfp;
        userOut = user;
    }
};

MachineMonitor::MachineMonitor(const ID& id, MonitoredEntry::EntryManager& manager)
    : pimpl(std::make_unique<Pimpl>(id, manager))
{
}

MachineMonitor::~MachineMonitor()
{
    try {
        stop();
    } catch (...) {
    }
}

const ID& MachineMonitor::GetID() const { return pimpl->id; }

void MachineMonitor::Refresh()
{
    const auto view = ReadEntry(pimpl->manager, pimpl->id);
    if (!view) return;
    boost::lock_guard lock(pimpl->mutex);
    pimpl->mfp = view->distinction.GetMFP();
    pimpl->user = view->distinction.GetUser();
}

int MachineMonitor::run()
{
    Pimpl& p = *pimpl;
    try {
        Refresh();
        for (;;) {
            MFP mfp;
            User user;
            p.Snapshot(mfp, user);
            try {
                QuillhavenServer server(mfp);
                boost::this_thread::interruption_point();
                const auto settings = server.GetMachineSettings();
                ChangeProperty(p.manager, p.id, [&](MonitoredEntry::EntryProperty& property) {
                    MFP changed = property.GetMFP();
                    changed.SetName(Reported(settings->machineName));
                    property.SetMFP(changed);
                    return true;
                });
            } catch (const HTTP::Error&) {
            }

            p.Snapshot(mfp, user);
            try {
                QuillhavenServer server(mfp);
                boost::this_thread::interruption_point();
                const auto info = server.GetUserInfo(user);
                ChangeProperty(p.manager, p.id, [&](MonitoredEntry::EntryProperty& property) {
                    User changed = property.GetUser();
                    changed.SetName(Reported(info->displayName));
                    property.SetUser(changed);
                    return true;
                });
            } catch (const HTTP::Error&) {
            }

            boost::unique_lock lock(p.mutex);
            p.wakeUp.wait_for(lock, boost::chrono::milliseconds(Limits::Current().machineMonitorIntervalMs));
        }
    } catch (const boost::thread_interrupted&) {
        return 0;
    }
}

}  // namespace Monitor
