#pragma once
// What the popup event manager needs of the window layer: the snapshot a popup shows,
// the popup window itself and the sound output for the spoken messages. The windows
// implement these; the engine only drives them.

#include "MonitoredEntry/BasicID.hpp"
#include "MonitoredEntry/Event.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"

#include <memory>
#include <vector>

namespace MonitoredEntry {
class EntryManager;
}

namespace MachineEvent {

/// A logged event with its entry's machine and user, copied under the entry lock.
class Event {
public:
    Event(const MonitoredEntry::Event& event, const MonitoredEntry::MFP& mfp, const MonitoredEntry::User& user)
        : event_(event), mfp_(mfp), user_(user)
    {
    }

    const MonitoredEntry::Event& GetEvent() const { return event_; }
    const MonitoredEntry::EventProperty& GetProperty() const { return event_.GetProperty(); }
    const MonitoredEntry::MFP& GetMFP() const { return mfp_; }
    const MonitoredEntry::User& GetUser() const { return user_; }

private:
    MonitoredEntry::Event event_;
    MonitoredEntry::MFP mfp_;
    MonitoredEntry::User user_;
};

/// How a popup was closed.
enum class PopupResult {
    OK,        // the person confirmed the event
    Cancel,    // closed otherwise (its own timer, a close request)
    EventLog,  // the person went on to the event log
};

class Popup {
public:
    virtual ~Popup() = default;
    /// Fetches the event's thumbnail before the popup is shown.
    virtual void LoadThumbnail() = 0;
    /// Shows the popup and waits until it is closed; runs on the popup manager's thread.
    virtual PopupResult Run() = 0;
    /// From any thread: closes the popup, ending Run. A request that comes before Run
    /// makes Run return at once.
    virtual void Close() = 0;
};

class PopupFactory {
public:
    virtual ~PopupFactory() = default;
    /// A new popup for the snapshot; the popup marks, deletes and opens through the
    /// entry manager with the entry and event identifiers.
    virtual std::unique_ptr<Popup> Make(const std::shared_ptr<const Event>& snapshot,
                                        MonitoredEntry::EntryManager& manager, const ID& entryID,
                                        const ID& eventID) = 0;
};

using WaveBytes = std::vector<char>;

/// The sound device for the spoken messages.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    /// Starts playing the WAV image asynchronously. False, and nothing changes, when a
    /// sound is already playing or the image cannot be played.
    virtual bool Play(const std::shared_ptr<const WaveBytes>& wav) = 0;
    /// True while a sound started by Play is still playing.
    virtual bool IsPlaying() = 0;
    /// Stops playback at once.
    virtual void Stop() = 0;
};

}  // namespace MachineEvent
