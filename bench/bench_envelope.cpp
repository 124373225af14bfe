// The waveform's envelope: how long a 5-minute track takes to read ahead,
// from a disc image and from a FLAC file, on the reader's own thread.

#include "audio/audiofilesdisc.h"
#include "audio/cdiodisc.h"
#include "audio/envelope.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "../tests/discfixtures.h"

#include <cstdio>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// From request() to every block of the track known, in ms; -1 when it never
// completes.
double readAhead(std::shared_ptr<const Disc> disc)
{
    if (!disc)
        return -1;
    EnvelopeCache cache;
    cache.setDisc(disc, true);
    const DiscTrack track = disc->tracks().constFirst();
    const qint64 last = (track.startFrame + track.frames - 1) / kEnvelopeBlockFrames;
    QElapsedTimer t;
    t.start();
    cache.request(1);
    while (t.elapsed() < 60000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        bool done = true;
        for (qint64 b = track.startFrame / kEnvelopeBlockFrames + 1; b <= last && done; b += 97)
            done = cache.envelope().known(b);
        if (done && cache.envelope().known(last))
            return t.nsecsElapsed() / 1e6;
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    constexpr int kSeconds = 300;
    std::printf("envelope of a 5-minute track, read ahead\n");
    const QString cue = fixtures::writeBinCue(dir.path(), {75 * kSeconds});
    const double image = readAhead(OpenCdioDisc(cue));
    std::printf("  disc image (BIN/CUE)    %7.1f ms (target 1000)\n", image);
    QDir().mkpath(dir.filePath(u"flac"_s));
    const QString flac = dir.filePath(u"flac/track.flac"_s);
    if (!fixtures::writeAudio(flac, qint64(kFrameRate) * kSeconds,
                              SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kFrameRate, 2, true)) {
        std::printf("FAILED: the FLAC file could not be written\n");
        return 1;
    }
    const double fromFlac = readAhead(OpenAudioFilesDisc(flac));
    std::printf("  FLAC file               %7.1f ms (target 1000)\n", fromFlac);
    return image < 0 || fromFlac < 0 ? 1 : 0;
}
