#pragma once
// The list of monitored entries: one row per entry of the entry manager, keyed by the
// entry's identifier. The dialogs that show entries pick their columns by name.

#include "MonitoredEntry/BasicID.hpp"
#include "Norvane/UI/VirtualList/Control.hpp"
#include "Norvane/UI/VirtualList/Source.hpp"

#include <memory>
#include <string>
#include <vector>

namespace MonitoredEntry {
class EntryManager;
class EntryProperty;
}  // namespace MonitoredEntry

namespace UI {

/// The images of the entry and event lists: icons 139, 142 and 140 (an event, read,
/// unread) as images 0, 1 and 2. A missing icon raises SystemError.
std::vector<QIcon> EntryListImages();

/// All entries of the entry manager, in store order.
class EntryListSource : public VirtualList::Source<ID> {
public:
    explicit EntryListSource(const MonitoredEntry::EntryManager& manager) : manager_(manager) {}

    std::shared_ptr<container_type> Keys() const override;
    bool Exists(const ID& key) const override;
    void Lock() const override;
    void Unlock() const override;

private:
    const MonitoredEntry::EntryManager& manager_;
};

/// What an entry's status cell says: 0 monitoring, 1 not monitored, 2 error.
enum class EntryStatus { Monitoring = 0, NotMonitored = 1, Error = 2 };
EntryStatus StatusOf(const MonitoredEntry::EntryProperty& property);

class EntryListCtrl : public VirtualList::Control<EntryListSource> {
    Q_OBJECT
public:
    using column_ptr = std::shared_ptr<column_type>;

    /// Full-row selection and the list images (icons 139, 142 and 140).
    explicit EntryListCtrl(QWidget* parent = nullptr);

    /// The column called `name` at `index`: "UnreadIconColumn", "MFPNameColumn",
    /// "StatusColumn", "UserNameColumn" or "EnableNoticeColumn". Another name raises
    /// ostrel::logic_error.
    static column_ptr MakeColumn(MonitoredEntry::EntryManager& manager, const std::string& name, int index, int width);
    /// Appends the named columns with these widths (missing widths count as 0).
    void AddColumns(MonitoredEntry::EntryManager& manager, const std::vector<std::string>& names,
                    const std::vector<int>& widths);
    /// The entry manager dialog's columns: machine, status, user and notice setting.
    void CreateColumns(MonitoredEntry::EntryManager& manager);
};

}  // namespace UI
