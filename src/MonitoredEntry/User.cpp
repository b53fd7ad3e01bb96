#include "MonitoredEntry/User.hpp"

namespace MonitoredEntry {

User::User(const boost::optional<std::wstring>& name, const std::wstring& id, const Password& password)
    : name_(name), id_(id), password_(password)
{
}

bool User::IsValid() const
{
    if (name_ && name_->empty()) return false;
    if (id_.empty()) return false;
    return password_.IsValid();
}

}  // namespace MonitoredEntry
