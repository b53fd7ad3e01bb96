#pragma once
// The account on a machine: display name, account ID and enciphered password.

#include "MonitoredEntry/Password.hpp"

#include <boost/optional.hpp>

#include <string>

namespace MonitoredEntry {

class User {
public:
    User() = default;
    User(const boost::optional<std::wstring>& name, const std::wstring& id, const Password& password);

    const boost::optional<std::wstring>& GetName() const { return name_; }
    void SetName(const boost::optional<std::wstring>& name) { name_ = name; }
    const std::wstring& GetID() const { return id_; }
    void SetID(const std::wstring& id) { id_ = id; }
    const Password& GetPassword() const { return password_; }
    void SetPassword(const Password& password) { password_ = password; }

    /// A present name is not empty, the ID is not empty and the password is valid.
    bool IsValid() const;

    friend bool operator==(const User& a, const User& b)
    {
        return a.name_ == b.name_ && a.id_ == b.id_ && a.password_ == b.password_;
    }
    friend bool operator!=(const User& a, const User& b) { return !(a == b); }

private:
    boost::optional<std::wstring> name_;
    std::wstring id_;
    Password password_;
};

}  // namespace MonitoredEntry
