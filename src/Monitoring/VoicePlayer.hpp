#pragma once
// Plays one event's spoken message on its own thread and watches for its end. The
// sound already playing is never cut off: if one plays, this one fails.

#include "Monitoring/Popup.hpp"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace MachineEvent {

class VoicePlayer {
public:
    enum class State { Ready = 1, Playing = 2, Finished = 3, Failed = 4 };

    VoicePlayer(SoundOutput& output, std::shared_ptr<const WaveBytes> wav);
    VoicePlayer(const VoicePlayer&) = delete;
    VoicePlayer& operator=(const VoicePlayer&) = delete;
    /// Stops a voice still playing, then waits for the thread.
    ~VoicePlayer();

    /// The state is Playing from here until the voice ended, was stopped or failed.
    void Start();
    State GetState() const { return state_; }
    /// Asks the thread to stop the voice.
    void RequestStop();

    /// How long the thread lets a new voice begin before it looks for its end.
    static constexpr int settleMs = 1000;
    static constexpr int pollMs = 10;

private:
    void Run();

    SoundOutput& output_;
    std::shared_ptr<const WaveBytes> wav_;
    std::atomic<State> state_{State::Ready};
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool stopRequested_ = false;
    std::thread thread_;
};

}  // namespace MachineEvent
