#pragma once

// The CD-audio device the timing window and the test displays drive: a disc
// with tracks, and playback with a position in milliseconds from the start of
// the disc. DiscAudioDevice plays real discs, images and audio files; tests
// use a device whose clock they set.

#include "audio/disc.h"

#include <QObject>
#include <QString>

namespace verselet {

class EnvelopeCache;

class CdAudioDevice : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // What to open: a CD drive, a disc image, a folder of audio files, a
    // playlist or a cue sheet; "" for none.
    virtual void setFileName(const QString& name) = 0;
    virtual QString FileName() const = 0;

    // "Open", "Stop" or "Play", in any letter case; anything else is ignored.
    //   Open: starts reading the disc and returns; opened() says when it is
    //         read (at once for a device that needs no time). Until then the
    //         device takes no command and has no tracks; after, it stands
    //         stopped, Tracks() < 1 when there is no disc.
    //   Stop: halts where the playback is, without rewinding.
    //   Play: plays from From when it was set since the last Play, else on
    //         from where the playback stopped; to the end of the disc.
    virtual void setCommand(const QString& command) = 0;

    // 0 is milliseconds, the only format there is.
    virtual void setTimeFormat(int format) = 0;
    virtual int TimeFormat() const = 0;

    // The tracks of the disc as Open, or the last look, read it: another
    // disc put in since is not seen until lookAtTheMedium() has read it.
    virtual int Tracks() const = 0;
    // The 1-based track TrackLength and TrackPosition describe. Moves nothing.
    virtual void setTrack(int track) = 0;
    virtual int Track() const = 0;
    virtual qint32 TrackLength() const = 0;
    virtual qint32 TrackPosition() const = 0;
    // The name of that track, where the disc gives one (a folder of audio
    // files names each track after its file); "" for a CD track.
    virtual QString TrackName() const { return {}; }
    // What the disc says of that track: its title, artist and album, and
    // the audio file that is the track.
    virtual TrackTags Tags() const { return {}; }

    // Where the playback is, from the start of the disc. Cheap enough for a
    // 1 ms timer.
    virtual qint32 Position() const = 0;
    // The start point of the next Play only.
    virtual void setFrom(qint32 position) = 0;

    virtual bool isPlaying() const = 0;
    // True when no sound is heard and playback runs on the clock alone.
    virtual bool isSilent() const = 0;

    // Playback at this speed (0.5: half as fast) with the pitch kept; every
    // position stays in the song's time. A device that cannot slow down
    // plays at full speed.
    virtual void setSpeed(double speed) { Q_UNUSED(speed); }

    // Looks whether the medium Open read has changed since it was read
    // (another CD in the drive, an image or audio files written anew, a disc
    // where Open found none) and if so reads it again as Open does, with
    // measuring(); returns at once. opened() answers when the look is done,
    // whether or not it read anything (at once for a device that needs no
    // time): until then the device takes no command and still describes the
    // disc read before. While Open or another look reads, that one answers.
    // While playing it does not look, and answers at once.
    virtual void lookAtTheMedium() { Q_EMIT opened(Tracks() >= 1); }

    // The envelope of the open disc's audio, for a waveform; none when the
    // device has no audio to show.
    virtual EnvelopeCache* envelopes() { return nullptr; }

Q_SIGNALS:
    // The device's own Play and Stop buttons.
    void PlayClick();
    void StopClick();
    // Open, or a look that reads again, measures audio files: `done` of
    // `total` files so far.
    void measuring(int done, int total);
    // The disc Open asked for has been read, or a look at the medium is
    // done: `found` when the disc the device now describes has tracks.
    void opened(bool found);
    // Playback stopped by itself, without a Stop: the end of the disc was
    // reached, or the disc could no longer be read (an image deleted, a CD
    // ejected). Position() stays where the playback stopped.
    void playbackEnded();
    // isSilent() has changed: the audio output failed and playback goes on,
    // on the clock alone.
    void silenceChanged();
};

} // namespace verselet
