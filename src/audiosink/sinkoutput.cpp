#include "audiosink/sinkoutput.h"

#include "audio/disc.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace verselet {

namespace {

constexpr int kBytesPerFrame = kChannels * 2;

// Frames go to a QAudioSink in push mode. What has been heard is what the
// sink says it has played (processedUSecs: the sound server's own clock of
// the stream, its latency included); the rest of what was handed over is
// still on its way.
//
// One QAudioSink serves every session. Stopping it closes its stream and
// drops what the stream still held, so a new Play is heard at once; starting
// it opens a new stream, whose clock starts again from zero. Destroying it is
// what must not happen between sessions: Qt's PulseAudio sink runs the
// thread's events as it is destroyed.
class SinkOutput final : public AudioOutput
{
public:
    explicit SinkOutput(const QAudioDevice& device) : m_device(device) {}
    ~SinkOutput() override { stop(); }

    bool start() override
    {
        stop();
        if (!m_sink) {
            QAudioFormat format;
            format.setSampleRate(kFrameRate);
            format.setChannelCount(kChannels);
            format.setSampleFormat(QAudioFormat::Int16);
            if (!m_device.isFormatSupported(format))
                return false;
            m_sink = std::make_unique<QAudioSink>(m_device, format);
        }
        m_sink->setBufferSize(kFrameRate / 10 * kBytesPerFrame); // 100 ms
        m_io = m_sink->start();
        m_handed = 0;
        if (!m_io || m_sink->error() != QAudio::NoError) {
            stop();
            return false;
        }
        return true;
    }

    void stop() override
    {
        if (m_io)
            m_sink->stop();
        m_io = nullptr;
    }

    qint64 writableFrames() override { return m_io ? m_sink->bytesFree() / kBytesPerFrame : 0; }

    qint64 write(const qint16* frames, qint64 count) override
    {
        if (!m_io)
            return 0;
        const qint64 bytes =
            m_io->write(reinterpret_cast<const char*>(frames), count * kBytesPerFrame);
        const qint64 written = bytes > 0 ? bytes / kBytesPerFrame : 0;
        m_handed += written;
        return written;
    }

    qint64 heldFrames() override
    {
        if (!m_io)
            return 0;
        // The sink counts whole microseconds, a little less than a frame's
        // worth: rounded to the nearest frame, the count is exact, and a
        // playback of any length ends with nothing held.
        const qint64 played = (m_sink->processedUSecs() * kFrameRate + 500000) / 1000000;
        return std::clamp<qint64>(m_handed - played, 0, m_handed);
    }

    bool isSilent() const override { return false; }

private:
    QAudioDevice m_device;
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr; // the open stream, owned by m_sink
    qint64 m_handed = 0;
};

} // namespace

AudioOutputFactory SystemAudioOutputs()
{
    return []() -> std::unique_ptr<AudioOutput> {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return MakeSilentOutput();
        return std::make_unique<SinkOutput>(device);
    };
}

} // namespace verselet
