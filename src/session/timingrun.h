#pragma once

// One timing run, the context its windows are handed: the device it plays,
// the transport that drives the device (the track list, the state, the
// clock, lag and speed), and the lines it times (the sheet, its edit history
// and the way of timing). The reading of the disc starts as the run is made.
// Whoever runs the real-time input owns it; the timing window, the test
// displays and the commands of the timing keys work on it.

#include "audio/cdaudiodevice.h"
#include "session/timinglines.h"
#include "session/transport.h"

#include <QObject>
#include <QString>

#include <memory>

namespace verselet {

class TimingRun final : public QObject
{
    Q_OBJECT

public:
    // Opens the disc `driveName` names; the track the run starts on is the
    // remembered index (decimal text). `readings`, when given, proposes the
    // readings of the lines' kanji in word mode; it outlives the run.
    TimingRun(std::unique_ptr<CdAudioDevice> device, const QString& driveName,
              const QString& rememberedTrack, ReadingProposer* readings = nullptr,
              QObject* parent = nullptr);
    ~TimingRun() override;

    CdAudioDevice& device() { return *m_device; }
    Transport& transport() { return m_transport; }
    const Transport& transport() const { return m_transport; }
    TimingLines& lines() { return m_lines; }
    const TimingLines& lines() const { return m_lines; }

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

    // "＞": from the track start with the list back at its top (or on from a
    // pause); "=>": from the selected line's time; "□": stopped, armed at
    // the start of the chosen track.
    void play();
    void playFromSelectedLine();
    void stop();
    // A test display starts, from the beginning (the list back at its top)
    // or from the selected line; the transport halts when it ends.
    void beginTest(bool fromBeginning);

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
    // A test display is asked for (from the beginning, or from the selected
    // line); whoever runs the input opens it.
    void testRequested(bool fromBeginning);

private:
    void discOpened();
    // The selected line's tag, in milliseconds into the track; 0 with none.
    qint32 selectedTagTime() const;

    std::unique_ptr<CdAudioDevice> m_device;
    // Drives the device, and so goes after it and before the lines.
    Transport m_transport;
    TimingLines m_lines;
    QString m_rememberedTrack;
    bool m_opening = true;
    bool m_hasTracks = false;
    bool m_relisting = false;
};

} // namespace verselet
