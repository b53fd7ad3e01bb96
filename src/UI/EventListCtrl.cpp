#include "Norvane/UI/EventListCtrl.hpp"

#include "Norvane/UI/EntryListCtrl.hpp"

#include "MonitoredEntry/EntryManager.hpp"
#include "Utility/LoadString.hpp"

#include <ostrel/exception.hpp>

#include <tuple>

namespace UI {

using MonitoredEntry::EntryManager;
using MonitoredEntry::Event;
using MonitoredEntry::EventProperty;
using VirtualList::ImageColumn;
using VirtualList::TextColumn;

std::shared_ptr<EventListSource::container_type> EventListSource::Keys() const
{
    auto keys = std::make_shared<container_type>();
    if (!entry_) return keys;
    std::lock_guard lock(manager_);
    if (!manager_.GetDB().Contains(*entry_)) return keys;
    const auto& events = manager_.GetDB().GetEntry(*entry_).ReadEventLog().GetEventList();
    keys->reserve(events.size());
    for (const auto& event : events) keys->emplace_back(*entry_, event.GetID());
    return keys;
}

bool EventListSource::Exists(const EventKey& key) const { return FindEvent(manager_, key) != nullptr; }
void EventListSource::Lock() const { manager_.lock(); }
void EventListSource::Unlock() const { manager_.unlock(); }

const Event* FindEvent(const EntryManager& manager, const EventKey& key)
{
    const auto& db = manager.GetDB();
    if (!db.Contains(key.first)) return nullptr;
    for (const auto& event : db.GetEntry(key.first).ReadEventLog().GetEventList())
        if (event.GetID() == key.second) return &event;
    return nullptr;
}

bool IsNoticeEvent(const EventProperty& property)
{
    const auto& status = property.GetStatus();
    return status && (*status == L"0" || *status == L"1" || *status == L"2");
}

namespace {

const std::wstring& Or(const boost::optional<std::wstring>& text)
{
    static const std::wstring none;
    return text ? *text : none;
}

// Event times order by their fields as written. Where a time has seconds and the other
// none, a time without seconds counts as second 0 and sorts before one with second 0,
// so that every pair of rows has an order.
auto TimeKey(const RSS::EventTime& time)
{
    return std::make_tuple(time.GetYear(), time.GetMonth(), time.GetDay(), time.GetHour(), time.GetMinute(),
                           time.GetSecond().value_or(0), time.GetSecond().has_value());
}

// The list holds the manager's lock while it asks a column; keys it asks for exist.
const Event& EventOf(const EntryManager& manager, const EventKey& key)
{
    const Event* event = FindEvent(manager, key);
    if (!event) OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("the event of the row is gone"));
    return *event;
}

/// Text cells are bold while the event is unread, unless it is a notice.
class EventTextColumn : public TextColumn<EntryManager, EventKey> {
public:
    using TextColumn::TextColumn;
    bool IsBold(const EventKey& key) const override
    {
        const Event& event = EventOf(model(), key);
        return !event.GetRead() && !IsNoticeEvent(event.GetProperty());
    }

protected:
    const EventProperty& Property(const EventKey& key) const { return EventOf(model(), key).GetProperty(); }
};

class UnreadIconColumn : public ImageColumn<EntryManager, EventKey> {
public:
    using ImageColumn::ImageColumn;
    int Image(const EventKey& key) const override
    {
        const Event& event = EventOf(model(), key);
        return event.GetRead() || IsNoticeEvent(event.GetProperty()) ? 1 : 2;
    }
    // Read events first.
    bool Less(const EventKey& a, const EventKey& b) const override
    {
        return OrderedBy(!EventOf(model(), a).GetRead(), !EventOf(model(), b).GetRead());
    }
};

class EventNameColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Property(key).GetCategory(); }
};

class TimeColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Property(key).GetTime().ToDisplayText(); }
    bool Less(const EventKey& a, const EventKey& b) const override
    {
        return OrderedBy(TimeKey(Property(a).GetTime()), TimeKey(Property(b).GetTime()));
    }
};

class InfoColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Field(Property(key), IsNoticeEvent(Property(key))); }
    // Both rows compare by the field the first row shows.
    bool Less(const EventKey& a, const EventKey& b) const override
    {
        const bool notice = IsNoticeEvent(Property(a));
        return Ordered(Field(Property(a), notice), Field(Property(b), notice));
    }

private:
    static std::wstring Field(const EventProperty& property, bool notice)
    {
        return notice ? Or(property.GetContent()) : property.GetInfo();
    }
};

class StatusColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override
    {
        const std::wstring& status = Or(Property(key).GetStatus());
        if (status == L"0") return LoadString(243);
        if (status == L"1") return LoadString(244);
        if (status == L"2") return LoadString(245);
        return {};
    }
    bool Less(const EventKey& a, const EventKey& b) const override
    {
        return Ordered(Or(Property(a).GetStatus()), Or(Property(b).GetStatus()));
    }
};

class DocIdColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Or(Property(key).GetDocID()); }
};

class NotifyIdColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Or(Property(key).GetNotifyId()); }
};

class NotifyDateColumn : public EventTextColumn {
public:
    using EventTextColumn::EventTextColumn;
    std::wstring Text(const EventKey& key) const override { return Property(key).GetNotifyDate().ToDisplayText(); }
    bool Less(const EventKey& a, const EventKey& b) const override
    {
        return OrderedBy(TimeKey(Property(a).GetNotifyDate()), TimeKey(Property(b).GetNotifyDate()));
    }
};

const char* const columnNames[] = {"UnreadIconColumn", "EventNameColumn", "TimeColumn",     "InfoColumn",
                                   "StatusColumn",     "DocIdColumn",     "NotifyIdColumn", "NotifyDateColumn"};

}  // namespace

EventListCtrl::EventListCtrl(QWidget* parent) : Control(parent) { SetImages(EntryListImages()); }

EventListCtrl::column_ptr EventListCtrl::MakeColumn(EntryManager& manager, const std::string& name, int index,
                                                    int width)
{
    if (name == "UnreadIconColumn") return std::make_shared<UnreadIconColumn>(manager, index, std::wstring(), width);
    if (name == "EventNameColumn") return std::make_shared<EventNameColumn>(manager, index, LoadString(123), width);
    if (name == "TimeColumn") return std::make_shared<TimeColumn>(manager, index, LoadString(125), width);
    if (name == "InfoColumn") return std::make_shared<InfoColumn>(manager, index, LoadString(124), width);
    if (name == "StatusColumn") return std::make_shared<StatusColumn>(manager, index, LoadString(251), width);
    if (name == "DocIdColumn") return std::make_shared<DocIdColumn>(manager, index, LoadString(255), width);
    if (name == "NotifyIdColumn") return std::make_shared<NotifyIdColumn>(manager, index, LoadString(254), width);
    if (name == "NotifyDateColumn") return std::make_shared<NotifyDateColumn>(manager, index, LoadString(125), width);
    OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("no event list column " + name));
}

void EventListCtrl::AddColumns(EntryManager& manager, const std::vector<int>& widths)
{
    int index = 0;
    for (const char* name : columnNames) {
        AddColumn(MakeColumn(manager, name, index, static_cast<std::size_t>(index) < widths.size() ? widths[index] : 0));
        ++index;
    }
}

std::wstring EventListCtrl::CellText(const EventKey& key, int column) const
{
    if (column < 0 || static_cast<std::size_t>(column) >= Columns().size()) return {};
    if (!GetSource() || !GetSource()->Exists(key)) return {};
    const auto* text = dynamic_cast<const TextColumn<EntryManager, EventKey>*>(Columns()[column].get());
    return text ? text->Text(key) : std::wstring();
}

}  // namespace UI
