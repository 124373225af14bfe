#pragma once

// The CD-audio device the timing window and the test displays drive: a disc
// (a CD drive, a disc image or a set of audio files, named by FileName), its
// tracks, and playback with a position in milliseconds from the start of the
// disc.

#include "cd/audiooutput.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace verselet {

class Disc;
class PlaybackEngine;

class CdAudioDevice final : public QObject
{
    Q_OBJECT

public:
    // Without a factory the device plays on the clock alone.
    explicit CdAudioDevice(AudioOutputFactory outputs = {}, QObject* parent = nullptr);
    ~CdAudioDevice() override;

    // What to open: a CD drive, a .cue/.toc/.nrg image, a folder of audio
    // files, an .m3u playlist or a .cue sheet of audio files; "" for none.
    void setFileName(const QString& name) { m_fileName = name; }
    QString FileName() const { return m_fileName; }

    // "Open", "Stop" or "Play", in any letter case; anything else is ignored.
    //   Open: loads the disc FileName names and stops; Tracks() < 1 when
    //         there is none to be had. Measuring audio files that takes long
    //         reports measuring(); the event loop keeps running meanwhile.
    //   Stop: halts where the playback is, without rewinding.
    //   Play: plays from From when it was set since the last Play, else on
    //         from where the playback stopped; to the end of the disc.
    void setCommand(const QString& command);

    // 0 is milliseconds, the only format there is.
    void setTimeFormat(int format) { m_timeFormat = format; }
    int TimeFormat() const { return m_timeFormat; }

    int Tracks() const;
    // The 1-based track TrackLength and TrackPosition describe. Moves nothing.
    void setTrack(int track) { m_track = track; }
    int Track() const { return m_track; }
    qint32 TrackLength() const;
    qint32 TrackPosition() const;

    // Where the playback is, from the start of the disc. Cheap: a clock read
    // and a few atomic loads, fit for a 1 ms timer.
    qint32 Position() const;
    // The start point of the next Play only.
    void setFrom(qint32 position);

    bool isPlaying() const;
    // True when no sound is heard: there is no audio output, and playback
    // runs on the clock alone.
    bool isSilent() const;

Q_SIGNALS:
    // The device's own Play and Stop buttons.
    void PlayClick();
    void StopClick();
    // Open measures audio files: `done` of `total` files so far.
    void measuring(int done, int total);

private:
    void open();

    std::unique_ptr<PlaybackEngine> m_engine;
    std::shared_ptr<const Disc> m_disc;
    QString m_fileName;
    int m_timeFormat = 0;
    int m_track = 1;
    qint64 m_fromFrame = 0;
    bool m_fromSet = false;
    bool m_opening = false;
};

// Opens what a name names, choosing the backend by it. nullptr when there is
// no usable disc. Runs on any thread.
std::shared_ptr<const Disc> OpenDisc(const QString& name,
                                     const std::function<void(int, int)>& progress = {});

} // namespace verselet
