#pragma once

#include "cd/audiooutput.h"
#include "cd/cdaudiodevice.h"

#include <functional>
#include <memory>

namespace verselet {

class Disc;
class PlaybackEngine;

// The device for real discs: a CD drive, a disc image or a set of audio files
// (named by FileName), played through the playback engine. Open runs on a
// thread of its own and reports measuring() while audio files are measured;
// the event loop keeps running meanwhile. playbackEnded() and silenceChanged()
// come from the engine's threads by way of this object's event queue, so they
// are emitted on the thread this object lives on.
class DiscAudioDevice final : public CdAudioDevice
{
    Q_OBJECT

public:
    // Without a factory the device plays on the clock alone.
    explicit DiscAudioDevice(AudioOutputFactory outputs = {}, QObject* parent = nullptr);
    ~DiscAudioDevice() override;

    void setFileName(const QString& name) override { m_fileName = name; }
    QString FileName() const override { return m_fileName; }

    void setCommand(const QString& command) override;

    void setTimeFormat(int format) override { m_timeFormat = format; }
    int TimeFormat() const override { return m_timeFormat; }
    int Tracks() const override;
    void setTrack(int track) override { m_track = track; }
    int Track() const override { return m_track; }
    qint32 TrackLength() const override;
    qint32 TrackPosition() const override;
    // A clock read and a few atomic loads.
    qint32 Position() const override;
    void setFrom(qint32 position) override;
    bool isPlaying() const override;
    bool isSilent() const override;

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
