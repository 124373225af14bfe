// Bytes written as a .cue sheet and as an .m3u8 playlist in a folder that
// holds two tiny WAV files (a.wav: 44.1 kHz stereo; b.wav: 48 kHz mono, which
// is converted as it plays), then each opened as a disc of audio files.
//
// Properties, whenever a disc comes back:
//   - it has tracks, each longer than 0 frames, starting at 0 or later, each
//     beginning after the one before has ended;
//   - a playlist's tracks are whole files laid end to end;
//   - the disc ends within the files the sheet can name (one per line);
//   - the progress reports count 1, 2, ... up to the number of files;
//   - a reader gives full reads at every track start (fewer only at the end
//     of the disc) and at the last frame; a playlist's reader gives exactly
//     one frame at the last frame and none at the end.
//
// Inputs holding "/" are skipped, so that a sheet names files in the folder
// only, never a device or a large file elsewhere on the machine.

#include "fuzzcheck.h"

#include "audio/audiofilesdisc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace verselet;

namespace {

constexpr qint64 kFramesA = 4410;       // 0.1 s at 44.1 kHz
constexpr qint64 kNativeFramesB = 2401; // about 0.05 s at 48 kHz
qint64 g_framesB = 0;                   // b.wav on the disc, at 44.1 kHz

QTemporaryDir* g_folder = nullptr;

QByteArray number(qint64 i)
{
    return QByteArray::number(i);
}

bool writeWav(const QString& path, int rate, int channels, qint64 frames)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<short> samples(size_t(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = short((i * 97) % 20000 - 10000);
    const bool ok = sf_writef_short(f, samples.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

void checkDisc(const Disc& disc, qint64 bound, bool playlist, const QByteArray& sheet)
{
    const QList<DiscTrack>& tracks = disc.tracks();
    FUZZ_CHECK(!tracks.isEmpty(), sheet);
    qint64 previousEnd = 0;
    for (int i = 0; i < tracks.size(); ++i) {
        const DiscTrack& t = tracks.at(i);
        const QByteArray where = "track " + number(i + 1) + " at " + number(t.startFrame) +
                                 " for " + number(t.frames) + "\n" + sheet;
        FUZZ_CHECK(t.frames > 0 && t.startFrame >= previousEnd, where);
        if (playlist)
            FUZZ_CHECK(t.startFrame == previousEnd &&
                           (t.frames == kFramesA || t.frames == g_framesB),
                       where);
        previousEnd = t.startFrame + t.frames;
    }
    const qint64 end = disc.endFrame();
    FUZZ_CHECK(end == previousEnd && end <= bound,
               number(end) + " > " + number(bound) + "\n" + sheet);

    const auto reader = disc.openReader();
    qint16 buffer[2 * 64];
    for (int i = 0; i < tracks.size() && i < 16; ++i) {
        const qint64 at = tracks.at(i).startFrame;
        const qint64 got = reader->read(at, buffer, 64);
        FUZZ_CHECK(got == std::min<qint64>(64, end - at),
                   "read " + number(got) + " at " + number(at) + "\n" + sheet);
    }
    FUZZ_CHECK(reader->read(end - 1, buffer, 1) == 1, sheet);
    // A cue sheet may name files after its last track's file; the reader goes
    // on into them, but the player never reads past the disc's end.
    if (playlist) {
        FUZZ_CHECK(reader->read(end - 1, buffer, 4) == 1, sheet);
        FUZZ_CHECK(reader->read(end, buffer, 4) == 0, sheet);
    }
}

void openAndCheck(const QString& path, const QByteArray& bytes, bool playlist)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();

    int reports = 0;
    int reportedTotal = -1;
    const auto disc = OpenAudioFilesDisc(path, [&](int done, int total) {
        ++reports;
        FUZZ_CHECK(done == reports && total >= done &&
                       (reportedTotal < 0 || total == reportedTotal),
                   number(done) + "/" + number(total) + "\n" + bytes);
        reportedTotal = total;
    });
    if (!disc)
        return;
    FUZZ_CHECK(reports == reportedTotal,
               number(reports) + "/" + number(reportedTotal) + "\n" + bytes);
    const qint64 lines = bytes.count('\n') + bytes.count('\r') + 1;
    checkDisc(*disc, lines * std::max(kFramesA, g_framesB), playlist, bytes);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_folder = new QTemporaryDir;
    const QDir dir(g_folder->path());
    if (!g_folder->isValid() ||
        !writeWav(dir.filePath(QStringLiteral("a.wav")), 44100, 2, kFramesA) ||
        !writeWav(dir.filePath(QStringLiteral("b.wav")), 48000, 1, kNativeFramesB))
        std::abort();
    g_framesB = qint64(std::llround(double(kNativeFramesB) * 44100 / 48000));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.contains('/') || size > 4096)
        return 0;
    const QDir dir(g_folder->path());
    openAndCheck(dir.filePath(QStringLiteral("sheet.cue")), bytes, false);
    openAndCheck(dir.filePath(QStringLiteral("list.m3u8")), bytes, true);
    return 0;
}
