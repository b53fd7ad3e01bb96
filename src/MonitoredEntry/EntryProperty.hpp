#pragma once
// Everything that configures one entry: the machine, the account and the settings,
// plus two runtime fields (not stored) that give the entry's displayed status.

#include "MonitoredEntry/Config.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"

struct EntryDefaults;

namespace MonitoredEntry {

class EntryProperty {
public:
    EntryProperty() = default;
    EntryProperty(bool monitoring, const MFP& mfp, const User& user, const Config& config,
                  int subscriptionState = 0, int errorFlag = 0);

    const bool& GetMonitoring() const { return monitoring_; }
    void SetMonitoring(const bool& value) { monitoring_ = value; }
    /// 0 until the subscription keeper acted, 1 subscribed, 2 failed or unsubscribed.
    const int& GetSubscriptionState() const { return subscriptionState_; }
    void SetSubscriptionState(const int& value) { subscriptionState_ = value; }
    /// 1 when the last subscription attempt or feed check failed.
    const int& GetErrorFlag() const { return errorFlag_; }
    void SetErrorFlag(const int& value) { errorFlag_ = value; }
    const MFP& GetMFP() const { return mfp_; }
    void SetMFP(const MFP& value) { mfp_ = value; }
    const User& GetUser() const { return user_; }
    void SetUser(const User& value) { user_ = value; }
    const Config& GetConfig() const { return config_; }
    void SetConfig(const Config& value) { config_ = value; }

    /// The machine, the account and the settings are valid; Monitoring plays no part.
    bool IsValid() const;

private:
    bool monitoring_ = false;
    int subscriptionState_ = 0;
    int errorFlag_ = 0;
    MFP mfp_;
    User user_;
    Config config_;
};

/// The starting point of a new entry, built from the "ENTRY_DEFAULT_" tunables and
/// the popup erase time. Name, host and account keep the class defaults.
EntryProperty MakeDefaultEntryProperty(const EntryDefaults& defaults);

/// The default property of the process-wide settings (::Config::Instance()).
const EntryProperty& GetDefaultEntryProperty();

}  // namespace MonitoredEntry
