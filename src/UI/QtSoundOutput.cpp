#include "Norvane/UI/QtSoundOutput.hpp"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QThread>

#include <cstring>

namespace UI {

namespace {

std::uint32_t le32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (std::uint32_t(b[3]) << 24);
}
std::uint16_t le16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

// Runs `work` on the context's (GUI) thread without waiting: the voice threads that
// call in may be the very threads the GUI thread is waiting for at shutdown.
template <class Work>
void postTo(QObject* context, Work work)
{
    if (QThread::currentThread() == context->thread())
        work();
    else
        QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}

}  // namespace

std::optional<WaveLayout> ParseWave(const MachineEvent::WaveBytes& wav)
{
    const std::size_t size = wav.size();
    if (size < 12 || std::memcmp(wav.data(), "RIFF", 4) != 0 || std::memcmp(wav.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WaveLayout layout;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= size) {
        const char* chunk = wav.data() + at;
        const std::size_t length = le32(chunk + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || body + 16 > size) return std::nullopt;
            const int format = le16(wav.data() + body);
            layout.channels = le16(wav.data() + body + 2);
            layout.sampleRate = static_cast<int>(le32(wav.data() + body + 4));
            layout.bitsPerSample = le16(wav.data() + body + 14);
            layout.floatingPoint = format == 3;
            if (format != 1 && format != 3) return std::nullopt;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return std::nullopt;
            layout.dataOffset = body;
            layout.dataSize = std::min(length, size - body);  // a short file plays what it has
            const bool known = (!layout.floatingPoint && (layout.bitsPerSample == 8 || layout.bitsPerSample == 16 ||
                                                          layout.bitsPerSample == 32)) ||
                               (layout.floatingPoint && layout.bitsPerSample == 32);
            if (!known || layout.channels < 1 || layout.channels > 8 || layout.sampleRate <= 0) return std::nullopt;
            return layout;
        }
        if (length > size) return std::nullopt;
        at = body + length + (length & 1);
    }
    return std::nullopt;
}

QtSoundOutput::QtSoundOutput(QObject* parent) : QObject(parent) {}

QtSoundOutput::~QtSoundOutput() { StopOnGuiThread(); }

bool QtSoundOutput::Play(const std::shared_ptr<const MachineEvent::WaveBytes>& wav)
{
    if (!wav || playing_ || !ParseWave(*wav)) return false;
    // Playing from now on; a device that cannot take it ends the playback at once.
    playing_ = true;
    postTo(this, [this, wav] {
        if (!StartOnGuiThread(wav)) playing_ = false;
    });
    return true;
}

bool QtSoundOutput::StartOnGuiThread(const std::shared_ptr<const MachineEvent::WaveBytes>& wav)
{
    const auto layout = ParseWave(*wav);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!layout || device.isNull()) return false;

    QAudioFormat format;
    format.setChannelCount(layout->channels);
    format.setSampleRate(layout->sampleRate);
    format.setSampleFormat(layout->floatingPoint        ? QAudioFormat::Float
                           : layout->bitsPerSample == 8  ? QAudioFormat::UInt8
                           : layout->bitsPerSample == 16 ? QAudioFormat::Int16
                                                         : QAudioFormat::Int32);
    if (!device.isFormatSupported(format)) return false;

    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
    }
    playingBytes_ = wav;
    buffer_ = std::make_unique<QBuffer>();
    buffer_->setData(QByteArray::fromRawData(wav->data() + layout->dataOffset, static_cast<int>(layout->dataSize)));
    buffer_->open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device, format);
    connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState) playing_ = false;
    });
    sink_->start(buffer_.get());
    return sink_->error() == QAudio::NoError;
}

void QtSoundOutput::Stop()
{
    playing_ = false;
    postTo(this, [this] { StopOnGuiThread(); });
}

void QtSoundOutput::StopOnGuiThread()
{
    if (sink_) {
        sink_->disconnect(this);
        sink_->stop();
    }
    sink_.reset();
    buffer_.reset();
    playingBytes_.reset();
    playing_ = false;
}

}  // namespace UI
