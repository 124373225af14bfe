#pragma once

// A disc as the player sees it: tracks laid end to end on one time line of
// CD-audio frames (44 100 a second, 16-bit stereo), and a way to read them.
// A CD drive, a disc image and a set of audio files all look like this.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace verselet {

inline constexpr int kFrameRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kFramesPerSector = 588; // 75 sectors a second

// Milliseconds from the start of the disc, truncated.
constexpr qint32 FramesToMs(qint64 frames)
{
    return qint32(frames * 1000 / kFrameRate);
}
constexpr qint64 MsToFrames(qint64 ms)
{
    return ms * kFrameRate / 1000;
}

// What a disc says of a track beyond where it lies: its CD-Text, or the
// tags of its audio file (a cue sheet's own TITLE and PERFORMER lines first).
struct TrackTags
{
    QString title;
    QString artist;
    QString album;
    // The audio file that is this track, whole, and its size and time when
    // the disc was read; "" for a CD, an image or a track that is part of a
    // file.
    QString file;
    qint64 fileSize = -1;
    QDateTime fileModified;
    friend bool operator==(const TrackTags&, const TrackTags&) = default;
};

struct DiscTrack
{
    qint64 startFrame = 0; // from the start of the disc
    qint64 frames = 0;
    bool audio = true; // a data track of a mixed disc plays as silence
    // What the user calls it: the file's name for a folder of audio files,
    // "" for a track of a CD or an image.
    QString name = {};
    TrackTags tags = {};
};

// Reads the audio of one disc. Used by one thread at a time.
class DiscReader
{
public:
    virtual ~DiscReader() = default;
    // Reads up to `frames` interleaved stereo frames starting at the disc
    // frame `at` into `out`. Returns the frames read: fewer at the end of
    // the disc, 0 when nothing more can be read (the end, or a failure).
    virtual qint64 read(qint64 at, qint16* out, qint64 frames) = 0;
};

class Disc
{
public:
    virtual ~Disc() = default;
    virtual const QList<DiscTrack>& tracks() const = 0;
    // A reader of its own for the player's reader thread.
    virtual std::unique_ptr<DiscReader> openReader() const = 0;
    // A CD in a drive: one reader at a time, or playback would stutter.
    virtual bool isDrive() const { return false; }
    // Where the disc's time line ends.
    qint64 endFrame() const
    {
        return tracks().isEmpty() ? 0 : tracks().last().startFrame + tracks().last().frames;
    }
};

} // namespace verselet
