#include "Monitoring/VoicePlayer.hpp"

#include <chrono>

namespace MachineEvent {

VoicePlayer::VoicePlayer(SoundOutput& output, std::shared_ptr<const WaveBytes> wav)
    : output_(output), wav_(std::move(wav))
{
}

VoicePlayer::~VoicePlayer()
{
    RequestStop();
    if (thread_.joinable()) thread_.join();
}

void VoicePlayer::Start()
{
    if (thread_.joinable()) return;
    state_ = State::Playing;
    thread_ = std::thread([this] { Run(); });
}

void VoicePlayer::RequestStop()
{
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    wakeUp_.notify_all();
}

void VoicePlayer::Run()
{
    if (!output_.Play(wav_)) {
        state_ = State::Failed;
        return;
    }
    std::unique_lock lock(mutex_);
    wakeUp_.wait_for(lock, std::chrono::milliseconds(settleMs), [&] { return stopRequested_; });
    while (!stopRequested_) {
        lock.unlock();
        const bool playing = output_.IsPlaying();
        lock.lock();
        if (!playing) {
            state_ = State::Finished;
            return;
        }
        wakeUp_.wait_for(lock, std::chrono::milliseconds(pollMs), [&] { return stopRequested_; });
    }
    lock.unlock();
    output_.Stop();
    state_ = State::Finished;
}

}  // namespace MachineEvent
