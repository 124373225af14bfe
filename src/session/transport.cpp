#include "session/transport.h"

#include "document/timetag.h"
#include "settings/calibration.h"
#include "settings/playbackspeed.h"

#include <QTimer>

#include <cmath>

namespace verselet {

using namespace Qt::StringLiterals;

const QList<int>& SpeedSteps()
{
    return kSpeedSteps;
}

Transport::Transport(CdAudioDevice& device, QObject* parent)
    : QObject(parent), m_device(device), m_clock(new QTimer(this)), m_lag(ReadCalibration()),
      m_speed(LoadPlaybackSpeed())
{
    m_device.setSpeed(m_speed / 100.0);
    // The device has no buttons of its own; were it to report them, they
    // would say whether it plays and nothing else.
    connect(&m_device, &CdAudioDevice::PlayClick, this, [this] {
        if (m_state == State::Stopped)
            setState(State::Paused);
    });
    connect(&m_device, &CdAudioDevice::StopClick, this, [this] { setState(State::Stopped); });
    // The device stopped by itself (the disc ended or could not be read on):
    // Stopped, as at the end of a track, instead of a frozen time to stamp.
    connect(&m_device, &CdAudioDevice::playbackEnded, this, [this] {
        if (m_state != State::Stopped)
            halt();
    });
    // The play time is read every millisecond: a stamp is never more than
    // that behind what is shown.
    m_clock->setTimerType(Qt::PreciseTimer);
    m_clock->setInterval(1);
    connect(m_clock, &QTimer::timeout, this, &Transport::tick);
    m_clock->start();
}

void Transport::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

bool Transport::loadDisc(QStringView rememberedIndex)
{
    m_device.setCommand(u"Stop"_s);
    m_device.setTimeFormat(0);
    return relistTracks(rememberedIndex);
}

bool Transport::relistTracks(QStringView rememberedIndex)
{
    m_tracks = ReadTrackList(m_device);
    Q_EMIT tracksChanged();
    if (m_tracks.tracks.isEmpty())
        return false;
    if (const int index = m_tracks.indexOf(rememberedIndex); index >= 0)
        chooseTrack(index);
    // The clock and the end of the track read the chosen track: the device
    // describes that one, not the last one listed.
    m_device.setTrack(m_tracks.playingNumber());
    return true;
}

void Transport::chooseTrack(int index)
{
    if (index < -1 || index >= m_tracks.tracks.size())
        index = -1;
    m_tracks.chosen = index;
    Q_EMIT trackChosen(index);
    halt();
}

void Transport::halt()
{
    m_cue.reset();
    m_device.setCommand(u"Stop"_s);
    m_device.setTrack(m_tracks.playingNumber());
    m_device.setFrom(m_device.TrackPosition());
    setState(State::Stopped);
}

void Transport::play()
{
    m_cue.reset();
    m_device.setCommand(u"play"_s);
    setState(State::Playing);
}

void Transport::pause()
{
    m_device.setCommand(u"Stop"_s);
    if (isRunning())
        setState(State::Paused);
}

void Transport::armAt(qint32 trackMilliseconds)
{
    m_device.setTrack(m_tracks.playingNumber());
    m_device.setFrom(ClampToPosition(qint64(m_device.TrackPosition()) + trackMilliseconds));
}

void Transport::playFrom(qint32 trackMilliseconds)
{
    m_cue.reset();
    armAt(trackMilliseconds);
    m_device.setCommand(u"Play"_s);
    setState(State::Playing);
}

void Transport::seek(qint32 trackMilliseconds)
{
    const qint32 at = std::max(trackMilliseconds, 0);
    if (m_state == State::Playing || m_state == State::Testing) {
        playFrom(at);
        return;
    }
    // Paused there, as "||" leaves it: "＞" plays on.
    m_device.setCommand(u"Stop"_s);
    armAt(at);
    m_cue = at;
    setState(State::Cued);
    showTime(at);
}

void Transport::beginTest(std::optional<qint32> fromTrackMilliseconds)
{
    m_cue.reset();
    if (fromTrackMilliseconds) {
        armAt(*fromTrackMilliseconds);
        m_device.setCommand(u"Play"_s);
    } else {
        // Where the last stop armed the device, or on from a pause.
        m_device.setCommand(u"play"_s);
    }
    setState(State::Testing);
}

qint32 Transport::heardPosition() const
{
    return std::max(m_device.Position() - m_device.TrackPosition(), 0);
}

qint32 Transport::stampPosition() const
{
    // The lag is the user's, in real time: slowed down, it spans less of the
    // song.
    const qint64 lag = std::llround(m_lag * (m_speed / 100.0));
    return qint32(std::max<qint64>(qint64(heardPosition()) - lag, 0));
}

qint32 Transport::headPosition() const
{
    return m_cue ? *m_cue : heardPosition();
}

ExactTime Transport::shownTime() const
{
    return m_shownSeconds ? ExactTime(*m_shownSeconds * 1000) : std::nullopt;
}

void Transport::setSpeed(int percent)
{
    if (percent <= 0 || percent == m_speed)
        return;
    m_speed = percent;
    m_device.setSpeed(percent / 100.0);
    // Kept for the next run; the playback goes on at it whether or not the
    // settings can be written.
    SavePlaybackSpeed(percent);
    Q_EMIT speedChanged(percent);
}

void Transport::showTime(qint32 milliseconds)
{
    // The display changes once a second: no text is made on the other ticks.
    const qint32 seconds = std::max(milliseconds, 0) / 1000;
    if (m_shownSeconds == seconds)
        return;
    m_shownSeconds = seconds;
    Q_EMIT playTimeChanged(ClockText(shownTime()));
}

bool Transport::atTrackEnd() const
{
    // At or past the length, to the second: a late tick that skips the last
    // second still ends the track.
    return m_tracks.chosen >= 0 && m_shownSeconds &&
           *m_shownSeconds >= m_tracks.tracks.at(m_tracks.chosen).length / 1000;
}

void Transport::tick()
{
    if (m_state == State::Stopped) {
        showTime(0);
        return;
    }
    if (m_cue) {
        showTime(*m_cue);
        return;
    }
    showTime(heardPosition());
    if (atTrackEnd()) {
        halt();
        Q_EMIT endOfTrack();
    }
}

} // namespace verselet
