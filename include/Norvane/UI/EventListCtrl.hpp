#pragma once
// The list of one entry's logged events, keyed by (entry, event). With no entry set,
// the list is empty.

#include "MonitoredEntry/BasicID.hpp"
#include "Norvane/UI/VirtualList/Control.hpp"
#include "Norvane/UI/VirtualList/Source.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace MonitoredEntry {
class EntryManager;
class Event;
class EventProperty;
}  // namespace MonitoredEntry

namespace UI {

/// A row of the event list: the entry and the event in its log.
using EventKey = std::pair<ID, ID>;

/// The events of the one entry the source is set to, in log order.
class EventListSource : public VirtualList::Source<EventKey> {
public:
    explicit EventListSource(const MonitoredEntry::EntryManager& manager) : manager_(manager) {}

    void SetEntry(std::optional<ID> entry) { entry_ = entry; }
    const std::optional<ID>& GetEntry() const { return entry_; }

    std::shared_ptr<container_type> Keys() const override;
    bool Exists(const EventKey& key) const override;
    void Lock() const override;
    void Unlock() const override;

private:
    const MonitoredEntry::EntryManager& manager_;
    std::optional<ID> entry_;
};

/// The logged event of the key, or null when the entry or the event is gone. Hold the
/// entry manager's lock while using it.
const MonitoredEntry::Event* FindEvent(const MonitoredEntry::EntryManager& manager, const EventKey& key);

/// A due-date notice event: its Status is "0", "1" or "2".
bool IsNoticeEvent(const MonitoredEntry::EventProperty& property);

/// The columns of the event list, in their order.
namespace EventColumn {
inline constexpr int UnreadIcon = 0;
inline constexpr int EventName = 1;
inline constexpr int Time = 2;
inline constexpr int Info = 3;
inline constexpr int Status = 4;
inline constexpr int DocId = 5;
inline constexpr int NotifyId = 6;
inline constexpr int NotifyDate = 7;
}  // namespace EventColumn

class EventListCtrl : public VirtualList::Control<EventListSource> {
    Q_OBJECT
public:
    using column_ptr = std::shared_ptr<column_type>;

    /// Full-row selection and the list images (icons 139, 142 and 140).
    explicit EventListCtrl(QWidget* parent = nullptr);

    /// The column called `name` at `index`: "UnreadIconColumn", "EventNameColumn",
    /// "TimeColumn", "InfoColumn", "StatusColumn", "DocIdColumn", "NotifyIdColumn" or
    /// "NotifyDateColumn". Another name raises ostrel::logic_error.
    static column_ptr MakeColumn(MonitoredEntry::EntryManager& manager, const std::string& name, int index, int width);
    /// All eight columns in their order, with these widths (missing widths count as 0).
    void AddColumns(MonitoredEntry::EntryManager& manager, const std::vector<int>& widths);

    /// The text the row shows in a text column; empty for the image column, for a column
    /// out of range and for a row whose event is gone. Hold the entry manager's lock.
    std::wstring CellText(const EventKey& key, int column) const;
};

}  // namespace UI
