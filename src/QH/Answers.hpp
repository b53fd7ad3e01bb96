#pragma once
// What the account commands of a machine answer.

#include <string>

namespace QH {

struct MachineSettings {
    std::string machineName;
    /// 0 for the machine's policy 1, 1 for its policy 2.
    int securityPolicy = 0;
    bool guestLogin = false;
};

struct UserInfo {
    std::string displayName;
};

/// One user of a machine's user list.
struct User {
    /// 1 for the first user of the answer, counting up.
    int number = 0;
    std::string displayName;
    std::string userName;
};

}  // namespace QH
