#include "audio/audiofilesdisc.h"
#include "audio/cdiodisc.h"
#include "audio/disc.h"
#include "audio/discaudiodevice.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include "discfixtures.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <semaphore>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;

struct TrackInfo
{
    qint32 position;
    qint32 length;
    QString name = {};
    friend bool operator==(const TrackInfo&, const TrackInfo&) = default;
    friend char* toString(const TrackInfo& t)
    {
        return QTest::toString(
            u"(start %1 ms, %2 ms, \"%3\")"_s.arg(t.position).arg(t.length).arg(t.name));
    }
};

// Lists the tracks as the timing window does, reading Tracks() for each.
QList<TrackInfo> listTracks(DiscAudioDevice& device)
{
    QList<TrackInfo> tracks;
    for (int i = 1; i <= device.Tracks(); ++i) {
        device.setTrack(i);
        tracks.append({device.TrackPosition(), device.TrackLength(), device.TrackName()});
    }
    return tracks;
}

// Opens as the timing window does: Open, Stop, milliseconds, every track.
QList<TrackInfo> openAndList(DiscAudioDevice& device, const QString& name)
{
    device.setFileName(name);
    fixtures::open(device);
    device.setCommand(u"Stop"_s);
    device.setTimeFormat(0);
    return listTracks(device);
}

// A time for files whose times a test sets, in whole seconds.
const QDateTime kFileTime = QDateTime::fromSecsSinceEpoch(1600000000);

// Polls Position for a while on this thread, as a timer would.
qint32 positionAfter(DiscAudioDevice& device, int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(1);
    return device.Position();
}

// Lets a test hold the output thread inside the output's stop() while it
// gives the next commands.
struct StopGate
{
    std::atomic<bool> armed{false};
    std::binary_semaphore inside{0};
    std::binary_semaphore released{0};
};

// Keeps time as a sound card would, and runs the output thread's events in
// the middle of stop() and start(), as Qt's PulseAudio sink does while it is
// destroyed: whatever is queued to that thread runs inside the output's call.
class EventfulOutput final : public AudioOutput
{
public:
    explicit EventfulOutput(std::shared_ptr<StopGate> gate) : m_gate(std::move(gate)) {}
    bool start() override
    {
        QCoreApplication::processEvents();
        return m_clock->start();
    }
    void stop() override
    {
        m_clock->stop();
        if (m_gate->armed.exchange(false)) {
            m_gate->inside.release();
            m_gate->released.try_acquire_for(std::chrono::seconds(5));
        }
        // Closing takes a moment, long enough for the next command to arrive.
        QThread::usleep(2000);
        QCoreApplication::processEvents();
    }
    qint64 writableFrames() override { return m_clock->writableFrames(); }
    qint64 write(const qint16* frames, qint64 count) override
    {
        return m_clock->write(frames, count);
    }
    qint64 heldFrames() override { return m_clock->heldFrames(); }
    bool isSilent() const override { return false; }

private:
    std::shared_ptr<StopGate> m_gate;
    std::unique_ptr<AudioOutput> m_clock = MakeSilentOutput();
};

AudioOutputFactory eventfulOutputs(std::shared_ptr<StopGate> gate = std::make_shared<StopGate>())
{
    return [gate] { return std::make_unique<EventfulOutput>(gate); };
}

} // namespace

Q_DECLARE_METATYPE(QList<TrackInfo>)

class TestCdAudioDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void tableOfContents_data();
    void tableOfContents();
    void imageAudioReadsBackExactly_data();
    void imageAudioReadsBackExactly();
    void audioFilesReadBackExactlyAcrossFiles();
    void laterFileIsReadFromItsOwnStart();
    void convertedAudioKeepsItsLength();
    void mp3LengthIsWhatDecodes();
    void measuringReportsProgress();
    void badInput_data();
    void badInput();
    void badInputPrintsNothing();
    void stopHaltsAndPlayResumes();
    void fromCountsForTheNextPlayOnly();
    void positionAdvancesInRealTime();
    void playbackEndsAtTheEndOfTheDisc();
    void deletedFileStopsPlaybackCleanly();
    void playbackEndedWhenPlaybackStopsByItself_data();
    void playbackEndedWhenPlaybackStopsByItself();
    void noEndReportedAfterStopOrANewPlay_data();
    void noEndReportedAfterStopOrANewPlay();
    void outputThatCannotStartFallsBackToTheClock_data();
    void outputThatCannotStartFallsBackToTheClock();
    void changedMediumIsReadAgain_data();
    void changedMediumIsReadAgain();
    void unchangedMediumIsNotReadAgain_data();
    void unchangedMediumIsNotReadAgain();
    void mediumIsNotReadAgainWhilePlaying_data();
    void mediumIsNotReadAgainWhilePlaying();
    void playWhileTheOutputClosesPlaysOn_data();
    void playWhileTheOutputClosesPlaysOn();
    void manySeeksPlayOnWhenTheOutputRunsEvents();

private:
    QTemporaryDir m_dir;
    QString m_image;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestCdAudioDevice::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // 301 sectors do not make whole milliseconds: 4013.33 ms.
    m_image = fixtures::writeBinCue(m_dir.path(), {301, 450});
    QVERIFY(!m_image.isEmpty());
    QVERIFY(fixtures::writeText(path(u"disc.toc"_s),
                                "CD_DA\n\nTRACK AUDIO\nFILE \"disc.bin\" 0 00:04:01\n\n"
                                "TRACK AUDIO\nFILE \"disc.bin\" 00:04:01 00:06:00\n"));

    QVERIFY(QDir().mkpath(path(u"album"_s)));
    QVERIFY(fixtures::writeAudio(path(u"album/10 last.wav"_s), 44100, kWav));
    QVERIFY(fixtures::writeAudio(path(u"album/2 second.flac"_s), 22050, kFlac));
    QVERIFY(fixtures::writeAudio(path(u"album/1 first.wav"_s), 88200, kWav));
    QVERIFY(fixtures::writeText(path(u"album/cover.jpg"_s), "not audio"));

    // A whole-album rip: one file, a cue sheet with three tracks.
    QVERIFY(fixtures::writeAudio(path(u"rip.wav"_s), 44100 * 9, kWav, 44100, 2, true));
    QVERIFY(fixtures::writeText(
        path(u"rip.cue"_s), "REM GENRE Pop\r\nPERFORMER \"Someone\"\r\nFILE \"rip.wav\" WAVE\r\n"
                            "  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n"
                            "  TRACK 02 AUDIO\r\n    INDEX 00 00:02:00\r\n    INDEX 01 00:03:00\r\n"
                            "  TRACK 03 AUDIO\r\n    INDEX 01 00:07:37\r\n"));
    // Two files, one track each, named by a playlist.
    QVERIFY(fixtures::writeAudio(path(u"a.wav"_s), 44100 * 2, kWav, 44100, 2, true));
    QVERIFY(fixtures::writeAudio(path(u"b.flac"_s), 44100 * 3, kFlac));
    QVERIFY(fixtures::writeText(path(u"list.m3u8"_s), "#EXTM3U\n#EXTINF:2,A\na.wav\n\n" +
                                                          QFile::encodeName(path(u"b.flac"_s)) +
                                                          "\n"));
    QVERIFY(fixtures::writeText(path(u"files.cue"_s),
                                "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                "FILE \"b.flac\" FLAC\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"));
    // The same two files with track 2's pregap at the end of the first file:
    // its INDEX 01 is in the second.
    QVERIFY(fixtures::writeText(path(u"gaps.cue"_s),
                                "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                                "  TRACK 02 AUDIO\n    INDEX 00 00:01:00\n"
                                "FILE \"b.flac\" FLAC\n    INDEX 01 00:00:00\n"));
}

void TestCdAudioDevice::tableOfContents_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<TrackInfo>>("tracks");
    QTest::newRow("bin/cue image") << m_image << QList<TrackInfo>{{0, 4013}, {4013, 6000}};
    QTest::newRow("cdrdao toc of the same image")
        << path(u"disc.toc"_s) << QList<TrackInfo>{{0, 4013}, {4013, 6000}};
    QTest::newRow("folder in natural order, other files ignored, named by the files")
        << path(u"album"_s)
        << QList<TrackInfo>{
               {0, 2000, u"1 first"_s}, {2000, 500, u"2 second"_s}, {2500, 1000, u"10 last"_s}};
    QTest::newRow("cue sheet of one file, INDEX 01 starts a track")
        << path(u"rip.cue"_s) << QList<TrackInfo>{{0, 3000}, {3000, 4493}, {7493, 1506}};
    QTest::newRow("cue sheet of two files")
        << path(u"files.cue"_s) << QList<TrackInfo>{{0, 2000}, {2000, 3000}};
    QTest::newRow("cue sheet whose second track starts in the second file")
        << path(u"gaps.cue"_s) << QList<TrackInfo>{{0, 2000}, {2000, 3000}};
    QTest::newRow("m3u8 playlist")
        << path(u"list.m3u8"_s) << QList<TrackInfo>{{0, 2000}, {2000, 3000}};
    QTest::newRow("a single audio file") << path(u"b.flac"_s) << QList<TrackInfo>{{0, 3000}};
}

void TestCdAudioDevice::tableOfContents()
{
    QFETCH(QString, name);
    QFETCH(QList<TrackInfo>, tracks);
    DiscAudioDevice device;
    QCOMPARE(openAndList(device, name), tracks);
    QCOMPARE(device.Position(), 0);
    QVERIFY(!device.isPlaying());
    // A track out of range describes nothing.
    device.setTrack(device.Tracks() + 1);
    QCOMPARE(device.TrackLength(), 0);
}

void TestCdAudioDevice::imageAudioReadsBackExactly_data()
{
    QTest::addColumn<bool>("paranoia");
    QTest::newRow("read directly") << false;
    QTest::newRow("read through cd-paranoia, as a drive is") << true;
}

void TestCdAudioDevice::imageAudioReadsBackExactly()
{
    QFETCH(bool, paranoia);
    const std::shared_ptr<const Disc> disc = OpenCdioDisc(m_image, paranoia);
    QVERIFY(disc);
    QCOMPARE(disc->tracks().size(), 2);
    QCOMPARE(disc->tracks().at(1).startFrame, 301 * 588);
    QCOMPARE(disc->endFrame(), (301 + 450) * 588);
    auto reader = disc->openReader();
    QVERIFY(reader);
    // Across the track boundary, starting inside a sector.
    const qint64 at = 301 * 588 - 1000;
    std::vector<qint16> buf(4000 * 2);
    QCOMPARE(reader->read(at, buf.data(), 4000), 4000);
    for (qint64 i = 0; i < 4000; ++i) {
        QCOMPARE(buf[size_t(i * 2)], fixtures::leftSample(at + i));
        QCOMPARE(buf[size_t(i * 2 + 1)], fixtures::rightSample(at + i));
    }
    // The end of the disc.
    QCOMPARE(reader->read(disc->endFrame() - 10, buf.data(), 100), 10);
    QCOMPARE(reader->read(disc->endFrame(), buf.data(), 100), 0);
}

void TestCdAudioDevice::audioFilesReadBackExactlyAcrossFiles()
{
    const auto disc = OpenDisc(path(u"rip.cue"_s));
    QVERIFY(disc);
    auto reader = disc->openReader();
    const qint64 at = 3 * 44100 - 300;
    std::vector<qint16> buf(2000 * 2);
    QCOMPARE(reader->read(at, buf.data(), 2000), 2000);
    for (qint64 i = 0; i < 2000; ++i)
        QCOMPARE(buf[size_t(i * 2)], fixtures::leftSample(at + i));
    // A jump back lands on the right frames too.
    QCOMPARE(reader->read(10, buf.data(), 5), 5);
    QCOMPARE(buf[0], fixtures::leftSample(10));
    QCOMPARE(buf[9], fixtures::rightSample(14));
}

void TestCdAudioDevice::laterFileIsReadFromItsOwnStart()
{
    // The second file begins 2 s into the disc; its frame 0 is disc frame
    // 88200, not the file's frame 88200 (which it does not have).
    QVERIFY(fixtures::writeAudio(path(u"second.wav"_s), 44100, kWav, 44100, 2, true));
    QVERIFY(fixtures::writeText(path(u"two.m3u8"_s), "a.wav\nsecond.wav\n"));
    const auto disc = OpenDisc(path(u"two.m3u8"_s));
    QVERIFY(disc);
    QCOMPARE(disc->tracks().at(1).startFrame, 2 * 44100);
    auto reader = disc->openReader();
    std::vector<qint16> buf(100 * 2);
    QCOMPARE(reader->read(2 * 44100 + 10, buf.data(), 100), 100);
    for (qint64 i = 0; i < 100; ++i) {
        QCOMPARE(buf[size_t(i * 2)], fixtures::leftSample(10 + i));
        QCOMPARE(buf[size_t(i * 2 + 1)], fixtures::rightSample(10 + i));
    }
    // Read on from the first file into the second without a jump; samples
    // near the top of the 16-bit range come back unchanged too.
    QCOMPARE(reader->read(2 * 44100 - 50, buf.data(), 100), 100);
    QCOMPARE(buf[size_t(49 * 2)], fixtures::leftSample(2 * 44100 - 1));
    QCOMPARE(buf[size_t(50 * 2)], fixtures::leftSample(0));
    QCOMPARE(buf[size_t(99 * 2)], fixtures::leftSample(49));
}

void TestCdAudioDevice::convertedAudioKeepsItsLength()
{
    // 48 kHz mono, 2.5 s: played as 44.1 kHz stereo, still 2.5 s.
    const QString file = path(u"mono48.wav"_s);
    QVERIFY(fixtures::writeAudio(file, 120000, kWav, 48000, 1));
    const auto disc = OpenDisc(file);
    QVERIFY(disc);
    QCOMPARE(disc->tracks().at(0).frames, 110250);
    auto reader = disc->openReader();
    std::vector<qint16> buf(size_t(110250) * 2);
    QCOMPARE(reader->read(0, buf.data(), 110250), 110250);
    // Mono goes to both channels; the square wave keeps its amplitude.
    int loud = 0;
    for (qint64 i = 0; i < 110250; ++i) {
        QCOMPARE(buf[size_t(i * 2)], buf[size_t(i * 2 + 1)]);
        loud += std::abs(buf[size_t(i * 2)]) > 7000;
    }
    QVERIFY(loud > 100000);
}

void TestCdAudioDevice::mp3LengthIsWhatDecodes()
{
    const QString sox = QStandardPaths::findExecutable(u"sox"_s);
    if (sox.isEmpty())
        QSKIP("sox is not installed; `make test` installs it");
    const QString wav = path(u"for-mp3.wav"_s);
    const QString mp3 = path(u"song.mp3"_s);
    QVERIFY(fixtures::writeAudio(wav, 44100 * 5, kWav));
    QProcess p;
    p.start(sox, {wav, mp3});
    QVERIFY(p.waitForFinished(30000));
    if (p.exitCode() != 0 || !QFile::exists(mp3))
        QSKIP("sox cannot write MP3 here");

    DiscAudioDevice device;
    const QList<TrackInfo> tracks = openAndList(device, mp3);
    QCOMPARE(tracks.size(), 1);
    // What decodes is the 5 s of audio plus the encoder's padding, well
    // within one MP3 frame group either side.
    QVERIFY2(std::abs(tracks.at(0).length - 5000) <= 100,
             qPrintable(QString::number(tracks.at(0).length)));
    auto disc = OpenDisc(mp3);
    auto reader = disc->openReader();
    std::vector<qint16> buf(size_t(disc->endFrame() + 10) * 2);
    QCOMPARE(reader->read(0, buf.data(), disc->endFrame() + 10), disc->endFrame());
}

void TestCdAudioDevice::measuringReportsProgress()
{
    DiscAudioDevice device;
    QSignalSpy spy(&device, &CdAudioDevice::measuring);
    device.setFileName(path(u"album"_s));
    QVERIFY(fixtures::open(device));
    QCOMPARE(device.Tracks(), 3);
    QTRY_COMPARE(spy.size(), 3);
    QCOMPARE(spy.at(2), (QList<QVariant>{3, 3}));
}

void TestCdAudioDevice::badInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no name") << QString();
    QTest::newRow("nothing there") << path(u"nothing"_s);
    QTest::newRow("cue of a missing bin") << path(u"missing-bin.cue"_s);
    QTest::newRow("image cut short before its second track") << path(u"short.cue"_s);
    QTest::newRow("cue naming a missing audio file") << path(u"missing-wav.cue"_s);
    QTest::newRow("folder without audio") << path(u"empty"_s);
    QTest::newRow("file libsndfile cannot read") << path(u"garbage.wav"_s);
    QTest::newRow("playlist of a missing file") << path(u"gone.m3u"_s);
    // 31372013730798558 sectors: their frame count overflows 64 bits to 488.
    QTest::newRow("cue with an index far past its file") << path(u"far.cue"_s);
}

void TestCdAudioDevice::badInput()
{
    QFETCH(QString, name);
    QVERIFY(fixtures::writeText(
        path(u"missing-bin.cue"_s),
        "FILE \"nowhere.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    const QString shortCue = fixtures::writeBinCue(m_dir.path(), {100}, u"short"_s);
    QVERIFY(fixtures::writeText(
        shortCue, "FILE \"short.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                  "  TRACK 02 AUDIO\n    INDEX 01 00:30:00\n"));
    QVERIFY(fixtures::writeText(
        path(u"missing-wav.cue"_s),
        "FILE \"nowhere.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"));
    QVERIFY(QDir().mkpath(path(u"empty"_s)));
    QVERIFY(fixtures::writeText(path(u"empty/readme.txt"_s), "no audio here"));
    QVERIFY(fixtures::writeText(path(u"garbage.wav"_s), QByteArray(5000, 'x')));
    QVERIFY(fixtures::writeText(path(u"gone.m3u"_s), "gone.flac\n"));
    QVERIFY(fixtures::writeText(path(u"far.cue"_s), "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n"
                                                    "    INDEX 01 6971558606844:07:33\n"));

    DiscAudioDevice device;
    device.setFileName(name);
    fixtures::open(device);
    QVERIFY(device.Tracks() < 1);
    // Playing nothing does nothing.
    device.setCommand(u"Play"_s);
    QVERIFY(!device.isPlaying());
    QCOMPARE(device.Position(), 0);
}

void TestCdAudioDevice::badInputPrintsNothing()
{
    // Another run of this program opens every bad input; libcdio must not
    // have written a word to its standard output.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {u"--open"_s, path(u"missing-bin.cue"_s), path(u"short.cue"_s),
                 path(u"nothing.toc"_s), path(u"garbage.wav"_s), u"/dev/null"_s});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardOutput(), QByteArray());
}

void TestCdAudioDevice::stopHaltsAndPlayResumes()
{
    DiscAudioDevice device;
    openAndList(device, m_image);
    device.setTrack(1);
    device.setFrom(device.TrackPosition());
    device.setCommand(u"Play"_s);
    QVERIFY(device.isPlaying());
    const qint32 playing = positionAfter(device, 300);
    QVERIFY2(playing >= 200 && playing <= 400, qPrintable(QString::number(playing)));

    device.setCommand(u"Stop"_s);
    QVERIFY(!device.isPlaying());
    const qint32 stopped = device.Position();
    QVERIFY(stopped >= playing);
    QCOMPARE(positionAfter(device, 150), stopped);

    // Setting the track moves nothing.
    device.setTrack(2);
    QCOMPARE(device.Position(), stopped);

    // Play without From goes on from where it stopped, not from the start.
    device.setCommand(u"PLAY"_s);
    const qint32 resumed = positionAfter(device, 200);
    QVERIFY2(resumed >= stopped + 100 && resumed <= stopped + 300,
             qPrintable(u"%1 after %2"_s.arg(resumed).arg(stopped)));
    device.setCommand(u"stop"_s);
}

void TestCdAudioDevice::fromCountsForTheNextPlayOnly()
{
    DiscAudioDevice device;
    openAndList(device, m_image);
    device.setTrack(2);
    device.setFrom(device.TrackPosition() + 1000);
    QCOMPARE(device.Position(), 0); // From alone moves nothing
    device.setCommand(u"Play"_s);
    const qint32 first = positionAfter(device, 100);
    QVERIFY2(first >= 5013 && first <= 5213, qPrintable(QString::number(first)));
    device.setCommand(u"Stop"_s);
    const qint32 stopped = device.Position();

    // The next Play resumes; From was used up.
    device.setCommand(u"Play"_s);
    const qint32 second = positionAfter(device, 100);
    QVERIFY2(second >= stopped && second <= stopped + 200, qPrintable(QString::number(second)));
    device.setCommand(u"Stop"_s);

    // A Play while playing with a fresh From jumps there.
    device.setCommand(u"Play"_s);
    device.setFrom(500);
    device.setCommand(u"Play"_s);
    const qint32 jumped = positionAfter(device, 50);
    QVERIFY2(jumped >= 500 && jumped <= 650, qPrintable(QString::number(jumped)));
    device.setCommand(u"Stop"_s);
}

void TestCdAudioDevice::positionAdvancesInRealTime()
{
    // Over two seconds the position moves with the wall clock. The silent
    // output publishes every 2 ms tick and the reading side interpolates by
    // the clock, so the two stay within a few timer ticks: 25 ms allows for
    // scheduling on a busy two-core machine.
    DiscAudioDevice device;
    openAndList(device, m_image);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    positionAfter(device, 100);
    QElapsedTimer wall;
    wall.start();
    const qint32 start = device.Position();
    qint32 previous = start;
    while (wall.elapsed() < 2000) {
        QTest::qWait(1);
        const qint32 now = device.Position();
        QVERIFY(now >= previous); // never steps back
        previous = now;
    }
    const qint64 elapsed = wall.elapsed();
    const qint32 moved = device.Position() - start;
    QVERIFY2(std::abs(moved - elapsed) <= 25,
             qPrintable(u"moved %1 ms in %2 ms"_s.arg(moved).arg(elapsed)));
    device.setCommand(u"Stop"_s);
}

void TestCdAudioDevice::playbackEndsAtTheEndOfTheDisc()
{
    DiscAudioDevice device;
    openAndList(device, m_image);
    device.setTrack(2);
    const qint32 end = device.TrackPosition() + device.TrackLength();
    device.setFrom(end - 200);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!device.isPlaying(), 2000);
    QVERIFY2(std::abs(device.Position() - end) <= 1,
             qPrintable(QString::number(device.Position())));
    QCOMPARE(positionAfter(device, 100), device.Position());
}

void TestCdAudioDevice::deletedFileStopsPlaybackCleanly()
{
    const QString file = path(u"vanishing.wav"_s);
    QVERIFY(fixtures::writeAudio(file, 44100 * 20, kWav));
    DiscAudioDevice device;
    QCOMPARE(openAndList(device, file).size(), 1);
    QVERIFY(QFile::remove(file));
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!device.isPlaying(), 2000);
    QVERIFY(device.Position() < 1000);
}

void TestCdAudioDevice::playbackEndedWhenPlaybackStopsByItself_data()
{
    QTest::addColumn<bool>("cutShort");
    QTest::newRow("the end of the disc") << false;
    QTest::newRow("the image cut short while playing") << true;
}

void TestCdAudioDevice::playbackEndedWhenPlaybackStopsByItself()
{
    QFETCH(bool, cutShort);
    QTemporaryDir dir;
    const QString cue = fixtures::writeBinCue(dir.path(), {75 * 10});
    DiscAudioDevice device;
    QSignalSpy ended(&device, &CdAudioDevice::playbackEnded);
    openAndList(device, cue);
    device.setFrom(cutShort ? 0 : 10000 - 200);
    device.setCommand(u"Play"_s);
    qint32 cutAt = 0;
    if (cutShort) {
        QTRY_VERIFY(device.Position() > 0);
        // Only its first second is left; what was read ahead of the cut
        // (the ring's two seconds, and what the image reader buffers) plays out.
        QVERIFY(QFile::resize(dir.filePath(u"disc.bin"_s), 2352 * 75));
        cutAt = device.Position();
    }
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 5000);
    QVERIFY(!device.isPlaying());
    const qint32 stopped = device.Position();
    if (cutShort)
        QVERIFY2(stopped >= 1000 && stopped < cutAt + 3400,
                 qPrintable(u"%1, cut at %2"_s.arg(stopped).arg(cutAt)));
    else
        QCOMPARE(stopped, 10000);
    QCOMPARE(positionAfter(device, 200), stopped);
    QCOMPARE(ended.size(), 1);
}

void TestCdAudioDevice::noEndReportedAfterStopOrANewPlay_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("fromSet");
    QTest::newRow("Stop") << u"Stop"_s << false;
    QTest::newRow("Play from elsewhere") << u"Play"_s << true;
    QTest::newRow("Open") << u"Open"_s << false;
}

void TestCdAudioDevice::noEndReportedAfterStopOrANewPlay()
{
    QFETCH(QString, command);
    QFETCH(bool, fromSet);
    DiscAudioDevice device;
    QSignalSpy ended(&device, &CdAudioDevice::playbackEnded);
    openAndList(device, m_image);
    device.setFrom(10013 - 100);
    device.setCommand(u"Play"_s);
    // The playback runs out while this thread is busy; the command comes
    // before the news of the end does, and takes its place.
    const QDeadlineTimer deadline(5000);
    while (device.isPlaying() && !deadline.hasExpired())
        QThread::msleep(1);
    QVERIFY(!device.isPlaying());
    if (fromSet)
        device.setFrom(0);
    device.setCommand(command);
    QTest::qWait(300);
    QCOMPARE(ended.size(), 0);
    device.setCommand(u"Stop"_s);
}

void TestCdAudioDevice::outputThatCannotStartFallsBackToTheClock_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("silentAtLast");
    QTest::addColumn<int>("changes");
    QTest::newRow("an output that never starts") << 1000 << true << 1;
    QTest::newRow("an output that starts at the second Play") << 1 << false << 2;
}

void TestCdAudioDevice::outputThatCannotStartFallsBackToTheClock()
{
    QFETCH(int, failures);
    QFETCH(bool, silentAtLast);
    QFETCH(int, changes);
    DiscAudioDevice clockOnly;
    QVERIFY(clockOnly.isSilent());

    // Fails its first `failures` starts, then plays like a sound card.
    struct Flaky final : AudioOutput
    {
        explicit Flaky(int failures) : failuresLeft(failures) {}
        bool start() override { return failuresLeft-- <= 0 && clock->start(); }
        void stop() override { clock->stop(); }
        qint64 writableFrames() override { return clock->writableFrames(); }
        qint64 write(const qint16* f, qint64 n) override { return clock->write(f, n); }
        qint64 heldFrames() override { return clock->heldFrames(); }
        bool isSilent() const override { return false; }
        int failuresLeft;
        std::unique_ptr<AudioOutput> clock = MakeSilentOutput();
    };
    DiscAudioDevice device([failures] { return std::make_unique<Flaky>(failures); });
    QSignalSpy changed(&device, &CdAudioDevice::silenceChanged);
    QVERIFY(!device.isSilent());
    openAndList(device, m_image);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QTRY_COMPARE(changed.size(), 1);
    QVERIFY(device.isSilent());
    QTRY_VERIFY(device.Position() >= 100);

    device.setCommand(u"Stop"_s);
    device.setCommand(u"Play"_s);
    QTRY_COMPARE(changed.size(), changes);
    QCOMPARE(device.isSilent(), silentAtLast);
    QTest::qWait(100);
    QCOMPARE(changed.size(), changes);
    device.setCommand(u"Stop"_s);
}

namespace {

// Makes the medium of one case in a fresh folder, as it is at Open (step 0)
// and after it changed (step 1). Returns the name to open. Files that are not
// meant to change keep their times across the steps.
QString stageMedium(const QString& kind, const QDir& dir, int step)
{
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    const auto wav = [&](const char* name, qint64 ms) {
        return fixtures::writeAudio(path(name), 44100 * ms / 1000,
                                    SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    };
    bool ok = true;
    if (kind == u"image created") {
        if (step == 1)
            ok = !fixtures::writeBinCue(dir.path(), {301, 450}).isEmpty();
        return ok ? path("disc.cue") : QString();
    }
    if (kind == u"cue rewritten" || kind == u"bin rewritten" || kind == u"image deleted") {
        if (step == 0)
            ok = !fixtures::writeBinCue(dir.path(), {301, 450}).isEmpty();
        else if (kind == u"cue rewritten")
            ok = !fixtures::writeBinCue(dir.path(), {200, 551}).isEmpty();
        else if (kind == u"bin rewritten")
            ok = !fixtures::writeBinCue(dir.path(), {301, 600}).isEmpty(); // the same cue text
        else
            ok = QFile::remove(path("disc.bin"));
        if (kind == u"bin rewritten" || step == 0)
            ok = ok && fixtures::setModified(path("disc.cue"), kFileTime);
        return ok ? path("disc.cue") : QString();
    }
    if (kind == u"toc data rewritten") {
        ok = !fixtures::writeBinCue(dir.path(), {step == 0 ? 751 : 901}, u"data"_s).isEmpty();
        if (step == 0)
            ok = ok && fixtures::writeText(path("disc.toc"),
                                           "CD_DA\n\nTRACK AUDIO\nFILE \"data.bin\" 0\n");
        ok = ok && fixtures::setModified(path("disc.toc"), kFileTime);
        return ok ? path("disc.toc") : QString();
    }
    if (kind == u"folder gains a file") {
        ok = QDir().mkpath(path("album")) &&
             (step == 0 ? wav("album/1.wav", 1000) : wav("album/2.wav", 2000));
        return ok ? path("album") : QString();
    }
    if (kind == u"playlist entry rewritten") {
        ok = wav("a.wav", step == 0 ? 1000 : 3000) &&
             (step == 1 ||
              (wav("b.wav", 2000) && fixtures::writeText(path("list.m3u"), "a.wav\nb.wav\n")));
        ok = ok && fixtures::setModified(path("list.m3u"), kFileTime);
        return ok ? path("list.m3u") : QString();
    }
    if (kind == u"audio file rewritten") {
        ok = wav("song.wav", step == 0 ? 1000 : 2000);
        return ok ? path("song.wav") : QString();
    }
    return {};
}

} // namespace

void TestCdAudioDevice::changedMediumIsReadAgain_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<TrackInfo>>("before");
    QTest::addColumn<QList<TrackInfo>>("after");
    QTest::addColumn<int>("measured"); // files the new reading measures
    const QList<TrackInfo> image{{0, 4013}, {4013, 6000}};
    QTest::newRow("an image created after Open found nothing")
        << u"image created"_s << QList<TrackInfo>{} << image << 0;
    QTest::newRow("a cue sheet rewritten with other tracks")
        << u"cue rewritten"_s << image << QList<TrackInfo>{{0, 2666}, {2666, 7346}} << 0;
    QTest::newRow("the bin a cue sheet names rewritten longer")
        << u"bin rewritten"_s << image << QList<TrackInfo>{{0, 4013}, {4013, 8000}} << 0;
    QTest::newRow("the bin of an image deleted")
        << u"image deleted"_s << image << QList<TrackInfo>{} << 0;
    QTest::newRow("the data file of a toc rewritten longer")
        << u"toc data rewritten"_s << QList<TrackInfo>{{0, 10013}} << QList<TrackInfo>{{0, 12013}}
        << 0;
    QTest::newRow("a folder that gains an audio file")
        << u"folder gains a file"_s << QList<TrackInfo>{{0, 1000, u"1"_s}}
        << QList<TrackInfo>{{0, 1000, u"1"_s}, {1000, 2000, u"2"_s}} << 2;
    QTest::newRow("a file a playlist names rewritten longer")
        << u"playlist entry rewritten"_s << QList<TrackInfo>{{0, 1000}, {1000, 2000}}
        << QList<TrackInfo>{{0, 3000}, {3000, 2000}} << 2;
    QTest::newRow("an audio file rewritten longer")
        << u"audio file rewritten"_s << QList<TrackInfo>{{0, 1000}} << QList<TrackInfo>{{0, 2000}}
        << 1;
}

void TestCdAudioDevice::changedMediumIsReadAgain()
{
    QFETCH(QString, kind);
    QFETCH(QList<TrackInfo>, before);
    QFETCH(QList<TrackInfo>, after);
    QFETCH(int, measured);
    QTemporaryDir dir;
    const QString name = stageMedium(kind, QDir(dir.path()), 0);
    QVERIFY(!name.isEmpty());
    DiscAudioDevice device;
    QCOMPARE(openAndList(device, name), before);

    QVERIFY(!stageMedium(kind, QDir(dir.path()), 1).isEmpty());
    QSignalSpy measuring(&device, &CdAudioDevice::measuring);
    QSignalSpy opened(&device, &CdAudioDevice::opened);
    // Reading the tracks reads nothing: they are the ones read at Open,
    // also once a look is asked for, until it answers.
    QCOMPARE(listTracks(device), before);
    device.lookAtTheMedium();
    QCOMPARE(listTracks(device), before);
    // Nor does it take a command meanwhile.
    device.setCommand(u"Play"_s);
    QVERIFY(!device.isPlaying());
    QVERIFY(opened.wait(120000));
    QCOMPARE(opened.at(0).at(0).toBool(), !after.isEmpty());
    // The window's "update" then: Tracks() and every track, without Open.
    QCOMPARE(listTracks(device), after);
    // The look read the medium once.
    QCOMPARE(measuring.size(), measured);
    QCOMPARE(opened.size(), 1);
    QCOMPARE(device.Position(), after.isEmpty() ? 0 : after.first().position);
}

void TestCdAudioDevice::unchangedMediumIsNotReadAgain_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<TrackInfo>>("tracks");
    QTest::newRow("an image") << u"same.cue"_s << QList<TrackInfo>{{0, 4013}, {4013, 6000}};
    QTest::newRow("a folder of audio files")
        << u"album"_s
        << QList<TrackInfo>{
               {0, 2000, u"1 first"_s}, {2000, 500, u"2 second"_s}, {2500, 1000, u"10 last"_s}};
}

void TestCdAudioDevice::unchangedMediumIsNotReadAgain()
{
    QFETCH(QString, name);
    QFETCH(QList<TrackInfo>, tracks);
    const auto keepTimes = [this] {
        return fixtures::setModified(path(u"same.cue"_s), kFileTime) &&
               fixtures::setModified(path(u"same.bin"_s), kFileTime);
    };
    QVERIFY(!fixtures::writeBinCue(m_dir.path(), {301, 450}, u"same"_s).isEmpty());
    QVERIFY(keepTimes());
    DiscAudioDevice device;
    QSignalSpy measuring(&device, &CdAudioDevice::measuring);
    QCOMPARE(openAndList(device, path(name)), tracks);
    measuring.clear();

    // A cue sheet of other tracks, of the same size and time (and the same
    // bin again): only a reading of the sheet would see it.
    QVERIFY(!fixtures::writeBinCue(m_dir.path(), {200, 551}, u"same"_s).isEmpty());
    QVERIFY(keepTimes());
    QSignalSpy opened(&device, &CdAudioDevice::opened);
    for (int look = 0; look < 2; ++look) {
        QVERIFY(fixtures::look(device));
        QCOMPARE(listTracks(device), tracks);
    }
    QCOMPARE(measuring.size(), 0);
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened.at(1).at(0).toBool());
}

void TestCdAudioDevice::mediumIsNotReadAgainWhilePlaying_data()
{
    QTest::addColumn<bool>("beforePlay");
    QTest::newRow("changed while playing") << false;
    QTest::newRow("changed between Open and Play") << true;
}

void TestCdAudioDevice::mediumIsNotReadAgainWhilePlaying()
{
    QFETCH(bool, beforePlay);
    QTemporaryDir dir;
    const QString cue = fixtures::writeBinCue(dir.path(), {301, 450});
    DiscAudioDevice device;
    QCOMPARE(openAndList(device, cue).size(), 2);
    // Another disc, 6 s long, written beside and moved into place whole (a
    // rewrite in place may cut short what plays, as a cut image does). The
    // playback goes where only the disc that was read has sound.
    const auto replaceDisc = [&dir] {
        const QDir other(dir.filePath(u"other"_s));
        const auto moveIn = [&](const QString& name) {
            return std::rename(QFile::encodeName(other.filePath(name)).constData(),
                               QFile::encodeName(dir.filePath(name)).constData()) == 0;
        };
        return other.mkpath(u"."_s) &&
               !fixtures::writeBinCue(other.path(), {150, 150, 150}).isEmpty() &&
               moveIn(u"disc.bin"_s) && moveIn(u"disc.cue"_s);
    };
    if (beforePlay)
        QVERIFY(replaceDisc());
    device.setFrom(7000);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY(device.Position() > 7100);
    if (!beforePlay)
        QVERIFY(replaceDisc());
    // A look while playing is answered at once, and reads nothing.
    QSignalSpy opened(&device, &CdAudioDevice::opened);
    device.lookAtTheMedium();
    QCOMPARE(opened.size(), 1);
    QCOMPARE(device.Tracks(), 2);
    QVERIFY(device.isPlaying());
    QTRY_VERIFY(device.Position() > 7650);

    device.setCommand(u"Stop"_s);
    QCOMPARE(device.Tracks(), 2);
    QVERIFY(fixtures::look(device));
    QCOMPARE(device.Tracks(), 3);
}

void TestCdAudioDevice::playWhileTheOutputClosesPlaysOn_data()
{
    QTest::addColumn<bool>("atTheEnd");
    QTest::addColumn<QList<qint32>>("froms");
    // The output thread is held inside the output's stop() (after a Stop, or
    // as the disc runs out) while the next Plays are given; the last one wins.
    QTest::newRow("Play after a Stop") << false << QList<qint32>{2000};
    QTest::newRow("two Plays after a Stop") << false << QList<qint32>{6000, 2000};
    QTest::newRow("Play as the disc ends") << true << QList<qint32>{2000};
}

void TestCdAudioDevice::playWhileTheOutputClosesPlaysOn()
{
    QFETCH(bool, atTheEnd);
    QFETCH(QList<qint32>, froms);
    auto gate = std::make_shared<StopGate>();
    DiscAudioDevice device(eventfulOutputs(gate));
    openAndList(device, m_image);
    device.setTrack(2);
    const qint32 end = device.TrackPosition() + device.TrackLength();
    const qint32 start = atTheEnd ? end - 300 : 1000;
    device.setFrom(start);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(device.Position() > start + 20, 1000);
    gate->armed = true;
    if (!atTheEnd)
        device.setCommand(u"Stop"_s);
    QVERIFY(gate->inside.try_acquire_for(std::chrono::seconds(2)));
    for (qint32 from : froms) {
        device.setFrom(from);
        device.setCommand(u"Play"_s);
    }
    gate->released.release();
    const qint32 from = froms.last();
    // More than the output's buffer: a session nobody feeds any more still
    // moves on that far.
    QTRY_VERIFY2_WITH_TIMEOUT(
        device.Position() > from + 100,
        qPrintable(u"stuck at %1 after a Play from %2"_s.arg(device.Position()).arg(from)), 1000);
    const qint32 before = device.Position();
    const qint32 after = positionAfter(device, 200);
    QVERIFY2(before < from + 400 && after >= before + 150 && after <= before + 300,
             qPrintable(u"%1 then %2"_s.arg(before).arg(after)));
    QVERIFY(device.isPlaying());
    device.setCommand(u"Stop"_s);
}

void TestCdAudioDevice::manySeeksPlayOnWhenTheOutputRunsEvents()
{
    // Each round seeks, stops and seeks again, 0 to 3 ms apart; the playback
    // must go on from the second place.
    DiscAudioDevice device(eventfulOutputs());
    openAndList(device, m_image);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(device.Position() > 50, 1000);
    for (int round = 0; round < 40; ++round) {
        const qint32 first = 500 + (round * 613) % 8000;
        const qint32 second = 500 + (round * 1259 + 4000) % 8000;
        device.setFrom(first);
        device.setCommand(u"Play"_s);
        QTest::qWait(round % 3);
        device.setCommand(u"Stop"_s);
        QTest::qWait(round % 4);
        device.setFrom(second);
        device.setCommand(u"Play"_s);
        QTRY_VERIFY2_WITH_TIMEOUT(
            device.Position() > second + 100,
            qPrintable(u"round %1: stuck at %2 after a seek to %3"_s.arg(round)
                           .arg(device.Position())
                           .arg(second)),
            1000);
        QVERIFY(device.Position() < second + 600);
        QVERIFY(device.isPlaying());
    }
    device.setCommand(u"Stop"_s);
}

int main(int argc, char* argv[])
{
    if (argc >= 2 && qstrcmp(argv[1], "--open") == 0) {
        QCoreApplication app(argc, argv);
        for (int i = 2; i < argc; ++i) {
            DiscAudioDevice device;
            device.setFileName(QString::fromLocal8Bit(argv[i]));
            fixtures::open(device);
            if (device.Tracks() > 0)
                return 1;
        }
        std::fflush(stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestCdAudioDevice test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cdaudiodevice.moc"
