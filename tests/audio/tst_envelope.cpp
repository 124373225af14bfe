// The envelope of a disc's audio against signals of known shape: measured
// block by block, merged from parts, read ahead from a disc image and fed
// from what a drive plays.

#include "audio/cdiodisc.h"
#include "audio/discaudiodevice.h"
#include "audio/envelope.h"
#include "audio/playbackengine.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"

#include <vector>

using namespace verselet;

namespace {

// The position pattern's extremes over the frames of one block of a disc.
std::pair<qint16, qint16> patternBlock(qint64 block, qint64 endFrame)
{
    qint16 hi = std::numeric_limits<qint16>::min();
    for (qint64 f = block * kEnvelopeBlockFrames;
         f < std::min((block + 1) * kEnvelopeBlockFrames, endFrame); ++f)
        hi = std::max(hi, fixtures::leftSample(f));
    return {qint16(-hi), hi};
}

bool waitUntilKnown(const EnvelopeCache& cache, qint64 first, qint64 last, int timeoutMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        bool all = true;
        for (qint64 b = first; b <= last && all; ++b)
            all = cache.envelope().known(b);
        if (all)
            return true;
        QTest::qWait(10);
    }
    return false;
}

} // namespace

class TestEnvelope : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocksHoldTheExtremesOfBothChannels();
    void partsOfABlockMerge();
    void imageIsReadAheadTrackByTrack();
    void driveIsBuiltFromWhatItPlays();
};

void TestEnvelope::blocksHoldTheExtremesOfBothChannels()
{
    // Silence with one spike up on the left at frame 500 and one down on the
    // right at frame 1000 (blocks 1 and 2), starting mid-block.
    std::vector<qint16> frames(1200 * 2, 0);
    frames[size_t((500 - 300) * 2)] = 12000;
    frames[size_t((1000 - 300) * 2 + 1)] = -9000;
    const EnvelopeBlocks blocks = MeasureBlocks(300, frames.data(), 1200);
    QCOMPARE(blocks.first, 0);
    QCOMPARE(blocks.mins, (QList<qint16>{0, 0, -9000, 0}));
    QCOMPARE(blocks.maxs, (QList<qint16>{0, 12000, 0, 0}));
}

void TestEnvelope::partsOfABlockMerge()
{
    Envelope envelope;
    envelope.reset(kEnvelopeBlockFrames * 3 - 5);
    QCOMPARE(envelope.blockCount(), 3);
    QVERIFY(!envelope.known(0) && !envelope.known(1) && !envelope.known(2));
    const std::vector<qint16> up(100 * 2, 300);
    const std::vector<qint16> down(100 * 2, -700);
    envelope.merge(MeasureBlocks(kEnvelopeBlockFrames + 10, up.data(), 100));
    envelope.merge(MeasureBlocks(kEnvelopeBlockFrames + 200, down.data(), 100));
    QVERIFY(envelope.known(1) && !envelope.known(0));
    QCOMPARE(envelope.min(1), qint16(-700));
    QCOMPARE(envelope.max(1), qint16(300));
    qint16 lo = 0;
    qint16 hi = 0;
    QVERIFY(envelope.extremes(0, 2, lo, hi));
    QCOMPARE(std::pair(lo, hi), std::pair(qint16(-700), qint16(300)));
    QVERIFY(!envelope.extremes(2, 9, lo, hi));
}

void TestEnvelope::imageIsReadAheadTrackByTrack()
{
    QTemporaryDir dir;
    const QString cue = fixtures::writeBinCue(dir.path(), {75 * 3, 75 * 2});
    std::shared_ptr<const Disc> disc = OpenCdioDisc(cue);
    QVERIFY(disc && !disc->isDrive());
    EnvelopeCache cache;
    cache.setDisc(disc, true);
    const qint64 end = disc->endFrame();
    const qint64 track2 = disc->tracks().at(1).startFrame / kEnvelopeBlockFrames;
    cache.request(2);
    QVERIFY(waitUntilKnown(cache, track2 + 1, (end - 1) / kEnvelopeBlockFrames));
    // Only what was asked for, every block as the pattern has it.
    QVERIFY(!cache.envelope().known(0));
    for (qint64 b = track2 + 1; b < cache.envelope().blockCount(); ++b) {
        const auto [lo, hi] = patternBlock(b, end);
        QCOMPARE(cache.envelope().min(b), lo);
        QCOMPARE(cache.envelope().max(b), hi);
    }
    cache.request(1);
    QVERIFY(waitUntilKnown(cache, 0, track2 - 1));
    QCOMPARE(cache.envelope().max(10), patternBlock(10, end).second);
}

void TestEnvelope::driveIsBuiltFromWhatItPlays()
{
    // An image read as a drive is (through cd-paranoia): nothing is read
    // ahead, and the envelope grows as it plays.
    QTemporaryDir dir;
    const QString cue = fixtures::writeBinCue(dir.path(), {75 * 2});
    std::shared_ptr<const Disc> disc = OpenCdioDisc(cue, true);
    QVERIFY(disc && disc->isDrive());
    EnvelopeCache cache;
    cache.setDisc(disc, false);
    cache.request(1);
    QTest::qWait(100);
    QVERIFY(!cache.envelope().known(5));

    PlaybackEngine engine(MakeSilentOutput);
    engine.setDisc(disc);
    engine.setTap(
        [&cache, generation = cache.generation()](qint64 at, const qint16* frames, qint64 count) {
            cache.feed(generation, at, frames, count);
        });
    engine.play(kFrameRate / 2);
    const qint64 first = kFrameRate / 2 / kEnvelopeBlockFrames + 1;
    QVERIFY(waitUntilKnown(cache, first, first + 50));
    QCOMPARE(cache.envelope().max(first + 7), patternBlock(first + 7, disc->endFrame()).second);
    QVERIFY(!cache.envelope().known(0)); // before where it started
    engine.stop();
    engine.setTap({});

    // Frames the drive read before another disc came are queued still when
    // it does: they are dropped, and the new disc's are taken.
    const std::vector<qint16> loud(size_t(kEnvelopeBlockFrames) * 2, 9000);
    cache.feed(cache.generation(), 0, loud.data(), kEnvelopeBlockFrames);
    cache.setDisc(disc, false);
    QTest::qWait(20);
    QVERIFY(!cache.envelope().known(0));
    cache.feed(cache.generation(), 0, loud.data(), kEnvelopeBlockFrames);
    QTRY_VERIFY(cache.envelope().known(0));
    QCOMPARE(cache.envelope().max(0), qint16(9000));
}

QTEST_GUILESS_MAIN(TestEnvelope)
#include "tst_envelope.moc"
