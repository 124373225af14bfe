#pragma once

// Audio fixtures the device tests make for themselves: a BIN/CUE image and
// audio files of exactly known lengths. A frame's samples say where it stands
// (left = frame number modulo 30000, right = its negation), so a test can check
// that what is read is what is at that place.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <sndfile.h>

#include "audio/cdaudiodevice.h"
#include "audio/disc.h"

#include <QSignalSpy>

#include <cmath>
#include <memory>
#include <vector>

namespace fixtures {

// Open, and the wait until the disc is read (Open returns at once).
inline bool open(verselet::CdAudioDevice& device, int timeoutMs = 120000)
{
    QSignalSpy opened(&device, &verselet::CdAudioDevice::opened);
    device.setCommand(QStringLiteral("Open"));
    return !opened.isEmpty() || opened.wait(timeoutMs);
}

// A look at the medium, and the wait for its answer.
inline bool look(verselet::CdAudioDevice& device, int timeoutMs = 120000)
{
    QSignalSpy opened(&device, &verselet::CdAudioDevice::opened);
    device.lookAtTheMedium();
    return !opened.isEmpty() || opened.wait(timeoutMs);
}

inline qint16 leftSample(qint64 frame)
{
    return qint16(frame % 30000);
}
inline qint16 rightSample(qint64 frame)
{
    return qint16(-(frame % 30000));
}

// Writes a .bin of raw sectors and a .cue with one audio track per entry of
// `sectors`, back to back. Returns the .cue path.
inline QString writeBinCue(const QString& folder, const QList<int>& sectors,
                           const QString& base = QStringLiteral("disc"))
{
    QByteArray bin;
    qint64 frame = 0;
    for (int count : sectors) {
        for (qint64 i = 0; i < qint64(count) * 588; ++i, ++frame) {
            const qint16 l = leftSample(frame);
            const qint16 r = rightSample(frame);
            bin.append(char(l & 0xff)).append(char((l >> 8) & 0xff));
            bin.append(char(r & 0xff)).append(char((r >> 8) & 0xff));
        }
    }
    QFile b(QDir(folder).filePath(base + QStringLiteral(".bin")));
    if (!b.open(QIODevice::WriteOnly) || b.write(bin) != bin.size())
        return {};
    b.close();

    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(base);
    qint64 start = 0;
    for (int i = 0; i < sectors.size(); ++i) {
        cue += QStringLiteral("  TRACK %1 AUDIO\n").arg(i + 1, 2, 10, QLatin1Char('0'));
        cue += QStringLiteral("    INDEX 01 %1:%2:%3\n")
                   .arg(start / 75 / 60, 2, 10, QLatin1Char('0'))
                   .arg(start / 75 % 60, 2, 10, QLatin1Char('0'))
                   .arg(start % 75, 2, 10, QLatin1Char('0'));
        start += sectors.at(i);
    }
    const QString cuePath = QDir(folder).filePath(base + QStringLiteral(".cue"));
    QFile c(cuePath);
    if (!c.open(QIODevice::WriteOnly))
        return {};
    c.write(cue.toUtf8());
    return cuePath;
}

// The title, artist and album an audio file's tags give; "" for none.
struct Titles
{
    QString title;
    QString artist;
    QString album;
};

// An audio file through libsndfile: `frames` frames of a 440 Hz tone (or
// the position pattern at 44.1 kHz stereo 16-bit WAV, when `pattern`), with
// the tags given where its form has them.
inline bool writeAudio(const QString& path, qint64 frames, int format, int rate = 44100,
                       int channels = 2, bool pattern = false, const Titles& titles = {})
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    for (const auto& [kind, text] :
         {std::pair{SF_STR_TITLE, &titles.title}, std::pair{SF_STR_ARTIST, &titles.artist},
          std::pair{SF_STR_ALBUM, &titles.album}}) {
        if (!text->isEmpty())
            sf_set_string(f, kind, text->toUtf8().constData());
    }
    std::vector<short> samples(size_t(frames) * size_t(channels));
    for (qint64 i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            short v = 0;
            if (pattern)
                v = c == 0 ? leftSample(i) : rightSample(i);
            else
                v = short(8000 * ((i * 440 / rate) % 2 == 0 ? 1 : -1));
            samples[size_t(i * channels + c)] = v;
        }
    }
    const sf_count_t written = sf_writef_short(f, samples.data(), frames);
    sf_close(f);
    return written == frames;
}

// Every sample an audio file decodes to, interleaved.
inline std::vector<short> decodeAll(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    std::vector<short> samples;
    if (!f)
        return samples;
    std::vector<short> block(size_t(4096) * size_t(std::max(info.channels, 1)));
    while (const sf_count_t n = sf_readf_short(f, block.data(), 4096))
        samples.insert(samples.end(), block.begin(), block.begin() + n * info.channels);
    sf_close(f);
    return samples;
}

inline bool writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// Sets a file's modification time, as a copy that keeps times would.
inline bool setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(when, QFileDevice::FileModificationTime);
}

// A disc held in memory: one track of a sine tone of `hz`, `ms` long, at
// a quarter of full scale on both channels.
class ToneDisc final : public verselet::Disc
{
public:
    ToneDisc(double hz, qint32 ms) : m_hz(hz), m_tracks{{0, verselet::MsToFrames(ms), true}} {}
    const QList<verselet::DiscTrack>& tracks() const override { return m_tracks; }
    std::unique_ptr<verselet::DiscReader> openReader() const override
    {
        struct Reader final : verselet::DiscReader
        {
            double hz;
            qint64 end;
            qint64 read(qint64 at, qint16* out, qint64 frames) override
            {
                const qint64 n = std::max<qint64>(std::min(frames, end - at), 0);
                for (qint64 i = 0; i < n; ++i)
                    out[i * 2] = out[i * 2 + 1] = qint16(
                        8192 * std::sin(2 * M_PI * hz * double(at + i) / verselet::kFrameRate));
                return n;
            }
        };
        auto reader = std::make_unique<Reader>();
        reader->hz = m_hz;
        reader->end = endFrame();
        return reader;
    }

private:
    double m_hz;
    QList<verselet::DiscTrack> m_tracks;
};

// The frequency of a tone in interleaved stereo frames, from the left
// channel's rising zero crossings.
inline double toneHz(const qint16* frames, qint64 count)
{
    qint64 rising = 0;
    qint64 first = -1;
    qint64 last = -1;
    for (qint64 i = 1; i < count; ++i) {
        if (frames[(i - 1) * 2] < 0 && frames[i * 2] >= 0) {
            ++rising;
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return rising < 2 ? 0 : double(rising - 1) * verselet::kFrameRate / double(last - first);
}

} // namespace fixtures
