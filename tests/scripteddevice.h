#pragma once

// A CD-audio device whose clock the test sets: tracks of given lengths laid
// end to end, and a play position that moves only when the test advances the
// clock. It keeps the device's rules: Stop halts without rewinding, Play
// resumes unless From was set since, From counts for one Play; the table of
// contents is read by Open, and read again by a look at the medium while
// nothing plays and the disc in the drive has changed. It answers at once
// unless the test holds its looks (holdLooks).

#include "audio/cdaudiodevice.h"
#include "session/timingrun.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <utility>

class ScriptedDevice final : public verselet::CdAudioDevice
{
public:
    // The disc in the drive: track lengths in milliseconds (none: no disc).
    explicit ScriptedDevice(QList<qint32> lengths = {}) : m_medium(std::move(lengths)) {}

    // Another disc goes into the drive (none: the disc is taken out).
    void changeDisc(QList<qint32> lengths) { m_medium = std::move(lengths); }
    void advance(qint64 ms) { m_clock += ms; }
    // Playback stops by itself where it is, as when the disc can no longer
    // be read.
    void failReading()
    {
        if (!m_playing)
            return;
        m_base = Position();
        m_playing = false;
        Q_EMIT playbackEnded();
    }
    void setSilent(bool s)
    {
        silent = s;
        Q_EMIT silenceChanged();
    }
    bool silent = true;
    QStringList commands;            // every command, as sent
    QStringList names;               // the tracks' names, as a folder of audio files has them
    QList<verselet::TrackTags> tags; // what the disc says of each track

    void setFileName(const QString& name) override { m_fileName = name; }
    QString FileName() const override { return m_fileName; }
    void setCommand(const QString& command) override
    {
        commands.append(command);
        const QString c = command.toLower();
        if (c == QLatin1String("stop")) {
            m_base = Position();
            m_playing = false;
        } else if (c == QLatin1String("play")) {
            if (m_fromSet) {
                m_base = m_from;
                m_fromSet = false;
            } else if (m_playing) {
                return;
            } else {
                m_base = Position();
            }
            m_startedAt = m_clock;
            m_playing = true;
        } else if (c == QLatin1String("open")) {
            m_playing = false;
            m_base = 0;
            m_lengths = m_medium;
            ++tableReads;
            // Read at once: the answer comes before Open returns.
            Q_EMIT opened(!m_lengths.isEmpty());
        }
    }
    void setTimeFormat(int format) override { m_format = format; }
    int TimeFormat() const override { return m_format; }
    int Tracks() const override { return int(m_lengths.size()); }
    void lookAtTheMedium() override
    {
        if (holdLooks && !m_playing) {
            lookHeld = true;
            return;
        }
        if (!m_playing && m_lengths != m_medium) {
            m_lengths = m_medium;
            ++tableReads;
        }
        Q_EMIT opened(!m_lengths.isEmpty());
    }
    // Looks wait for answerLook(), as at a drive that takes its time.
    bool holdLooks = false;
    bool lookHeld = false;
    void answerLook()
    {
        if (!std::exchange(lookHeld, false))
            return;
        holdLooks = false;
        lookAtTheMedium();
        holdLooks = true;
    }
    void setTrack(int track) override { m_track = track; }
    int Track() const override { return m_track; }
    qint32 TrackLength() const override { return valid() ? m_lengths.at(m_track - 1) : 0; }
    QString TrackName() const override { return valid() ? names.value(m_track - 1) : QString(); }
    verselet::TrackTags Tags() const override
    {
        return valid() ? tags.value(m_track - 1) : verselet::TrackTags{};
    }
    qint32 TrackPosition() const override
    {
        qint32 start = 0;
        for (int i = 1; i < m_track && i <= m_lengths.size(); ++i)
            start += m_lengths.at(i - 1);
        return valid() ? start : 0;
    }
    qint32 Position() const override
    {
        if (!m_playing)
            return m_base;
        qint32 end = 0;
        for (qint32 l : m_lengths)
            end += l;
        return qint32(std::min<qint64>(m_base + (m_clock - m_startedAt), end));
    }
    void setFrom(qint32 position) override
    {
        m_from = position;
        m_fromSet = true;
    }
    bool isPlaying() const override { return m_playing; }
    bool isSilent() const override { return silent; }
    // The speed asked for; the clock the test moves is song time already.
    void setSpeed(double s) override { speed = s; }
    double speed = 1.0;

    qint32 from() const { return m_from; }
    bool fromPending() const { return m_fromSet; }
    // How often the table of contents was read.
    int tableReads = 0;

private:
    bool valid() const { return m_track >= 1 && m_track <= m_lengths.size(); }

    QList<qint32> m_medium;
    QList<qint32> m_lengths;
    QString m_fileName;
    int m_format = -1;
    int m_track = 1;
    qint64 m_clock = 0;
    qint64 m_startedAt = 0;
    qint32 m_base = 0;
    qint32 m_from = 0;
    bool m_fromSet = false;
    bool m_playing = false;
};

// A timing run over a scripted device, made as a real-time input makes it:
// the run owns the device, which the test still holds by reference. The
// device answers Open at once: once made, the run has read the disc and
// chosen the remembered track.
class ScriptedRun final
{
public:
    ScriptedRun(QList<qint32> lengths, const QString& rememberedTrack)
        : ScriptedRun(std::make_unique<ScriptedDevice>(std::move(lengths)), rememberedTrack)
    {
    }

    ScriptedDevice& device;
    verselet::TimingRun run;

private:
    ScriptedRun(std::unique_ptr<ScriptedDevice> owned, const QString& rememberedTrack)
        : device(*owned), run(std::move(owned), QString(), rememberedTrack)
    {
    }
};
