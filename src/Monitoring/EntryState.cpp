#include "Monitoring/EntryState.hpp"

#include "MonitoredEntry/DBException.hpp"

#include <mutex>

namespace Monitor {

bool ChangeProperty(MonitoredEntry::EntryManager& manager, const ID& id,
                    const std::function<bool(MonitoredEntry::EntryProperty&)>& change)
{
    MonitoredEntry::EntryManager::Transaction transaction(manager);
    if (!transaction.Contains(id)) return false;
    auto entry = transaction.GetEntryCopy(id);
    auto property = entry->GetProperty();
    if (!change(property)) return false;
    entry->SetProperty(property);
    try {
        transaction.SetEntry(entry);
    } catch (const MonitoredEntry::DBException&) {
        // A status or name never makes a consistent store refuse an entry; if it does,
        // the transaction rolls back and the entry keeps what it showed.
        return false;
    }
    transaction.Commit();
    return true;
}

void SetMonitoringState(MonitoredEntry::EntryManager& manager, const ID& id, int subscriptionState, int errorFlag)
{
    ChangeProperty(manager, id, [&](MonitoredEntry::EntryProperty& property) {
        property.SetSubscriptionState(subscriptionState);
        property.SetErrorFlag(errorFlag);
        return true;
    });
}

void SetErrorFlag(MonitoredEntry::EntryManager& manager, const ID& id, int errorFlag)
{
    ChangeProperty(manager, id, [&](MonitoredEntry::EntryProperty& property) {
        if (property.GetErrorFlag() == errorFlag) return false;
        property.SetErrorFlag(errorFlag);
        return true;
    });
}

boost::optional<EntryView> ReadEntry(const MonitoredEntry::EntryManager& manager, const ID& id)
{
    std::lock_guard lock(manager);
    if (!manager.GetDB().Contains(id)) return boost::none;
    const auto& entry = manager.GetDB().GetEntry(id);
    EntryView view;
    view.monitoring = entry.IsMonitoring();
    view.distinction = MonitoredEntry::Distinction(entry);
    view.interval = entry.GetProperty().GetConfig().GetInterval();
    return view;
}

}  // namespace Monitor
