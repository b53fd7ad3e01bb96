#pragma once
// The user list of the wizard: the users a machine reported, listed by their index
// into the fetched list. The list is the page's own, so reading a row needs no lock.

#include "Norvane/UI/VirtualList/Column.hpp"
#include "Norvane/UI/VirtualList/Control.hpp"
#include "Norvane/UI/VirtualList/Source.hpp"

#include <memory>
#include <string>
#include <vector>

namespace QH {
struct User;
}

namespace UI::EntryWizard {

/// One user of a machine's list.
struct UserRecord {
    unsigned index = 0;        // the machine's numbering: 1 for the first user
    std::wstring displayName;  // may be empty
    std::wstring userName;     // the account ID

    static UserRecord From(const QH::User& user);
};

using UserList = std::vector<UserRecord>;

/// Keys 0 .. size-1 into the page's list.
class UserListSource : public VirtualList::Source<unsigned> {
public:
    explicit UserListSource(const UserList& users) : users_(users) {}
    std::shared_ptr<container_type> Keys() const override;
    bool Exists(const unsigned& key) const override { return key < users_.size(); }
    void Lock() const override {}
    void Unlock() const override {}

private:
    const UserList& users_;
};

using UserListControl = VirtualList::Control<UserListSource>;

/// "No.": the user's index as three digits; sorts by the index.
class IndexColumn : public VirtualList::TextColumn<const UserList, unsigned> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const unsigned& key) const override;
    bool Less(const unsigned& a, const unsigned& b) const override;
};

/// "ユーザー名": the display name, or the account ID where the machine has none.
class NameColumn : public VirtualList::TextColumn<const UserList, unsigned> {
public:
    using TextColumn::TextColumn;
    std::wstring Text(const unsigned& key) const override;
};

/// Gives the list its two columns (captions 133 and 122, widths from string 112).
void SetUpUserList(UserListControl& control, const UserList& users);

}  // namespace UI::EntryWizard
