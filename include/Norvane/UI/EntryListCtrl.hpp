#pragma once
// The list of the entry manager dialog: one row per entry, keyed by the entry's
// identifier, with the machine, the status, the user and the notice setting.

#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/VirtualList/Control.hpp"
#include "Norvane/UI/VirtualList/Source.hpp"

#include <memory>

namespace UI {

/// What the list shows as an entry's state; the values are also its sort order.
enum class EntryStatus { Monitoring = 0, NotMonitored = 1, Error = 2 };

/// Not monitored when monitoring is off; an error when the last subscription failed
/// (or the entry was unsubscribed) or the last check failed; monitoring otherwise.
EntryStatus GetEntryStatus(const MonitoredEntry::EntryProperty& property);

/// The identifiers of all entries, in store order, read under the manager's lock.
class EntryListSource : public VirtualList::Source<ID> {
public:
    explicit EntryListSource(const MonitoredEntry::EntryManager& manager) : manager_(manager) {}

    std::shared_ptr<container_type> Keys() const override;
    bool Exists(const ID& id) const override;
    void Lock() const override { manager_.lock(); }
    void Unlock() const override { manager_.unlock(); }

private:
    const MonitoredEntry::EntryManager& manager_;
};

class EntryListCtrl : public VirtualList::Control<EntryListSource> {
public:
    explicit EntryListCtrl(QWidget* parent = nullptr);

    /// Adds the four columns, reading the entries of `manager`, with the widths of the
    /// string table.
    void CreateColumns(const MonitoredEntry::EntryManager& manager);
};

}  // namespace UI
