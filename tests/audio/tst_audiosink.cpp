#include "audio/discaudiodevice.h"
#include "audio/playbackengine.h"
#include "audiosink/sinkoutput.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"
#include "pulsenullsink.h"
#include "sinkmonitor.h"

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

PulseNullSink* g_pulse = nullptr;
bool g_pulseUp = false;

qint32 positionAfter(DiscAudioDevice& device, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(1);
    return device.Position();
}

} // namespace

// The real audio path: frames through QAudioSink into a PulseAudio null sink,
// which plays in real time like a sound card.
class TestAudioSink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void nullSinkIsTheDefaultOutput();
    void heardPositionMatchesWhatTheSinkRendered();
    void stopAndResumeThroughTheSink();
    void everySeekThroughTheSinkPlaysOn();
    void halfSpeedKeepsThePitchAndTakesTwiceAsLong();

private:
    QTemporaryDir m_dir;
    QString m_image;
};

void TestAudioSink::initTestCase()
{
    if (!g_pulseUp)
        QSKIP(qPrintable(u"the real audio path cannot be tested here: "_s + g_pulse->why()));
    m_image = fixtures::writeBinCue(m_dir.path(), {750, 750});
    QVERIFY(!m_image.isEmpty());
}

void TestAudioSink::nullSinkIsTheDefaultOutput()
{
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    QVERIFY(!output.isNull());
    DiscAudioDevice device(SystemAudioOutputs());
    QVERIFY(!device.isSilent());
}

void TestAudioSink::heardPositionMatchesWhatTheSinkRendered()
{
    SinkMonitor monitor;
    if (!monitor.start())
        QSKIP(qPrintable(u"what the sink renders cannot be recorded: "_s + monitor.why()));
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(m_image);
    fixtures::open(device);
    QCOMPARE(device.Tracks(), 2);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    qint32 previous = 0;
    bool forward = true;
    const QList<double> diffs = HeardMinusRendered(
        monitor,
        [&] {
            const qint32 now = device.Position();
            forward = forward && now >= previous;
            previous = now;
            return double(now);
        },
        3000);
    QVERIFY2(!device.isSilent(), "the sink did not start; the engine fell back to the clock");
    device.setCommand(u"Stop"_s);
    QVERIFY2(forward, "the heard position stepped back");

    // The heard position is what the sink renders, not what was handed to it
    // (that is about 100 ms ahead). Most samples are within a few ms; a
    // scheduling hiccup on a busy machine may put a few further out.
    QVERIFY2(diffs.size() >= 200, qPrintable(u"%1 samples"_s.arg(diffs.size())));
    QList<double> off;
    for (double d : diffs)
        off.append(std::abs(d));
    const double median = Quantile(off, 0.5);
    const double most = Quantile(off, 0.9);
    QVERIFY2(median <= 10 && most <= 20,
             qPrintable(u"|heard - rendered|: median %1 ms, 90% within %2 ms, over %3 samples"_s
                            .arg(median, 0, 'f', 1)
                            .arg(most, 0, 'f', 1)
                            .arg(diffs.size())));
}

void TestAudioSink::stopAndResumeThroughTheSink()
{
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(m_image);
    fixtures::open(device);
    device.setTrack(2);
    device.setFrom(device.TrackPosition());
    device.setCommand(u"Play"_s);
    const qint32 playing = positionAfter(device, 400);
    QVERIFY2(playing > 10000 && playing < 10500, qPrintable(QString::number(playing)));
    device.setCommand(u"Stop"_s);
    const qint32 stopped = device.Position();
    QCOMPARE(positionAfter(device, 200), stopped);
    device.setCommand(u"Play"_s);
    const qint32 resumed = positionAfter(device, 400);
    QVERIFY2(resumed > stopped + 200 && resumed < stopped + 500,
             qPrintable(u"%1 after %2"_s.arg(resumed).arg(stopped)));
    device.setCommand(u"Stop"_s);
}

void TestAudioSink::everySeekThroughTheSinkPlaysOn()
{
    // Three hundred seeks (From + Play), three at a time with a Stop before
    // the last, a few milliseconds apart, the way a user jumps about. After
    // each round the heard position must move on from the last place, by
    // more than the sink's buffer could still play of a stream nobody feeds.
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(m_image);
    fixtures::open(device);
    QCOMPARE(device.Tracks(), 2);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(device.Position() > 50, 2000);
    for (int round = 0; round < 100; ++round) {
        device.setFrom(1000 + (round * 613) % 15000);
        device.setCommand(u"Play"_s);
        QTest::qWait(round % 3);
        device.setFrom(1000 + (round * 877) % 15000);
        device.setCommand(u"Play"_s);
        QTest::qWait(round % 2);
        device.setCommand(u"Stop"_s);
        QTest::qWait(round % 5);
        const qint32 last = 1000 + (round * 1259 + 7000) % 15000;
        device.setFrom(last);
        device.setCommand(u"Play"_s);
        QTRY_VERIFY2_WITH_TIMEOUT(
            device.Position() > last + 150,
            qPrintable(u"round %1: stuck at %2 after a seek to %3"_s.arg(round)
                           .arg(device.Position())
                           .arg(last)),
            2000);
        QVERIFY(device.isPlaying());
    }
    QVERIFY2(!device.isSilent(), "the sink did not start; the engine fell back to the clock");
    const qint32 before = device.Position();
    const qint32 after = positionAfter(device, 300);
    QVERIFY2(after >= before + 250 && after <= before + 350,
             qPrintable(u"%1 then %2"_s.arg(before).arg(after)));
    device.setCommand(u"Stop"_s);
}

void TestAudioSink::halfSpeedKeepsThePitchAndTakesTwiceAsLong()
{
    SinkMonitor monitor;
    if (!monitor.start())
        QSKIP(qPrintable(u"what the sink renders cannot be recorded: "_s + monitor.why()));
    PlaybackEngine engine(SystemAudioOutputs());
    QVERIFY(!engine.isSilent());
    engine.setDisc(std::make_shared<fixtures::ToneDisc>(440, 1000));
    engine.setSpeed(0.5);
    engine.play(0);
    QElapsedTimer t;
    t.start();
    while (engine.isPlaying() && t.elapsed() < 10000) {
        QTest::qWait(5);
        monitor.poll();
    }
    QVERIFY(!engine.isPlaying());
    QCOMPARE(engine.heardFrame(), qint64(kFrameRate)); // the whole song, in song time
    QTest::qWait(300);
    monitor.poll();

    // The sound from its first frame to its last: two seconds, to 3 %, of
    // the same note, to 2 %.
    const auto* frames = reinterpret_cast<const qint16*>(monitor.sound().constData());
    qint64 last = monitor.sound().size() / 4 - 1;
    while (last > 0 && std::abs(frames[last * 2]) < 100)
        --last;
    QVERIFY2(std::abs(last - 2 * kFrameRate) <= 2 * kFrameRate * 3 / 100,
             qPrintable(QString::number(last)));
    const double hz = fixtures::toneHz(frames + last / 10 * 2, last * 8 / 10);
    QVERIFY2(std::abs(hz - 440) <= 440 * 0.02, qPrintable(QString::number(hz)));
}

int main(int argc, char* argv[])
{
    PulseNullSink pulse;
    g_pulse = &pulse;
    g_pulseUp = pulse.start();
    QGuiApplication app(argc, argv);
    TestAudioSink test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_audiosink.moc"
