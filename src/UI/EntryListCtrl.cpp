#include "Norvane/UI/EntryListCtrl.hpp"

#include "Norvane/UI/Icons.hpp"

#include "MonitoredEntry/EntryManager.hpp"
#include "Utility/LoadString.hpp"

#include <ostrel/exception.hpp>

namespace UI {

using MonitoredEntry::Entry;
using MonitoredEntry::EntryManager;
using VirtualList::ImageColumn;
using VirtualList::TextColumn;

std::shared_ptr<EntryListSource::container_type> EntryListSource::Keys() const
{
    auto keys = std::make_shared<container_type>();
    std::lock_guard lock(manager_);
    for (const auto& entry : manager_.GetDB().GetEntryList()) keys->push_back(entry->GetID());
    return keys;
}

bool EntryListSource::Exists(const ID& key) const { return manager_.GetDB().Contains(key); }
void EntryListSource::Lock() const { manager_.lock(); }
void EntryListSource::Unlock() const { manager_.unlock(); }

EntryStatus StatusOf(const MonitoredEntry::EntryProperty& property)
{
    if (!property.GetMonitoring()) return EntryStatus::NotMonitored;
    if (property.GetSubscriptionState() == 2 || property.GetErrorFlag() != 0) return EntryStatus::Error;
    return EntryStatus::Monitoring;
}

std::vector<QIcon> EntryListImages() { return {Icon(IconId::Event), Icon(IconId::Read), Icon(IconId::Unread)}; }

namespace {

// Cells read the entry as stored; the list holds the manager's lock while it asks.
const Entry& EntryOf(const EntryManager& manager, const ID& id) { return manager.GetDB().GetEntry(id); }

class UnreadIconColumn : public ImageColumn<EntryManager, ID> {
public:
    using ImageColumn::ImageColumn;
    int Image(const ID& key) const override { return Unread(key) > 0 ? 2 : 1; }
    bool Less(const ID& a, const ID& b) const override { return OrderedBy(Unread(a), Unread(b)); }

private:
    int Unread(const ID& key) const { return EntryOf(model(), key).ReadEventLog().CountUnread(); }
};

class MFPNameColumn : public TextColumn<EntryManager, ID> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const ID& key) const override
    {
        const auto& mfp = EntryOf(model(), key).GetProperty().GetMFP();
        return mfp.GetName() ? *mfp.GetName() : mfp.GetHost();
    }
};

class StatusColumn : public TextColumn<EntryManager, ID> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const ID& key) const override
    {
        switch (Status(key)) {
        case EntryStatus::Monitoring: return LoadString(144);
        case EntryStatus::NotMonitored: return LoadString(146);
        case EntryStatus::Error: return LoadString(145);
        }
        return {};
    }
    bool Less(const ID& a, const ID& b) const override
    {
        return OrderedBy(static_cast<int>(Status(a)), static_cast<int>(Status(b)));
    }

private:
    EntryStatus Status(const ID& key) const { return StatusOf(EntryOf(model(), key).GetProperty()); }
};

class UserNameColumn : public TextColumn<EntryManager, ID> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const ID& key) const override
    {
        const auto& user = EntryOf(model(), key).GetProperty().GetUser();
        return user.GetName() ? *user.GetName() : user.GetID();
    }
};

class EnableNoticeColumn : public TextColumn<EntryManager, ID> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const ID& key) const override { return LoadString(Enabled(key) ? 136 : 137); }
    bool Less(const ID& a, const ID& b) const override { return OrderedBy(Enabled(a), Enabled(b)); }

private:
    bool Enabled(const ID& key) const
    {
        const auto& config = EntryOf(model(), key).GetProperty().GetConfig();
        return config.GetNotice() || config.GetNoticeVoice();
    }
};

}  // namespace

EntryListCtrl::EntryListCtrl(QWidget* parent) : Control(parent) { SetImages(EntryListImages()); }

EntryListCtrl::column_ptr EntryListCtrl::MakeColumn(EntryManager& manager, const std::string& name, int index,
                                                    int width)
{
    if (name == "UnreadIconColumn") return std::make_shared<UnreadIconColumn>(manager, index, std::wstring(), width);
    if (name == "MFPNameColumn") return std::make_shared<MFPNameColumn>(manager, index, LoadString(121), width);
    if (name == "StatusColumn") return std::make_shared<StatusColumn>(manager, index, LoadString(134), width);
    if (name == "UserNameColumn") return std::make_shared<UserNameColumn>(manager, index, LoadString(122), width);
    if (name == "EnableNoticeColumn") return std::make_shared<EnableNoticeColumn>(manager, index, LoadString(135), width);
    OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("no entry list column " + name));
}

void EntryListCtrl::AddColumns(EntryManager& manager, const std::vector<std::string>& names,
                               const std::vector<int>& widths)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        AddColumn(MakeColumn(manager, names[i], static_cast<int>(i), i < widths.size() ? widths[i] : 0));
}

void EntryListCtrl::CreateColumns(EntryManager& manager)
{
    AddColumns(manager, {"MFPNameColumn", "StatusColumn", "UserNameColumn", "EnableNoticeColumn"},
               VirtualList::ColumnWidths(106));
}

}  // namespace UI
