#include "MonitoredEntry/EntryProperty.hpp"

#include "Application/Config.hpp"

namespace MonitoredEntry {

EntryProperty::EntryProperty(bool monitoring, const MFP& mfp, const User& user, const Config& config,
                             int subscriptionState, int errorFlag)
    : monitoring_(monitoring), subscriptionState_(subscriptionState), errorFlag_(errorFlag), mfp_(mfp),
      user_(user), config_(config)
{
}

bool EntryProperty::IsValid() const { return mfp_.IsValid() && user_.IsValid() && config_.IsValid(); }

EntryProperty MakeDefaultEntryProperty(const EntryDefaults& d)
{
    MFP mfp;
    mfp.SetHTTP(d.http);
    mfp.SetHTTPS(d.https);
    mfp.SetSSL(d.ssl);
    const Config config(d.logMax, d.intervalMs, d.notice, d.noticeVoice, d.thumbnailHidden, d.eraseTimeMs,
                        d.eventRead, d.deleteMsg, d.notifyDisplay);
    return EntryProperty(d.monitoring, mfp, User(), config);
}

const EntryProperty& GetDefaultEntryProperty() { return ::Config::Instance().defaultEntryProperty(); }

}  // namespace MonitoredEntry
