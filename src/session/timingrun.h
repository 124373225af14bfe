#pragma once

// One timing run's parts, made and owned together: the device it plays, the
// session that drives the device, the user's lag taken off every stamp (from
// calibration.dat), and the reading of the disc, which starts as the run is
// made. The timing window is a view of a run; whoever runs the real-time
// input owns it.

#include "audio/cdaudiodevice.h"
#include "session/timingsession.h"

#include <QObject>
#include <QString>

#include <memory>

namespace verselet {

class TimingRun final : public QObject
{
    Q_OBJECT

public:
    // Opens the disc `driveName` names; the track the run starts on is the
    // remembered index (decimal text).
    TimingRun(std::unique_ptr<CdAudioDevice> device, const QString& driveName,
              const QString& rememberedTrack, QObject* parent = nullptr);
    ~TimingRun() override;

    CdAudioDevice& device() { return *m_device; }
    TimingSession& session() { return *m_session; }

    // From the start until the device has read its disc.
    bool isOpening() const { return m_opening; }
    // Once read: whether it has tracks to play.
    bool hasTracks() const { return m_hasTracks; }

    // "更新": the device looks whether its disc has changed since it was
    // read, and reads it again if so; then its tracks are listed and the
    // remembered one chosen again. Returns at once; tracksRelisted() says
    // when that is done (at once for a device that needs no time).
    void relistTracks();
    // From relistTracks() until tracksRelisted().
    bool isRelisting() const { return m_relisting; }

    // The run ends: the device stops, armed at the start of the chosen
    // track, which becomes the one to remember.
    void finish();
    // The track index to remember, as decimal text: the one the run started
    // on, and once it has finished the one chosen then ("-1": none).
    const QString& rememberedTrack() const { return m_rememberedTrack; }

Q_SIGNALS:
    // The disc has been read and its tracks listed (`tracks` false when
    // there are none).
    void discRead(bool tracks);
    // "更新" is done: the tracks of the disc as it is now are listed
    // (`tracks` false when there are none).
    void tracksRelisted(bool tracks);

private:
    void discOpened();

    std::unique_ptr<CdAudioDevice> m_device;
    // Drives the device, and so goes first.
    std::unique_ptr<TimingSession> m_session;
    QString m_rememberedTrack;
    bool m_opening = true;
    bool m_hasTracks = false;
    bool m_relisting = false;
};

} // namespace verselet
