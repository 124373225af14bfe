#include "cd/calibration.h"
#include "cd/drivelist.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include <memory>
#include <optional>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

Q_DECLARE_METATYPE(std::optional<CalibrationResult>)

namespace {

// The whole track as the player reads it, in chunks of an odd size so that
// bursts fall across chunk ends.
std::vector<qint16> readWhole(const Disc& disc)
{
    const std::unique_ptr<DiscReader> reader = disc.openReader();
    constexpr qint64 kChunk = 1001;
    std::vector<qint16> samples;
    std::vector<qint16> chunk(size_t(kChunk) * kChannels);
    for (qint64 at = 0;;) {
        const qint64 got = reader->read(at, chunk.data(), kChunk);
        if (got <= 0)
            break;
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + got * kChannels);
        at += got;
    }
    return samples;
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void clickTimesAreIrregularAndRepeatBySeed_data();
    void clickTimesAreIrregularAndRepeatBySeed();
    void clickTrackIsSilentButForABurstAtEachClick_data();
    void clickTrackIsSilentButForABurstAtEachClick();
    void readingStopsAtTheEndOfTheTrack();
    void pressesAnswerTheNearestClick_data();
    void pressesAnswerTheNearestClick();
    void lagIsTheMedianAndSpreadTheMedianDeviation_data();
    void lagIsTheMedianAndSpreadTheMedianDeviation();
    void resultTextAlwaysShowsTheSign_data();
    void resultTextAlwaysShowsTheSign();
    void offsetIsWrittenAsOneLine_data();
    void offsetIsWrittenAsOneLine();
    void fileGivesTheOffset_data();
    void fileGivesTheOffset();
    void failedWriteKeepsTheOldFile();

private:
    QString calibration() const { return m_home->configFolder() + u"/calibration.dat"_s; }

    std::unique_ptr<WorkArea> m_home;
};

void TestCalibration::init()
{
    m_home = std::make_unique<WorkArea>();
    QVERIFY(m_home->dir.isValid());
    QCOMPARE(CalibrationPath(), calibration());
    QCOMPARE(CalibrationPath(), ConfigFolder() + u"/calibration.dat"_s);
}

void TestCalibration::cleanup()
{
    m_home.reset();
}

void TestCalibration::clickTimesAreIrregularAndRepeatBySeed_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("0") << 0u;
    QTest::newRow("1") << 1u;
    QTest::newRow("20240601") << 20240601u;
    QTest::newRow("largest") << 0xffffffffu;
}

void TestCalibration::clickTimesAreIrregularAndRepeatBySeed()
{
    QFETCH(quint32, seed);
    const QList<qint32> times = CalibrationClickTimes(seed);
    QCOMPARE(times.size(), 16);
    QCOMPARE(times.first(), 1500);
    QSet<qint32> gaps;
    for (qsizetype i = 1; i < times.size(); ++i) {
        const qint32 gap = times.at(i) - times.at(i - 1);
        QVERIFY2(gap >= 800 && gap <= 1400, qPrintable(u"gap %1: %2 ms"_s.arg(i).arg(gap)));
        gaps.insert(gap);
    }
    // Fifteen gaps drawn from 601 values: a beat the user could follow would
    // repeat them.
    QVERIFY2(gaps.size() >= 12, qPrintable(QString::number(gaps.size())));
    QCOMPARE(CalibrationClickTimes(seed), times);
    QVERIFY(CalibrationClickTimes(seed + 1) != times);
}

void TestCalibration::clickTrackIsSilentButForABurstAtEachClick_data()
{
    QTest::addColumn<QList<qint32>>("clicks");
    QTest::newRow("a run's clicks") << CalibrationClickTimes(7);
    // 1001 ms is no whole frame (44 144.1): the burst starts at frame 44 144.
    QTest::newRow("from the first frame, odd times") << QList<qint32>{0, 1001, 2003, 2999};
}

void TestCalibration::clickTrackIsSilentButForABurstAtEachClick()
{
    QFETCH(QList<qint32>, clicks);
    const std::shared_ptr<const Disc> disc = MakeClickTrack(clicks);
    QCOMPARE(disc->tracks().size(), 1);
    QCOMPARE(disc->tracks().first().startFrame, 0);
    QVERIFY(disc->tracks().first().audio);
    QCOMPARE(disc->endFrame(), MsToFrames(clicks.last() + 1000));

    const std::vector<qint16> samples = readWhole(*disc);
    QCOMPARE(qint64(samples.size()), disc->endFrame() * kChannels);

    // Where sound starts after silence, and where each burst then ends.
    QList<qint64> onsets;
    qint64 burstEnd = 0;
    for (qint64 f = 0; f < disc->endFrame(); ++f) {
        const qint16 left = samples[size_t(f * 2)];
        const qint16 right = samples[size_t(f * 2 + 1)];
        QCOMPARE(right, left);
        if (f >= burstEnd && left != 0) {
            onsets.append(f);
            burstEnd = f + kClickFrames;
        }
    }
    QList<qint64> expected;
    for (const qint32 ms : clicks)
        expected.append(MsToFrames(ms));
    QCOMPARE(onsets, expected);
    QCOMPARE(kClickFrames, 1102);

    // A burst is loud at its start and dies away to nothing by its end.
    const qint64 first = expected.first();
    QCOMPARE(samples[size_t(first * 2)], qint16(16384));
    QCOMPARE(samples[size_t((first + kClickFrames - 1) * 2)], qint16(0));
}

void TestCalibration::readingStopsAtTheEndOfTheTrack()
{
    const std::shared_ptr<const Disc> disc = MakeClickTrack({1500});
    const qint64 end = disc->endFrame();
    QCOMPARE(end, MsToFrames(2500));
    const std::unique_ptr<DiscReader> reader = disc->openReader();
    std::vector<qint16> out(200 * kChannels, qint16(7));
    QCOMPARE(reader->read(end - 10, out.data(), 100), 10);
    QCOMPARE(out[19], qint16(0));
    QCOMPARE(out[20], qint16(7));
    QCOMPARE(reader->read(end, out.data(), 100), 0);
    QCOMPARE(reader->read(-1, out.data(), 100), 0);
}

void TestCalibration::pressesAnswerTheNearestClick_data()
{
    QTest::addColumn<QList<qint32>>("clicks");
    QTest::addColumn<QList<qint32>>("presses");
    QTest::addColumn<QList<qint32>>("lags");
    QTest::newRow("late presses") << QList<qint32>{1000, 2000, 3000}
                                  << QList<qint32>{1150, 2120, 3200}
                                  << QList<qint32>{150, 120, 200};
    QTest::newRow("an early press is a negative lag")
        << QList<qint32>{1000, 2000} << QList<qint32>{960, 2010} << QList<qint32>{-40, 10};
    QTest::newRow("the nearer of two clicks")
        << QList<qint32>{1000, 1600} << QList<qint32>{1290, 1310} << QList<qint32>{290, -290};
    QTest::newRow("halfway goes to the earlier click")
        << QList<qint32>{1000, 1600} << QList<qint32>{1300} << QList<qint32>{300};
    QTest::newRow("350 ms away counts, further is a stray")
        << QList<qint32>{1000, 2000, 3000} << QList<qint32>{649, 1351, 1650, 3350}
        << QList<qint32>{-350, 350};
    QTest::newRow("a second press on a click does not count")
        << QList<qint32>{1000, 2000} << QList<qint32>{1100, 1180, 2050, 2060}
        << QList<qint32>{100, 50};
    QTest::newRow("the earliest press counts, whatever the order")
        << QList<qint32>{1000, 2000} << QList<qint32>{2050, 1180, 1100} << QList<qint32>{100, 50};
    QTest::newRow("unanswered clicks give nothing")
        << QList<qint32>{1000, 2000, 3000} << QList<qint32>{3010} << QList<qint32>{10};
    QTest::newRow("no presses") << QList<qint32>{1000} << QList<qint32>{} << QList<qint32>{};
    QTest::newRow("no clicks") << QList<qint32>{} << QList<qint32>{1000} << QList<qint32>{};
}

void TestCalibration::pressesAnswerTheNearestClick()
{
    QFETCH(QList<qint32>, clicks);
    QFETCH(QList<qint32>, presses);
    QFETCH(QList<qint32>, lags);
    QCOMPARE(MatchPresses(clicks, presses), lags);
}

void TestCalibration::lagIsTheMedianAndSpreadTheMedianDeviation_data()
{
    QTest::addColumn<QList<qint32>>("lags");
    QTest::addColumn<std::optional<CalibrationResult>>("result");
    using R = CalibrationResult;
    QTest::newRow("all alike") << QList<qint32>(8, 150) << std::optional<R>(R{150, 0, 8});
    QTest::newRow("odd count: the middle one")
        << QList<qint32>{180, 100, 170, 110, 160, 120, 150, 130, 140}
        << std::optional<R>(R{140, 20, 9});
    QTest::newRow("even count: between the middle two")
        << QList<qint32>{100, 110, 120, 130, 140, 150, 160, 170} << std::optional<R>(R{135, 20, 8});
    QTest::newRow("half a millisecond rounds up")
        << QList<qint32>{100, 100, 100, 100, 101, 101, 101, 101} << std::optional<R>(R{101, 1, 8});
    QTest::newRow("early: half rounds away from zero")
        << QList<qint32>{-100, -100, -100, -100, -101, -101, -101, -101}
        << std::optional<R>(R{-101, 1, 8});
    QTest::newRow("early presses")
        << QList<qint32>{-40, -35, -50, -45, -30, -60, -42, -38} << std::optional<R>(R{-41, 5, 8});
    QTest::newRow("one slip does not move it")
        << QList<qint32>{150, 152, 148, 151, 149, 150, 153, 345} << std::optional<R>(R{151, 2, 8});
    QTest::newRow("seven are too few") << QList<qint32>(7, 150) << std::optional<R>();
    QTest::newRow("none") << QList<qint32>{} << std::optional<R>();
}

void TestCalibration::lagIsTheMedianAndSpreadTheMedianDeviation()
{
    QFETCH(QList<qint32>, lags);
    QFETCH(std::optional<CalibrationResult>, result);
    const std::optional<CalibrationResult> got = SummarizeLags(lags);
    QCOMPARE(got.has_value(), result.has_value());
    if (result) {
        QCOMPARE(got->lagMs, result->lagMs);
        QCOMPARE(got->spreadMs, result->spreadMs);
        QCOMPARE(got->presses, result->presses);
    }
}

void TestCalibration::resultTextAlwaysShowsTheSign_data()
{
    QTest::addColumn<int>("lag");
    QTest::addColumn<int>("spread");
    QTest::addColumn<QString>("text");
    QTest::newRow("late") << 132 << 18 << u"補正 +132 ms (±18)"_s;
    QTest::newRow("none") << 0 << 0 << u"補正 +0 ms (±0)"_s;
    QTest::newRow("early") << -40 << 7 << u"補正 -40 ms (±7)"_s;
}

void TestCalibration::resultTextAlwaysShowsTheSign()
{
    QFETCH(int, lag);
    QFETCH(int, spread);
    QFETCH(QString, text);
    QCOMPARE(CalibrationText({lag, spread, 8}), text);
}

void TestCalibration::offsetIsWrittenAsOneLine_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("readBack");
    QTest::newRow("late") << 132 << QByteArray("132\r\n") << 132;
    QTest::newRow("zero") << 0 << QByteArray("0\r\n") << 0;
    QTest::newRow("early") << -40 << QByteArray("-40\r\n") << -40;
    QTest::newRow("latest") << 500 << QByteArray("500\r\n") << 500;
    QTest::newRow("earliest") << -500 << QByteArray("-500\r\n") << -500;
    QTest::newRow("later than that is clamped") << 501 << QByteArray("500\r\n") << 500;
    QTest::newRow("earlier than that is clamped") << -9999 << QByteArray("-500\r\n") << -500;
}

void TestCalibration::offsetIsWrittenAsOneLine()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(int, readBack);
    QCOMPARE(CalibrationBytes(offset), bytes);
    // The folder is made when it is missing.
    QVERIFY(!QFileInfo::exists(m_home->configFolder()));
    QVERIFY(WriteCalibration(offset));
    QCOMPARE(readBytes(calibration()), bytes);
    QCOMPARE(ReadCalibration(), readBack);
    QCOMPARE(QDir(m_home->configFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"calibration.dat"_s});
}

void TestCalibration::fileGivesTheOffset_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("offset");
    QTest::newRow("no file") << false << QByteArray() << 0;
    QTest::newRow("empty") << true << QByteArray() << 0;
    QTest::newRow("late") << true << QByteArray("132\r\n") << 132;
    QTest::newRow("early") << true << QByteArray("-40\r\n") << -40;
    QTest::newRow("plus sign") << true << QByteArray("+25\r\n") << 25;
    QTest::newRow("blanks around") << true << QByteArray(" \t77 \r\n") << 77;
    QTest::newRow("no line end") << true << QByteArray("88") << 88;
    QTest::newRow("lone LF") << true << QByteArray("89\n") << 89;
    QTest::newRow("only the first line") << true << QByteArray("12\r\n34\r\n") << 12;
    QTest::newRow("limits") << true << QByteArray("-500\r\n") << -500;
    QTest::newRow("words") << true << QByteArray("abc\r\n") << 0;
    QTest::newRow("unit") << true << QByteArray("12ms\r\n") << 0;
    QTest::newRow("fraction") << true << QByteArray("1.5\r\n") << 0;
    QTest::newRow("sign alone") << true << QByteArray("-\r\n") << 0;
    QTest::newRow("two numbers") << true << QByteArray("1 2\r\n") << 0;
    QTest::newRow("blank first line") << true << QByteArray("\r\n132\r\n") << 0;
    QTest::newRow("later than 500 is no offset") << true << QByteArray("501\r\n") << 0;
    QTest::newRow("earlier than -500 is no offset") << true << QByteArray("-501\r\n") << 0;
    QTest::newRow("too large for a number") << true << QByteArray("99999999999999999999\r\n") << 0;
}

void TestCalibration::fileGivesTheOffset()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(int, offset);
    QCOMPARE(CalibrationFromBytes(bytes), offset);
    if (exists) {
        QVERIFY(QDir().mkpath(m_home->configFolder()));
        writeBytes(calibration(), bytes);
    }
    QCOMPARE(ReadCalibration(), offset);
}

void TestCalibration::failedWriteKeepsTheOldFile()
{
    // A folder in the file's place reads as no offset and cannot be replaced.
    QVERIFY(QDir().mkpath(calibration() + u"/inside"_s));
    QCOMPARE(ReadCalibration(), 0);
    QVERIFY(!WriteCalibration(12));
    QVERIFY(QFileInfo(calibration() + u"/inside"_s).isDir());
    QVERIFY(QDir(calibration()).removeRecursively());

    // The file opens, but no byte can be written: the old file stays whole.
    writeBytes(calibration(), "77\r\n");
    {
        FileSizeLimit noGrowth(0);
        QVERIFY(noGrowth.isSet());
        QVERIFY(!WriteCalibration(12));
    }
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));
    QCOMPARE(ReadCalibration(), 77);
    QCOMPARE(QDir(m_home->configFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"calibration.dat"_s});
}

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
