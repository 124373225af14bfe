// Slower playback: the engine's heard position stays in song time, through an
// output that takes a known number of frames. (The pitch and the length of
// what is heard are held against a real sound server in tst_audiosink.)

#include "audio/playbackengine.h"

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
    void heardPositionIsSongTime_data();
    void heardPositionIsSongTime();
};

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
    // The output has had its second; the publish after it says so.
    QTRY_COMPARE(engine.heardFrame(), from + heard);
    engine.stop();
}

QTEST_GUILESS_MAIN(TestTimeStretch)
#include "tst_timestretch.moc"
