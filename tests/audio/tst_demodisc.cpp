#include "audio/cdiolog.h"
#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <cdio/cdio.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kDemoDir = QStringLiteral(DEMO_DIR);
const QString kGenerator = QStringLiteral(MAKE_DEMO_DISC);

constexpr int kSampleRate = 44100;
constexpr int kSectorsPerSecond = 75;
constexpr int kBytesPerSector = 2352;

// The demo disc's layout: a 54-second track for the demo lyrics, then a
// 36-second track whose sound changes every four seconds.
constexpr int kTrack1Sectors = 54 * kSectorsPerSecond;
constexpr int kTrack2Sectors = 36 * kSectorsPerSecond;
constexpr int kTrack2ChangeSeconds = 4;

QString demoFile(const QString& name)
{
    return kDemoDir + u'/' + name;
}

// ---- reading an image through libcdio --------------------------------------

struct CdioDeleter
{
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioDeleter>;

struct Track
{
    int firstSector = 0;
    int sectors = 0;
    bool audio = false;
    std::vector<double> mono; // (left + right) / 2, full scale 1.0
};

struct Disc
{
    QString error; // empty when the image was read
    int leadOut = 0;
    QList<Track> tracks;
};

Disc readDisc(const QString& cuePath)
{
    InstallCdioLogHandler();
    Disc disc;
    CdioHandle cdio(cdio_open(QFile::encodeName(cuePath).constData(), DRIVER_UNKNOWN));
    if (!cdio) {
        disc.error = u"libcdio cannot open "_s + cuePath;
        return disc;
    }
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first != 1 || count == CDIO_INVALID_TRACK) {
        disc.error = u"no track table"_s;
        return disc;
    }
    disc.leadOut = cdio_get_disc_last_lsn(cdio.get());
    for (track_t t = 1; t <= count; ++t) {
        Track track;
        track.firstSector = cdio_get_track_lsn(cdio.get(), t);
        track.sectors = cdio_get_track_last_lsn(cdio.get(), t) - track.firstSector + 1;
        track.audio = cdio_get_track_format(cdio.get(), t) == TRACK_FORMAT_AUDIO;
        track.mono.reserve(std::size_t(track.sectors) * 588);

        QByteArray chunk;
        for (int at = 0; at < track.sectors; at += kSectorsPerSecond) {
            const int n = std::min(kSectorsPerSecond, track.sectors - at);
            chunk.resize(n * kBytesPerSector);
            if (cdio_read_audio_sectors(cdio.get(), chunk.data(), track.firstSector + at, n) !=
                DRIVER_OP_SUCCESS) {
                disc.error = u"cannot read sector %1"_s.arg(track.firstSector + at);
                return disc;
            }
            const auto* bytes = reinterpret_cast<const unsigned char*>(chunk.constData());
            for (qsizetype i = 0; i + 3 < chunk.size(); i += 4) {
                const auto left = std::int16_t(bytes[i] | bytes[i + 1] << 8);
                const auto right = std::int16_t(bytes[i + 2] | bytes[i + 3] << 8);
                track.mono.push_back((left + right) / 65536.0);
            }
        }
        disc.tracks.append(std::move(track));
    }
    return disc;
}

// ---- comparing the sound of two moments ------------------------------------

constexpr int kWindow = 16384; // about 0.37 s

// Magnitudes from 150 Hz to 5 kHz of a Hann-windowed stretch of the track. The
// kick of the beat lies below the band; tones, chords and bells lie in it.
std::vector<double> bandSpectrum(const std::vector<double>& samples, double seconds)
{
    const auto start = std::size_t(std::lround(seconds * kSampleRate));
    std::vector<std::complex<double>> x(kWindow);
    for (int n = 0; n < kWindow; ++n) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / (kWindow - 1));
        x[n] = start + n < samples.size() ? samples[start + n] * hann : 0.0;
    }
    // In-place radix-2 FFT.
    for (int i = 1, j = 0; i < kWindow; ++i) {
        int bit = kWindow >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (int len = 2; len <= kWindow; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / len);
        for (int i = 0; i < kWindow; i += len) {
            std::complex<double> w = 1.0;
            for (int k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = x[i + k], v = x[i + k + len / 2] * w;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
            }
        }
    }
    const int low = 150 * kWindow / kSampleRate;
    const int high = 5000 * kWindow / kSampleRate;
    std::vector<double> band;
    for (int k = low; k <= high; ++k)
        band.push_back(std::abs(x[k]));
    return band;
}

// 1.0 for the same spectrum, near 0 for sounds with no frequency in common.
double similarity(const std::vector<double>& a, const std::vector<double>& b)
{
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        ab += a[k] * b[k];
        aa += a[k] * a[k];
        bb += b[k] * b[k];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

// A sound that holds still between beats compares at least this close; a
// change of chord with a bell compares further apart than kChanged. Windows
// all start on a beat, so they hold the same part of the beat.
constexpr double kSteady = 0.9;
constexpr double kChanged = 0.5;

// At `seconds` the sound changes, and in the second before it does not.
void verifyChangeAt(const Track& track, int seconds, const char* where)
{
    const auto early = bandSpectrum(track.mono, seconds - 1.0);
    const auto before = bandSpectrum(track.mono, seconds - 0.5);
    const auto after = bandSpectrum(track.mono, seconds);
    const double steady = similarity(early, before);
    const double change = similarity(before, after);
    const QString at = u"%1 %2 s: "_s.arg(QLatin1StringView(where)).arg(seconds);
    QVERIFY2(steady > kSteady, qPrintable(at + u"changes before it (%1)"_s.arg(steady)));
    QVERIFY2(change < kChanged, qPrintable(at + u"no change of sound (%1)"_s.arg(change)));
}

// At `seconds` the sound goes on as it was.
void verifyNoChangeAt(const Track& track, int seconds, const char* where)
{
    const double same =
        similarity(bandSpectrum(track.mono, seconds - 0.5), bandSpectrum(track.mono, seconds));
    QVERIFY2(same > kSteady,
             qPrintable(u"%1 %2 s: the sound changes (%3)"_s.arg(where).arg(seconds).arg(same)));
}

// ---- the lyrics files ------------------------------------------------------

const QRegularExpression kTaggedLine(u"^\\[(\\d\\d):(\\d\\d)\\](.*)$"_s);

// The file's lines without their CR LF; the file must end with one.
QStringList crLfLines(const QByteArray& bytes)
{
    QString text = DecodeCp932(bytes).text;
    if (text.endsWith(u"\r\n"))
        text.chop(2);
    return text.split(u"\r\n"_s);
}

QList<int> lyricSeconds(const QByteArray& timedBytes)
{
    QList<int> seconds;
    const QStringList lines = crLfLines(timedBytes);
    const qsizetype body = lines.indexOf(QString(42, u'-'));
    for (qsizetype i = body + 1; body >= 0 && i < lines.size(); ++i) {
        const auto match = kTaggedLine.match(lines[i]);
        if (match.hasMatch())
            seconds.append(match.captured(1).toInt() * 60 + match.captured(2).toInt());
    }
    return seconds;
}

QByteArray timedLyrics(const QList<int>& seconds)
{
    QByteArray bytes = "Title\r\nAuthor\r\n[00:00]intro\r\n\r\n" + QByteArray(42, '-') + "\r\n";
    for (int s : seconds)
        bytes += QStringLiteral("[%1:%2]line\r\n")
                     .arg(s / 60, 2, 10, QChar(u'0'))
                     .arg(s % 60, 2, 10, QChar(u'0'))
                     .toLatin1();
    return bytes + QByteArray(35, '-') + "\r\n";
}

int runGenerator(const QString& lyrics, const QString& folder)
{
    QProcess process;
    process.start(kGenerator, {lyrics, folder});
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

class TestDemoDisc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void imageHasTwoAudioTracksOfTheIntendedLength();
    void audioIsAudibleThroughoutAndDoesNotClip();
    void soundChangesAtEveryLyricLine();
    void secondTrackChangesEveryFourSeconds();
    void generatorFollowsTheTagsOfItsInput();
    void generatorIsDeterministic();
    void generatorRejectsUnusableLyrics_data();
    void generatorRejectsUnusableLyrics();
    void lyricsFilesAreCp932WithCrLf_data();
    void lyricsFilesAreCp932WithCrLf();
    void timedLyricsFollowTheLayout();
    void timedLyricsReadBackToTheSameBytes();

private:
    Disc m_demo;
    QByteArray m_timed;
    QByteArray m_plain;
};

void TestDemoDisc::initTestCase()
{
    m_demo = readDisc(demoFile(u"verselet-demo.cue"_s));
    m_timed = testfiles::readBytes(demoFile(u"lyrics-timed.txt"_s));
    m_plain = testfiles::readBytes(demoFile(u"lyrics-plain.txt"_s));
}

void TestDemoDisc::imageHasTwoAudioTracksOfTheIntendedLength()
{
    QVERIFY2(m_demo.error.isEmpty(), qPrintable(m_demo.error));
    QCOMPARE(m_demo.tracks.size(), 2);
    QCOMPARE(m_demo.tracks[0].firstSector, 0);
    QCOMPARE(m_demo.tracks[0].sectors, kTrack1Sectors);
    QCOMPARE(m_demo.tracks[1].firstSector, kTrack1Sectors);
    QCOMPARE(m_demo.tracks[1].sectors, kTrack2Sectors);
    QCOMPARE(m_demo.leadOut, kTrack1Sectors + kTrack2Sectors);
    for (const Track& track : m_demo.tracks) {
        QVERIFY(track.audio);
        QVERIFY(track.sectors >= 30 * kSectorsPerSecond && track.sectors <= 60 * kSectorsPerSecond);
        QCOMPARE(track.mono.size(), std::size_t(track.sectors) * 588);
    }
    QCOMPARE(QFileInfo(demoFile(u"verselet-demo.bin"_s)).size(),
             qint64(kBytesPerSector) * (kTrack1Sectors + kTrack2Sectors));
}

void TestDemoDisc::audioIsAudibleThroughoutAndDoesNotClip()
{
    QVERIFY2(m_demo.error.isEmpty(), qPrintable(m_demo.error));
    const auto bytes = testfiles::readBytes(demoFile(u"verselet-demo.bin"_s));
    const auto* samples = reinterpret_cast<const unsigned char*>(bytes.constData());
    int peak = 0;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        peak = std::max(peak, std::abs(int(std::int16_t(samples[i] | samples[i + 1] << 8))));
    // About -6 dBFS: loud enough to hear, with room to spare below full scale.
    QVERIFY2(peak > 32768 / 3 && peak < 32768 * 3 / 4, qPrintable(QString::number(peak)));

    // Every second but the fading end is clearly audible: the beat never stops.
    for (int t = 0; t < m_demo.tracks.size(); ++t) {
        const std::vector<double>& mono = m_demo.tracks[t].mono;
        const int seconds = m_demo.tracks[t].sectors / kSectorsPerSecond;
        for (int s = 0; s < seconds - 2; ++s) {
            double energy = 0;
            for (int n = s * kSampleRate; n < (s + 1) * kSampleRate; ++n)
                energy += mono[n] * mono[n];
            const double rmsDb = 10 * std::log10(energy / kSampleRate);
            QVERIFY2(rmsDb > -30,
                     qPrintable(u"track %1, second %2: %3 dBFS"_s.arg(t + 1).arg(s).arg(rmsDb)));
        }
    }
}

void TestDemoDisc::soundChangesAtEveryLyricLine()
{
    QVERIFY2(m_demo.error.isEmpty(), qPrintable(m_demo.error));
    const QList<int> seconds = lyricSeconds(m_timed);
    QVERIFY(!seconds.isEmpty());
    for (int s : seconds)
        verifyChangeAt(m_demo.tracks[0], s, "track 1");
}

void TestDemoDisc::secondTrackChangesEveryFourSeconds()
{
    QVERIFY2(m_demo.error.isEmpty(), qPrintable(m_demo.error));
    const Track& track = m_demo.tracks[1];
    const int seconds = track.sectors / kSectorsPerSecond;
    for (int s = kTrack2ChangeSeconds; s < seconds - 1; s += kTrack2ChangeSeconds)
        verifyChangeAt(track, s, "track 2");
}

void TestDemoDisc::generatorFollowsTheTagsOfItsInput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QList<int> tags = {7, 12, 20, 31, 46};
    testfiles::writeBytes(dir.filePath(u"timed.txt"_s), timedLyrics(tags));
    QCOMPARE(runGenerator(dir.filePath(u"timed.txt"_s), dir.filePath(u"out"_s)), 0);

    const Disc disc = readDisc(dir.filePath(u"out/verselet-demo.cue"_s));
    QVERIFY2(disc.error.isEmpty(), qPrintable(disc.error));
    QCOMPARE(disc.tracks.size(), 2);
    for (int s : tags)
        verifyChangeAt(disc.tracks[0], s, "track 1");
    // The demo lyrics' times are no change here.
    for (int s : {9, 13, 17, 26, 41})
        verifyNoChangeAt(disc.tracks[0], s, "track 1");
}

void TestDemoDisc::generatorIsDeterministic()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(runGenerator(demoFile(u"lyrics-timed.txt"_s), dir.path()), 0);
    for (const QString& name : {u"verselet-demo.bin"_s, u"verselet-demo.cue"_s}) {
        const QByteArray again = testfiles::readBytes(dir.filePath(name));
        QVERIFY2(again == testfiles::readBytes(demoFile(name)), qPrintable(name));
    }
}

void TestDemoDisc::generatorRejectsUnusableLyrics_data()
{
    QTest::addColumn<QByteArray>("lyrics");
    QTest::newRow("tags out of order") << timedLyrics({10, 20, 15});
    QTest::newRow("two lines at one time") << timedLyrics({10, 14, 14});
    QTest::newRow("a tag after the track's last seconds") << timedLyrics({10, 50});
    QTest::newRow("no tagged line") << timedLyrics({});
    QTest::newRow("no separator line") << QByteArray("Title\r\n[00:00]\r\n\r\n[00:10]line\r\n");
}

void TestDemoDisc::generatorRejectsUnusableLyrics()
{
    QFETCH(QByteArray, lyrics);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    testfiles::writeBytes(dir.filePath(u"timed.txt"_s), lyrics);
    QCOMPARE(runGenerator(dir.filePath(u"timed.txt"_s), dir.filePath(u"out"_s)), 1);
    QVERIFY(!QFile::exists(dir.filePath(u"out/verselet-demo.bin"_s)));
    QVERIFY(!QFile::exists(dir.filePath(u"out/verselet-demo.cue"_s)));
}

void TestDemoDisc::lyricsFilesAreCp932WithCrLf_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << u"lyrics-plain.txt"_s;
    QTest::newRow("timed") << u"lyrics-timed.txt"_s;
}

void TestDemoDisc::lyricsFilesAreCp932WithCrLf()
{
    QFETCH(QString, name);
    const QByteArray bytes = testfiles::readBytes(demoFile(name));
    QVERIFY(bytes.endsWith("\r\n"));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            QVERIFY2(i > 0 && bytes[i - 1] == '\r', qPrintable(u"lone LF at %1"_s.arg(i)));
        if (bytes[i] == '\r')
            QVERIFY2(i + 1 < bytes.size() && bytes[i + 1] == '\n',
                     qPrintable(u"lone CR at %1"_s.arg(i)));
    }

    const DecodedText decoded = DecodeCp932(bytes);
    QVERIFY(!decoded.hadInvalidBytes);
    const auto encoded = EncodeCp932(decoded.text);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.value(), bytes);
    // Japanese text written as UTF-8 would also decode, as nonsense; CP932
    // Japanese is never valid UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString asUtf8 = utf8(bytes);
    QVERIFY(utf8.hasError());
    QVERIFY(decoded.text.contains(QRegularExpression(u"[\\x{3041}-\\x{30FF}]"_s)));
}

void TestDemoDisc::timedLyricsFollowTheLayout()
{
    const QStringList lines = crLfLines(m_timed);
    const QStringList plain = crLfLines(m_plain);
    QVERIFY(plain.size() >= 8 && plain.size() <= 12);
    QVERIFY(!plain.contains(QString()));

    // Title, author, start line, empty line, separator, one line per lyric,
    // closing line.
    QCOMPARE(lines.size(), 5 + plain.size() + 1);
    QVERIFY(!lines[0].isEmpty() && !lines[0].startsWith(u'['));
    QVERIFY(lines[1].contains(u"Verselet"_s));
    QVERIFY(lines[2].startsWith(u"[00:00]"_s));
    QVERIFY(lines[2].size() > 7);
    QCOMPARE(lines[3], QString());
    QCOMPARE(lines[4], QString(42, u'-'));
    QCOMPARE(lines.last(), QString(35, u'-'));

    int previous = 0;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const auto match = kTaggedLine.match(lines[5 + i]);
        QVERIFY2(match.hasMatch(), qPrintable(lines[5 + i]));
        const int seconds = match.captured(1).toInt() * 60 + match.captured(2).toInt();
        QVERIFY(match.captured(2).toInt() < 60);
        if (i == 0)
            QVERIFY2(seconds >= 8 && seconds <= 10, qPrintable(lines[5]));
        else
            QVERIFY2(seconds - previous >= 3 && seconds - previous <= 5, qPrintable(lines[5 + i]));
        QCOMPARE(match.captured(3), plain[i]);
        previous = seconds;
    }
    // The last line is heard for a while before the first track fades out.
    QVERIFY(previous + 5 <= kTrack1Sectors / kSectorsPerSecond);
}

// The demo file is what Verselet itself writes: opened and written out
// unchanged it keeps every byte.
void TestDemoDisc::timedLyricsReadBackToTheSameBytes()
{
    const QString text = DecodeCp932(m_timed).text;
    QVERIFY(IsTimedLyricsText(text));
    const TimedTextLines read = ClassifyTimedText(SplitWorkLines(text));
    QVERIFY(read.hasStartLine);
    QCOMPARE(read.headerLines.size(), 2);

    QStringList texts;
    for (const TaggedLine& line : read.body) {
        if (IsCountedTag(line.tag))
            texts.append(line.text);
    }
    QCOMPARE(texts, crLfLines(m_plain));

    const auto written =
        EncodeCp932(ComposeTimedText(read.headerLines.join(u"\r\n"_s), read.startText, read.body));
    QVERIFY(written.ok());
    QCOMPARE(written.value(), m_timed);
}

QTEST_GUILESS_MAIN(TestDemoDisc)
#include "tst_demodisc.moc"
