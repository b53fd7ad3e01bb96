#pragma once
// The machine and account an entry points at, as a monitor last worked with them:
// when it differs from the current one, the entry now watches something else.

#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"

namespace MonitoredEntry {

class Entry;

class Distinction {
public:
    Distinction() = default;
    explicit Distinction(const Entry& entry);

    const MFP& GetMFP() const { return mfp_; }
    const User& GetUser() const { return user_; }

    friend bool operator==(const Distinction& a, const Distinction& b)
    {
        return a.mfp_ == b.mfp_ && a.user_ == b.user_;
    }
    friend bool operator!=(const Distinction& a, const Distinction& b) { return !(a == b); }

private:
    MFP mfp_;
    User user_;
};

}  // namespace MonitoredEntry
