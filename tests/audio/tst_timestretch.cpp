// Slower playback with the pitch kept: the stretcher alone on a tone, and the
// engine, whose heard position stays in song time, through an output that
// takes a known number of frames.

#include "audio/playbackengine.h"
#include "audio/timestretch.h"

#include <QTest>

#include <atomic>

#include "discfixtures.h"

using namespace verselet;

namespace {

// Takes frames at once until it has taken `limit`, and holds none back: what
// it has taken is what has been heard.
class CappedOutput final : public AudioOutput
{
public:
    CappedOutput(qint64 limit, std::atomic<qint64>& taken) : m_limit(limit), m_taken(taken) {}
    bool start() override { return true; }
    void stop() override {}
    qint64 writableFrames() override { return m_limit - m_taken.load(); }
    qint64 write(const qint16*, qint64 count) override
    {
        m_taken += count;
        return count;
    }
    qint64 heldFrames() override { return 0; }
    bool isSilent() const override { return false; }

private:
    const qint64 m_limit;
    std::atomic<qint64>& m_taken;
};

} // namespace

class TestTimeStretch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toneKeepsItsPitchAndLasts_data();
    void toneKeepsItsPitchAndLasts();
    void heardPositionIsSongTime_data();
    void heardPositionIsSongTime();
};

void TestTimeStretch::toneKeepsItsPitchAndLasts_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<qint64>("frames"); // out of one second of song
    QTest::newRow("half speed") << 0.5 << qint64(88200);
    QTest::newRow("three quarters") << 0.75 << qint64(58800);
}

void TestTimeStretch::toneKeepsItsPitchAndLasts()
{
    QFETCH(double, speed);
    QFETCH(qint64, frames);
    const fixtures::ToneDisc tone(440, 1000);
    std::vector<qint16> song(size_t(kFrameRate) * 2);
    QCOMPARE(tone.openReader()->read(0, song.data(), kFrameRate), qint64(kFrameRate));

    TimeStretch stretch(speed);
    std::vector<qint16> out(size_t(frames) * 4);
    qint64 got = 0;
    for (qint64 at = 0; at < kFrameRate; at += 1000)
        stretch.push(song.data() + at * 2, std::min<qint64>(1000, kFrameRate - at), at + 1000 >= kFrameRate);
    while (qint64 n = stretch.pull(out.data() + got * 2, qint64(out.size() / 2) - got))
        got += n;
    QVERIFY(stretch.drained());
    // As long as the song at its speed, to 2 %, and the same note, to 2 %
    // (the first and last tenth left out: the stretcher fades in and out).
    QVERIFY2(std::abs(got - frames) <= frames / 50, qPrintable(QString::number(got)));
    const double hz = fixtures::toneHz(out.data() + got / 10 * 2, got * 8 / 10);
    QVERIFY2(std::abs(hz - 440) <= 440 * 0.02, qPrintable(QString::number(hz)));
}

void TestTimeStretch::heardPositionIsSongTime_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<qint64>("heard"); // song frames after a second of output
    QTest::newRow("half speed") << 0.5 << qint64(22050);
    QTest::newRow("three quarters") << 0.75 << qint64(33075);
    QTest::newRow("full speed") << 1.0 << qint64(44100);
}

void TestTimeStretch::heardPositionIsSongTime()
{
    QFETCH(double, speed);
    QFETCH(qint64, heard);
    std::atomic<qint64> taken{0};
    PlaybackEngine engine([&taken] { return std::make_unique<CappedOutput>(kFrameRate, taken); });
    engine.setDisc(std::make_shared<fixtures::ToneDisc>(440, 5000));
    engine.setSpeed(speed);
    const qint64 from = 1000;
    engine.play(from);
    QVERIFY(QTest::qWaitFor([&taken] { return taken.load() == kFrameRate; }, 5000));
    // The output has had its second; the next publish says so.
    QTest::qWait(50);
    QCOMPARE(engine.heardFrame(), from + heard);
    engine.stop();
}

QTEST_GUILESS_MAIN(TestTimeStretch)
#include "tst_timestretch.moc"
