// Audio files as a disc: the CPU that converting a file at 48 kHz to the
// disc's 44.1 kHz takes, per second of audio, over an hour of it; and how
// long a folder of ten 5-minute MP3s takes to open.

#include "audio/audiofilesdisc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "../tests/discfixtures.h"
#include "benchclock.h"

#include <cstdio>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Reads the whole disc `passes` times as the player does, in blocks; the
// process's CPU seconds per second of audio read, or -1 on a failure.
double cpuPerSecondOfAudio(const Disc& disc, int passes)
{
    constexpr qint64 kBlock = 4096;
    std::vector<qint16> buf(size_t(kBlock) * 2);
    const double cpu = cpuSeconds();
    qint64 total = 0;
    for (int pass = 0; pass < passes; ++pass) {
        auto reader = disc.openReader();
        for (qint64 at = 0; at < disc.endFrame(); at += kBlock) {
            const qint64 want = std::min(kBlock, disc.endFrame() - at);
            if (reader->read(at, buf.data(), want) != want)
                return -1;
        }
        total += disc.endFrame();
    }
    return (cpuSeconds() - cpu) / (double(total) / kFrameRate);
}

// Ten copies of one 5-minute VBR MP3 (with its Xing frame, as encoders
// write it by default) in `folder`.
bool writeMp3Folder(const QString& folder)
{
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (ffmpeg.isEmpty() || !QDir().mkpath(folder))
        return false;
    const QString first = QDir(folder).filePath(u"01.mp3"_s);
    QProcess p;
    p.start(ffmpeg,
            {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
             u"anoisesrc=d=300:c=pink:a=0.2"_s, u"-ac"_s, u"2"_s, u"-q:a"_s, u"4"_s, first});
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return false;
    for (int i = 2; i <= 10; ++i) {
        if (!QFile::copy(first, QDir(folder).filePath(u"%1.mp3"_s.arg(i, 2, 10, QChar(u'0')))))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    int status = 0;

    // Five minutes read twelve times: an hour of audio.
    constexpr int kMinutes = 5;
    const QString wav = dir.filePath(u"48k.wav"_s);
    if (!fixtures::writeAudio(wav, qint64(48000) * 60 * kMinutes, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                              48000, 2)) {
        std::printf("FAILED: the 48 kHz file could not be written\n");
        return 1;
    }
    const auto disc = OpenAudioFilesDisc(wav);
    const double perSecond = disc ? cpuPerSecondOfAudio(*disc, 60 / kMinutes) : -1;
    std::printf("48 kHz stereo converted to 44.1 kHz, an hour of it\n");
    std::printf("  CPU per second of audio %9.5f s (%.2f %% of one core)\n", perSecond,
                perSecond * 100);
    status |= perSecond < 0;
    QFile::remove(wav);

    const QString folder = dir.filePath(u"mp3"_s);
    if (!writeMp3Folder(folder)) {
        std::printf("folder of ten 5-minute MP3s: skipped (ffmpeg cannot make them)\n");
        return status;
    }
    QElapsedTimer t;
    t.start();
    const double cpu = cpuSeconds();
    const auto mp3s = OpenAudioFilesDisc(folder);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("folder of ten 5-minute VBR MP3s with Xing frames, opened\n");
    std::printf("  wall %9.1f ms, CPU %9.1f ms, %lld tracks\n", ms, (cpuSeconds() - cpu) * 1000,
                mp3s ? qlonglong(mp3s->tracks().size()) : -1LL);
    return status | !mp3s;
}
