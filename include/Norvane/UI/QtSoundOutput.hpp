#pragma once
// Plays the machines' voice messages (WAV bytes in memory) on the default audio output
// through Qt Multimedia. Any thread may call it; the audio objects live on the GUI thread.

#include "Monitoring/Popup.hpp"

#include <QObject>

#include <atomic>
#include <optional>
#include <memory>

class QAudioSink;
class QBuffer;

namespace UI {

/// The PCM layout of a WAV image and where its samples are; nothing when the bytes are
/// not a WAV image this output can play.
struct WaveLayout {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    bool floatingPoint = false;
    std::size_t dataOffset = 0;
    std::size_t dataSize = 0;
};
std::optional<WaveLayout> ParseWave(const MachineEvent::WaveBytes& wav);

class QtSoundOutput : public QObject, public MachineEvent::SoundOutput {
    Q_OBJECT
public:
    explicit QtSoundOutput(QObject* parent = nullptr);
    ~QtSoundOutput() override;

    /// False when a sound is still playing (it is not interrupted) or when the bytes are
    /// not a playable WAV image. Never waits for the GUI thread: a missing or refusing
    /// audio device shows as a playback that has already ended.
    bool Play(const std::shared_ptr<const MachineEvent::WaveBytes>& wav) override;
    bool IsPlaying() override { return playing_; }
    void Stop() override;

private:
    bool StartOnGuiThread(const std::shared_ptr<const MachineEvent::WaveBytes>& wav);
    void StopOnGuiThread();

    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<QBuffer> buffer_;
    std::shared_ptr<const MachineEvent::WaveBytes> playingBytes_;
    std::atomic<bool> playing_{false};
};

}  // namespace UI
