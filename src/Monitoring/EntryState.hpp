#pragma once
// Small transactions the monitors share: writing an entry's displayed status and
// reading what a monitor works with, each only if the entry still exists.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/Distinction.hpp"
#include "MonitoredEntry/EntryManager.hpp"

#include <boost/optional.hpp>

#include <functional>

namespace Monitor {

/// Changes the property of the entry in one committed transaction; false if the
/// entry is gone or `change` returns false (nothing to write). A store that refuses
/// the change is left as it was.
bool ChangeProperty(MonitoredEntry::EntryManager& manager, const ID& id,
                    const std::function<bool(MonitoredEntry::EntryProperty&)>& change);

/// Sets the subscription state and the error flag.
void SetMonitoringState(MonitoredEntry::EntryManager& manager, const ID& id, int subscriptionState, int errorFlag);
/// Sets the error flag only; an unchanged flag is not written again.
void SetErrorFlag(MonitoredEntry::EntryManager& manager, const ID& id, int errorFlag);

/// What the monitors of an entry work with, read under the manager's lock.
struct EntryView {
    bool monitoring = false;
    MonitoredEntry::Distinction distinction;
    int interval = 0;
};
boost::optional<EntryView> ReadEntry(const MonitoredEntry::EntryManager& manager, const ID& id);

}  // namespace Monitor
