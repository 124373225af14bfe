#include "settings/calibration.h"

#include <QDir>
#include <QSet>
#include <QTest>

#include "testfiles.h"

#include <memory>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

// Clicks a second apart from 1 s on, each answered with its lag.
void answered(const QList<qint32>& lags, QList<qint32>& clicks, QList<qint32>& presses)
{
    for (qsizetype i = 0; i < lags.size(); ++i) {
        clicks.append(qint32(1000 * (i + 1)));
        presses.append(clicks.last() + lags.at(i));
    }
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<WorkArea>(); }
    void cleanup() { m_home.reset(); }

    void clickTrackSoundsExactlyAtTheClicks();
    void pressesGiveTheMedianLag_data();
    void pressesGiveTheMedianLag();
    void fileGivesTheOffset_data();
    void fileGivesTheOffset();
    void offsetIsWrittenWholeOrNotAtAll();

private:
    QString calibration() const { return m_home->configFolder() + u"/calibration.dat"_s; }

    std::unique_ptr<WorkArea> m_home;
};

void TestCalibration::clickTrackSoundsExactlyAtTheClicks()
{
    const QList<qint32> clicks = CalibrationClickTimes(7);
    QCOMPARE(CalibrationClickTimes(7), clicks);
    QVERIFY(CalibrationClickTimes(8) != clicks);
    QCOMPARE(clicks.size(), 16);
    QCOMPARE(clicks.first(), 1500);
    QSet<qint32> gaps;
    for (qsizetype i = 1; i < clicks.size(); ++i) {
        const qint32 gap = clicks.at(i) - clicks.at(i - 1);
        QVERIFY2(gap >= 800 && gap <= 1400, qPrintable(QString::number(gap)));
        gaps.insert(gap);
    }
    // A beat to tap along to would repeat its gaps.
    QVERIFY(gaps.size() >= 12);

    const std::shared_ptr<const Disc> disc = MakeClickTrack(clicks);
    const qint64 end = MsToFrames(clicks.last() + 1000);
    QCOMPARE(disc->endFrame(), end);
    // Read as the player reads, in chunks that end inside bursts.
    const std::unique_ptr<DiscReader> reader = disc->openReader();
    std::vector<qint16> samples(size_t(end + 1) * 2, qint16(7));
    for (qint64 at = 0, got = 0; at < end; at += got)
        QVERIFY((got = reader->read(at, samples.data() + at * 2, 1001)) > 0);
    QCOMPARE(reader->read(end, samples.data(), 10), 0);
    QCOMPARE(samples[size_t(end) * 2], qint16(7));

    // Where sound starts after silence; a burst lasts kClickFrames (25 ms).
    QList<qint64> onsets;
    for (qint64 f = 0, burstEnd = 0; f < end; ++f) {
        QCOMPARE(samples[size_t(f) * 2 + 1], samples[size_t(f) * 2]);
        if (f >= burstEnd && samples[size_t(f) * 2] != 0) {
            onsets.append(f);
            burstEnd = f + kClickFrames;
        }
    }
    QList<qint64> expected;
    for (const qint32 ms : clicks)
        expected.append(MsToFrames(ms));
    QCOMPARE(onsets, expected);
    QCOMPARE(kClickFrames, 1102);
}

void TestCalibration::pressesGiveTheMedianLag_data()
{
    QTest::addColumn<QList<qint32>>("clicks");
    QTest::addColumn<QList<qint32>>("presses");
    QTest::addColumn<QList<qint32>>("lags"); // of the presses that count
    QTest::addColumn<QString>("result");     // empty: none

    const auto row = [](const char* name, const QList<qint32>& lags, const QString& result) {
        QList<qint32> clicks;
        QList<qint32> presses;
        answered(lags, clicks, presses);
        QTest::newRow(name) << clicks << presses << lags << result;
    };
    row("odd count: the middle one", {180, 100, 170, 110, 160, 120, 150, 130, 140},
        u"補正 +140 ms (±20)"_s);
    row("even count: between the middle two", {100, 110, 120, 130, 140, 150, 160, 170},
        u"補正 +135 ms (±20)"_s);
    row("early; halves round away from zero", {-100, -100, -100, -100, -101, -101, -101, -101},
        u"補正 -101 ms (±1)"_s);
    row("one slip does not move it", {150, 152, 148, 151, 149, 150, 153, 345},
        u"補正 +151 ms (±2)"_s);
    row("on the beat", QList<qint32>(8, 0), u"補正 +0 ms (±0)"_s);
    row("seven are too few", QList<qint32>(7, 150), QString());

    const QList<qint32> three = {1000, 1600, 3000};
    QTest::newRow("the nearer click; halfway goes to the earlier")
        << three << QList<qint32>{1300, 1310} << QList<qint32>{300, -290} << QString();
    QTest::newRow("350 ms away counts, further is a stray")
        << three << QList<qint32>{650, 1951, 3350} << QList<qint32>{-350, 350} << QString();
    QTest::newRow("only the earliest press on a click counts")
        << three << QList<qint32>{1180, 1100, 1120, 3050} << QList<qint32>{100, 50} << QString();
}

void TestCalibration::pressesGiveTheMedianLag()
{
    QFETCH(QList<qint32>, clicks);
    QFETCH(QList<qint32>, presses);
    QFETCH(QList<qint32>, lags);
    QFETCH(QString, result);
    QCOMPARE(MatchPresses(clicks, presses), lags);
    const std::optional<CalibrationResult> measured = SummarizeLags(lags);
    QCOMPARE(measured ? CalibrationText(*measured) : QString(), result);
}

void TestCalibration::fileGivesTheOffset_data()
{
    QTest::addColumn<QByteArray>("bytes"); // "<none>": no file
    QTest::addColumn<int>("offset");
    QTest::newRow("no file") << QByteArray("<none>") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("sign and blanks") << QByteArray(" +25 \r\n") << 25;
    QTest::newRow("first line, any line end") << QByteArray("-500\n34\r\n") << -500;
    QTest::newRow("unit") << QByteArray("12ms\r\n") << 0;
    QTest::newRow("blank first line") << QByteArray("\r\n132\r\n") << 0;
    QTest::newRow("past the limit is no offset") << QByteArray("501\r\n") << 0;
    QTest::newRow("too large to be a number") << QByteArray("99999999999999999999") << 0;
}

void TestCalibration::fileGivesTheOffset()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, offset);
    QVERIFY(QDir().mkpath(m_home->configFolder()));
    if (bytes != "<none>")
        writeBytes(calibration(), bytes);
    QCOMPARE(ReadCalibration(), offset);
}

void TestCalibration::offsetIsWrittenWholeOrNotAtAll()
{
    // The folder is made as the first offset is written.
    const QList<std::pair<qint32, QByteArray>> written = {
        {132, "132\r\n"}, {-40, "-40\r\n"}, {501, "500\r\n"}, {-9999, "-500\r\n"}};
    for (const auto& [offset, bytes] : written) {
        QVERIFY(WriteCalibration(offset));
        QCOMPARE(readBytes(calibration()), bytes);
    }

    // No byte can be written: the old file stays whole, nothing beside it.
    {
        FileSizeLimit noGrowth(0);
        QVERIFY(noGrowth.isSet());
        QVERIFY(!WriteCalibration(12));
    }
    QCOMPARE(readBytes(calibration()), QByteArray("-500\r\n"));
    QCOMPARE(QDir(m_home->configFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"calibration.dat"_s});

    // A folder in the file's place reads as no offset and is not replaced.
    QVERIFY(QFile::remove(calibration()));
    QVERIFY(QDir().mkpath(calibration()));
    QCOMPARE(ReadCalibration(), 0);
    QVERIFY(!WriteCalibration(12));
    QVERIFY(QFileInfo(calibration()).isDir());
}

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
