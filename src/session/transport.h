#pragma once

// What plays in a timing run: the device, the tracks of its disc and the
// chosen one, where playback stands (one state), the play clock and its text,
// the user's lag and the speed. The transport keeps its own clock: a timer of
// its own reads the device and tells the time shown and the end of the
// track; windows only read it. The lag comes from calibration.dat and the
// speed from the settings, where a speed chosen is kept for the next run.

#include "audio/cdaudiodevice.h"
#include "document/timetag.h"
#include "session/tracklist.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>

#include <optional>

class QTimer;

namespace verselet {

class Transport final : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Stopped,
        // Paused by a click on the waveform, at a point of the track.
        Cued,
        Playing,
        Paused,
        // Playing for a test display.
        Testing
    };

    // Drives `device`, which outlives the transport.
    explicit Transport(CdAudioDevice& device, QObject* parent = nullptr);

    State state() const { return m_state; }
    // Set can stamp: a track plays, for timing or for a test.
    bool isRunning() const { return m_state == State::Playing || m_state == State::Testing; }
    const TrackList& tracks() const { return m_tracks; }

    // After the device has opened the disc: stopped, milliseconds, the
    // tracks listed and the remembered one chosen (`rememberedIndex` read the
    // lenient way). False when there is no track.
    bool loadDisc(QStringView rememberedIndex);
    // The tracks of the disc as the device last read it, the remembered one
    // chosen again; the device describes the chosen track (track 1 when none
    // is). False when there is no track.
    bool relistTracks(QStringView rememberedIndex);
    // Stopped, armed at the start of that track ("□" chooses the same one
    // again).
    void chooseTrack(int index);
    // "＞": from where the last stop armed the device, or on from a pause.
    void play();
    void pause();
    // From a time of the chosen track ("=>", a retake, a click while playing).
    void playFrom(qint32 trackMilliseconds);
    // A click on the waveform: while playing, plays on from there; otherwise
    // Cued there, and "＞" goes on from it.
    void seek(qint32 trackMilliseconds);
    // A test display: from where the device stands, or from this time of the
    // track.
    void beginTest(std::optional<qint32> fromTrackMilliseconds);
    // Stopped, armed at the start of the chosen track, the track list as it
    // is (a test ends, the run ends).
    void halt();
    // The clock's step: the time shown, and the end of the track. The
    // transport's own timer calls it; so may whoever needs it at once.
    void tick();

    // The heard position less the user's lag, not below 0: what Set stamps.
    qint32 stampPosition() const;
    // Where the play head stands in the track: the time heard, or the point
    // a click cued.
    qint32 headPosition() const;
    // The time shown, in whole seconds as milliseconds; none before the
    // first tick.
    ExactTime shownTime() const;

    // The user's lag in milliseconds of real time: at a speed below full it
    // is less of the song.
    qint32 lag() const { return m_lag; }
    void setLag(qint32 milliseconds) { m_lag = milliseconds; }
    // The speed in percent of the song's own (one of kSpeedSteps), the pitch
    // kept; a speed chosen is kept for the next run, and told.
    int speed() const { return m_speed; }
    void setSpeed(int percent);

Q_SIGNALS:
    void stateChanged(Transport::State state);
    void playTimeChanged(const QString& tag);
    void speedChanged(int percent);
    void tracksChanged();
    void trackChosen(int index);
    // The play time has reached the length of the chosen track.
    void endOfTrack();

private:
    void setState(State state);
    qint32 heardPosition() const;
    void armAt(qint32 trackMilliseconds);
    void showTime(qint32 milliseconds);
    bool atTrackEnd() const;

    CdAudioDevice& m_device;
    TrackList m_tracks;
    State m_state = State::Stopped;
    QTimer* m_clock;
    // Set by a click on the waveform while not playing.
    std::optional<qint32> m_cue;
    // The play time shown, in whole seconds; none before the first tick.
    std::optional<qint32> m_shownSeconds;
    qint32 m_lag = 0;
    int m_speed = 100;
};

// The speeds a run plays at, in percent, slowest first.
const QList<int>& SpeedSteps();

} // namespace verselet
