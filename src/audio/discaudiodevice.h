#pragma once

#include "audio/audiooutput.h"
#include "audio/cdaudiodevice.h"

#include <functional>
#include <memory>
#include <thread>

namespace verselet {

class Disc;
struct DiscTrack;
class MediumWatch;
class PlaybackEngine;

// The device for real discs: a CD drive, a disc image or a set of audio files
// (named by FileName), played through the playback engine. Open and a look
// at the medium read on a thread of its own, report measuring() while audio
// files are measured and opened() when they are done; they return at once.
// No getter reads the medium. playbackEnded() and silenceChanged() come from
// the engine's threads by way of this object's event queue, so they are
// emitted on the thread this object lives on.
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
    QString TrackName() const override;
    TrackTags Tags() const override;
    // A clock read and a few atomic loads.
    qint32 Position() const override;
    void setFrom(qint32 position) override;
    bool isPlaying() const override;
    bool isSilent() const override;
    void setSpeed(double speed) override;
    EnvelopeCache* envelopes() override { return m_envelopes; }
    // The look asks the medium (a drive's media-changed flag, the files'
    // sizes and times) on the reading thread, as Open reads there.
    void lookAtTheMedium() override;

private:
    struct Reading;
    // The track set in Track, when the disc has it.
    const DiscTrack* describedTrack() const;
    // Reads m_mediumName's table of contents on a thread of its own, first
    // asking `look` whether there is anything new to read when one is given;
    // finishReading() takes the result on this object's thread.
    void startReading(std::unique_ptr<MediumWatch> look = nullptr);
    void finishReading(const std::shared_ptr<Reading>& reading);

    std::unique_ptr<PlaybackEngine> m_engine;
    // A child: it goes after the engine, whose tap may feed it.
    EnvelopeCache* m_envelopes;
    std::shared_ptr<const Disc> m_disc;
    std::unique_ptr<MediumWatch> m_watch; // on what m_disc was read from
    QString m_mediumName;                 // FileName at the last Open
    QString m_fileName;
    int m_timeFormat = 0;
    int m_track = 1;
    qint64 m_fromFrame = 0;
    bool m_fromSet = false;
    bool m_opening = false; // reading on m_reader: Open, or a look
    std::thread m_reader;
};

// Opens what a name names, choosing the backend by it. nullptr when there is
// no usable disc. Runs on any thread.
std::shared_ptr<const Disc> OpenDisc(const QString& name,
                                     const std::function<void(int, int)>& progress = {});

} // namespace verselet
