#include "Norvane/UI/EntryWizard/UserList.hpp"

#include "QH/Answers.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include <QStyle>

#include <cstdio>

namespace UI::EntryWizard {

namespace {
constexpr unsigned int indexCaption = 133;
constexpr unsigned int nameCaption = 122;
constexpr unsigned int columnWidths = 112;
}  // namespace

UserRecord UserRecord::From(const QH::User& user)
{
    return {static_cast<unsigned>(user.number), Text::Widen(user.displayName), Text::Widen(user.userName)};
}

std::shared_ptr<UserListSource::container_type> UserListSource::Keys() const
{
    auto keys = std::make_shared<container_type>();
    keys->reserve(users_.size());
    for (unsigned i = 0; i < users_.size(); ++i) keys->push_back(i);
    return keys;
}

std::wstring IndexColumn::Text(const unsigned& key) const
{
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%03u", model()[key].index);
    return text;
}

bool IndexColumn::Less(const unsigned& a, const unsigned& b) const
{
    return OrderedBy(model()[a].index, model()[b].index);
}

std::wstring NameColumn::Text(const unsigned& key) const
{
    const UserRecord& user = model()[key];
    return user.displayName.empty() ? user.userName : user.displayName;
}

void SetUpUserList(UserListControl& control, const UserList& users)
{
    const std::vector<int> widths = VirtualList::ColumnWidths(columnWidths);
    auto width = [&widths](std::size_t i) { return i < widths.size() ? widths[i] : 0; };
    control.AddColumn(std::make_shared<IndexColumn>(users, 0, LoadString(indexCaption), width(0)));
    control.AddColumn(std::make_shared<NameColumn>(users, 1, LoadString(nameCaption), width(1)));
    control.SetSortColumn(0);
    // Room for both columns and a scroll bar, so that names show whole.
    int total = 0;
    for (std::size_t i = 0; i < 2; ++i) total += width(i);
    control.setMinimumWidth(total + 2 * control.frameWidth() + control.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
}

}  // namespace UI::EntryWizard
