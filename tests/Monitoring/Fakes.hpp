#pragma once
// Test doubles for the window layer (popups, sound) and small helpers shared by the
// engine tests.

#include "Application/Limits.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "MonitoredEntry/EventProperty.hpp"
#include "Monitoring/Popup.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace boost {
inline void PrintTo(const optional<std::wstring>& value, std::ostream* out)
{
    *out << (value ? ::testing::PrintToString(*value) : "(absent)");
}
}  // namespace boost

template <class T>
void PrintTo(const BasicID<T>& id, std::ostream* out)
{
    *out << "ID " << id.GetValue();
}

namespace Fakes {

/// Polls `condition` until it holds or `timeoutMs` passed; returns its last value.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

/// A UDP port on 127.0.0.1 that nothing is bound to right now.
unsigned short FreeUdpPort();

/// Limits with short intervals and a free listen port, installed for the test's life.
class ScopedLimits {
public:
    ScopedLimits();
    ~ScopedLimits();
    Limits::Values values;
    void Apply() { Limits::Set(values); }

private:
    Limits::Values saved_;
};

/// An event property as the item mapping would build it.
MonitoredEntry::EventProperty Property(const std::string& guid, const std::wstring& categorynotice,
                                       const boost::optional<std::wstring>& notify = std::wstring(L"-1"),
                                       const boost::optional<std::wstring>& status = std::wstring(L"-1"),
                                       const boost::optional<std::wstring>& voiceURL = boost::none);

struct EntrySettings {
    bool notice = true;
    bool noticeVoice = true;
    int notifyDisplay = 0;
    int logMax = 200;
    int interval = 60000;
};

/// Adds a monitored entry for `host` and the account alice/secret.
ID AddEntry(MonitoredEntry::EntryManager& manager, const std::wstring& host, int httpPort,
            const EntrySettings& settings = {}, bool monitoring = true);

/// Changes the stored entry in one committed transaction.
void ChangeEntry(MonitoredEntry::EntryManager& manager, const ID& id,
                 const std::function<void(MonitoredEntry::EntryProperty&)>& change);

/// A copy of the entry's log, read under the lock.
MonitoredEntry::EventLog Log(MonitoredEntry::EntryManager& manager, const ID& id);
MonitoredEntry::EntryProperty PropertyOf(MonitoredEntry::EntryManager& manager, const ID& id);

class RecordingSound : public MachineEvent::SoundOutput {
public:
    /// How long each played sound lasts.
    explicit RecordingSound(int durationMs = 50) : durationMs_(durationMs) {}

    bool Play(const std::shared_ptr<const MachineEvent::WaveBytes>& wav) override;
    bool IsPlaying() override;
    void Stop() override;

    std::vector<MachineEvent::WaveBytes> Played() const;
    int Stops() const;

private:
    mutable std::mutex mutex_;
    int durationMs_;
    std::chrono::steady_clock::time_point endsAt_{};
    bool playing_ = false;
    std::vector<MachineEvent::WaveBytes> played_;
    int stops_ = 0;
};

class FakePopup;

/// Makes popups that record what they were made for and close with scripted results.
class FakePopups : public MachineEvent::PopupFactory {
public:
    struct Made {
        std::shared_ptr<const MachineEvent::Event> snapshot;
        ID entryID, eventID;
        bool thumbnailLoaded = false;
        bool closedByRequest = false;
    };

    std::unique_ptr<MachineEvent::Popup> Make(const std::shared_ptr<const MachineEvent::Event>& snapshot,
                                              MonitoredEntry::EntryManager& manager, const ID& entryID,
                                              const ID& eventID) override;

    /// Results of the next popups, in order; OK once the script is used up.
    void Script(std::deque<MachineEvent::PopupResult> results);
    /// While held, Run waits (a person looking at the popup) until Release or Close.
    void Hold();
    void Release();

    std::vector<Made> MadeSoFar() const;
    bool Showing() const;

private:
    friend class FakePopup;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<MachineEvent::PopupResult> script_;
    bool held_ = false;
    int showing_ = 0;
    std::vector<Made> made_;
};

}  // namespace Fakes
