#include "Norvane/UI/EntryListCtrl.hpp"

#include "Utility/LoadString.hpp"

#include <QHeaderView>

namespace UI {

using MonitoredEntry::EntryManager;
using MonitoredEntry::EntryProperty;

EntryStatus GetEntryStatus(const EntryProperty& property)
{
    if (!property.GetMonitoring()) return EntryStatus::NotMonitored;
    if (property.GetSubscriptionState() == 2 || property.GetErrorFlag() != 0) return EntryStatus::Error;
    return EntryStatus::Monitoring;
}

std::shared_ptr<EntryListSource::container_type> EntryListSource::Keys() const
{
    auto keys = std::make_shared<container_type>();
    std::lock_guard lock(manager_);
    for (const auto& entry : manager_.GetDB().GetEntryList()) keys->push_back(entry->GetID());
    return keys;
}

bool EntryListSource::Exists(const ID& id) const
{
    std::lock_guard lock(manager_);
    return manager_.GetDB().Contains(id);
}

namespace {

// The cells are read with the source locked, so the entry cannot go in between.
class EntryColumn : public VirtualList::TextColumn<const EntryManager, ID> {
public:
    using TextColumn::TextColumn;

protected:
    const EntryProperty& Property(const ID& id) const { return model().GetDB().GetEntry(id).GetProperty(); }
};

class MFPNameColumn : public EntryColumn {
public:
    using EntryColumn::EntryColumn;
    std::wstring Text(const ID& id) const override
    {
        const auto& mfp = Property(id).GetMFP();
        return mfp.GetName() ? *mfp.GetName() : mfp.GetHost();
    }
};

class StatusColumn : public EntryColumn {
public:
    using EntryColumn::EntryColumn;
    std::wstring Text(const ID& id) const override
    {
        switch (GetEntryStatus(Property(id))) {
        case EntryStatus::Monitoring: return LoadString(144);
        case EntryStatus::NotMonitored: return LoadString(146);
        case EntryStatus::Error: break;
        }
        return LoadString(145);
    }
    bool Less(const ID& a, const ID& b) const override
    {
        return OrderedBy(static_cast<int>(GetEntryStatus(Property(a))), static_cast<int>(GetEntryStatus(Property(b))));
    }
};

class UserNameColumn : public EntryColumn {
public:
    using EntryColumn::EntryColumn;
    std::wstring Text(const ID& id) const override
    {
        const auto& user = Property(id).GetUser();
        return user.GetName() ? *user.GetName() : user.GetID();
    }
};

class EnableNoticeColumn : public EntryColumn {
public:
    using EntryColumn::EntryColumn;
    std::wstring Text(const ID& id) const override { return LoadString(Enabled(id) ? 136 : 137); }
    bool Less(const ID& a, const ID& b) const override { return OrderedBy(Enabled(a), Enabled(b)); }

private:
    bool Enabled(const ID& id) const
    {
        const auto& config = Property(id).GetConfig();
        return config.GetNotice() || config.GetNoticeVoice();
    }
};

}  // namespace

EntryListCtrl::EntryListCtrl(QWidget* parent) : Control(parent)
{
    setObjectName(QStringLiteral("1082"));
}

void EntryListCtrl::CreateColumns(const EntryManager& manager)
{
    const std::vector<int> widths = VirtualList::ColumnWidths(106);
    auto width = [&](std::size_t i) { return i < widths.size() ? widths[i] : 100; };
    AddColumn(std::make_shared<MFPNameColumn>(manager, 0, LoadString(121), width(0)));
    AddColumn(std::make_shared<StatusColumn>(manager, 1, LoadString(134), width(1)));
    AddColumn(std::make_shared<UserNameColumn>(manager, 2, LoadString(122), width(2)));
    AddColumn(std::make_shared<EnableNoticeColumn>(manager, 3, LoadString(135), width(3)));
}

}  // namespace UI
