#include "cd/discaudiodevice.h"
#include "cd/sinkoutput.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"
#include "pulsenullsink.h"

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
    void heardPositionFollowsTheClock();
    void stopAndResumeThroughTheSink();

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

void TestAudioSink::heardPositionFollowsTheClock()
{
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(m_image);
    device.setCommand(u"Open"_s);
    QCOMPARE(device.Tracks(), 2);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    // The first frames reach the sink and start sounding.
    positionAfter(device, 300);
    QVERIFY(device.isPlaying());
    QVERIFY2(!device.isSilent(), "the sink did not start; the engine fell back to the clock");

    // The null sink consumes in real time; the heard position follows the
    // sink's buffer, which it reads every 2 ms tick and between ticks moves on
    // by the clock. 40 ms covers the sink's own granularity.
    QElapsedTimer wall;
    wall.start();
    const qint32 start = device.Position();
    qint32 previous = start;
    while (wall.elapsed() < 2000) {
        QTest::qWait(1);
        const qint32 now = device.Position();
        QVERIFY(now >= previous);
        previous = now;
    }
    const qint64 elapsed = wall.elapsed();
    const qint32 moved = device.Position() - start;
    QVERIFY2(std::abs(moved - elapsed) <= 40, qPrintable(u"moved %1 ms in %2 ms"_s.arg(moved).arg(elapsed)));
    device.setCommand(u"Stop"_s);
}

void TestAudioSink::stopAndResumeThroughTheSink()
{
    DiscAudioDevice device(SystemAudioOutputs());
    device.setFileName(m_image);
    device.setCommand(u"Open"_s);
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
