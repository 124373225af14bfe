// The CD-audio device at work: the cost of reading Position, the CPU the
// engine takes while it plays, the time from Play to the first frame reaching
// the output, and — through a PulseAudio null sink of its own — how far the
// heard position is from what the sink itself has played.

#include "audio/discaudiodevice.h"
#include "audiosink/sinkoutput.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "../tests/discfixtures.h"
#include "../tests/pulsenullsink.h"
#include "../tests/sinkmonitor.h"
#include "benchclock.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Notes when the first frames reach the output it wraps.
std::atomic<qint64> g_firstWriteNs{0};

class Watched final : public AudioOutput
{
public:
    explicit Watched(std::unique_ptr<AudioOutput> inner) : m_inner(std::move(inner)) {}
    bool start() override { return m_inner->start(); }
    void stop() override { m_inner->stop(); }
    qint64 writableFrames() override { return m_inner->writableFrames(); }
    qint64 write(const qint16* frames, qint64 count) override
    {
        const qint64 n = m_inner->write(frames, count);
        qint64 expected = 0;
        if (n > 0)
            g_firstWriteNs.compare_exchange_strong(expected, monotonicNs());
        return n;
    }
    qint64 heldFrames() override { return m_inner->heldFrames(); }
    bool isSilent() const override { return m_inner->isSilent(); }

private:
    std::unique_ptr<AudioOutput> m_inner;
};

AudioOutputFactory watched(AudioOutputFactory inner)
{
    return [inner] { return std::make_unique<Watched>(inner ? inner() : MakeSilentOutput()); };
}

void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(std::min<qint64>(20, ms - t.elapsed()));
}

void measure(const char* label, AudioOutputFactory outputs, const QString& image,
             double speed = 1.0)
{
    DiscAudioDevice device(watched(std::move(outputs)));
    device.setFileName(image);
    fixtures::open(device);
    device.setSpeed(speed);
    std::printf("%s (%s, %.0f %% speed)\n", label,
                device.isSilent() ? "silent clock" : "audio output", speed * 100);

    // Play to the first frame handed to the output, over several starts.
    QList<double> firstFrame;
    for (int i = 0; i < 7; ++i) {
        g_firstWriteNs = 0;
        device.setFrom(1000 * i);
        const qint64 t0 = monotonicNs();
        device.setCommand(u"Play"_s);
        while (g_firstWriteNs == 0 && monotonicNs() - t0 < 2000000000)
            QTest::qWait(1);
        firstFrame.append((g_firstWriteNs - t0) / 1e6);
        waitMs(200);
        device.setCommand(u"Stop"_s);
    }
    std::sort(firstFrame.begin(), firstFrame.end());
    std::printf(
        "  Play to first frame at the output  median %6.2f ms  worst %6.2f ms (target 50)\n",
        firstFrame.at(firstFrame.size() / 2), firstFrame.last());

    // Position reads while playing.
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    waitMs(100);
    constexpr int kReads = 2000000;
    qint64 sum = 0;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kReads; ++i)
        sum += device.Position();
    const double perRead = double(t.nsecsElapsed()) / kReads;
    std::printf("  one Position read                   %6.1f ns (checksum %lld)\n", perRead,
                static_cast<long long>(sum % 7));

    // CPU while playing 5 s with the thread otherwise idle.
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitMs(5000);
    const double cpu = cpuSeconds() - cpu0;
    std::printf("  CPU while playing 5 s               %6.2f %% of one core (target %s)\n",
                100.0 * cpu / (wall.nsecsElapsed() / 1e9), speed == 1.0 ? "2" : "10");
    device.setCommand(u"Stop"_s);
}

// Compares the device's heard position with what the null sink has played,
// as its monitor records it, sampled many times; below full speed, with the
// song position of what was played (a second played is `speed` s of song).
void compareWithSink(const QString& image, double speed = 1.0)
{
    SinkMonitor monitor;
    if (!monitor.start()) {
        std::printf("  heard position against the sink: %s\n", qPrintable(monitor.why()));
        return;
    }
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(image);
    fixtures::open(device);
    device.setSpeed(speed);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QList<double> diffs = HeardMinusRendered(
        monitor, [&device, speed] { return double(device.Position()) / speed; }, 4000);
    device.setCommand(u"Stop"_s);
    if (diffs.isEmpty()) {
        std::printf("  heard position against the sink: the monitor delivered nothing\n");
        return;
    }
    QList<double> absolute;
    for (double d : diffs)
        absolute.append(std::abs(d));
    // In song time: the differences were taken in played time.
    for (double& d : diffs)
        d *= speed;
    for (double& d : absolute)
        d *= speed;
    std::printf("  heard song position - sink's played audio's (%.0f %% speed): median %+6.1f ms, "
                "|diff| median %5.1f ms, 95th %5.1f ms over %lld samples (target 10)\n",
                speed * 100, Quantile(diffs, 0.5), Quantile(absolute, 0.5),
                Quantile(absolute, 0.95), static_cast<long long>(diffs.size()));
}

} // namespace

int main(int argc, char* argv[])
{
    ShowOnlyFailures();
    PulseNullSink pulse;
    const bool pulseUp = pulse.start();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QTemporaryDir dir;
    const QString image = fixtures::writeBinCue(dir.path(), {75 * 20, 75 * 20});

    measure("CD-audio device, no audio output", MakeSilentOutput, image);
    if (!pulseUp) {
        std::printf("the audio output through PulseAudio cannot be measured here: %s\n",
                    qPrintable(pulse.why()));
        return 0;
    }
    measure("CD-audio device, PulseAudio null sink", SystemAudioOutputs(), image);
    compareWithSink(image);
    measure("CD-audio device, PulseAudio null sink", SystemAudioOutputs(), image, 0.5);
    compareWithSink(image, 0.5);
    return 0;
}
