#pragma once

// The waveform strip of the timing window ("Waveform"): the chosen track's
// envelope, the play head, and a mark for each line that has a time,
// labelled with its line number. The whole track is in view at first; the
// wheel zooms around the pointer, and a zoomed view follows the play head. A
// click plays from that point (or pauses there when not playing); dragging a
// mark moves that line's time. Segments timed word by word show as short
// ticks under the line marks, and so does a line's end; a tick dragged moves
// that segment's time between its neighbours (the end after the last
// segment), drawn where it will land while it is dragged.

#include "document/exacttimes.h"

#include <QImage>
#include <QWidget>

class QTimer;

namespace verselet {

class CdAudioDevice;
class TimingLines;
class TimingRun;
class Transport;

class WaveformStrip final : public QWidget
{
    Q_OBJECT

public:
    WaveformStrip(TimingRun& run, QWidget* parent);

    // The part of the track in view, in ms.
    qint32 viewStart() const { return m_viewStart; }
    qint32 viewSpan() const { return m_viewSpan; }
    // The track time at a column, and the column of a track time.
    qint32 timeAt(int x) const;
    int xAt(qint32 trackMs) const;
    // The whole track in view, and its envelope asked for.
    void showWholeTrack();

Q_SIGNALS:
    // A line's time was moved by dragging its mark.
    void markMoved(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    qint32 trackLength() const;
    // The envelope drawn for the view, kept until the view or the envelope
    // changes: a picture of the play head needs only the head redrawn.
    void drawEnvelope();
    // When each line begins, kept as the rows change.
    const ExactTimes& markTimes();
    // The row whose mark is under the column, -1 for none.
    int markAt(int x);
    // The segment whose tick is under the column (not a line's first, which
    // is the line's mark; the segment after the last is its end): its row
    // and segment; row -1 for none.
    struct Tick
    {
        int row = -1;
        int segment = 0;
    };
    Tick tickAt(int x) const;
    // Where the ticks stand: the lower part of the strip.
    int tickTop() const { return height() * 3 / 4; }
    void followHead();

    TimingLines& m_lines;
    Transport& m_transport;
    CdAudioDevice& m_device;
    QTimer* m_repaint;
    qint32 m_viewStart = 0;
    qint32 m_viewSpan = 0;
    int m_pressX = 0;
    int m_dragRow = -1;
    // A tick dragged instead of a mark: its segment (the row is m_dragRow).
    int m_dragSegment = -1;
    qint32 m_dragMs = 0;
    bool m_dragged = false;
    bool m_pressed = false;
    QImage m_picture;
    bool m_pictureStale = true;
    qint32 m_pictureStart = -1;
    qint32 m_pictureSpan = -1;
    ExactTimes m_markTimes;
    bool m_marksStale = true;
    int m_headX = -1;
};

} // namespace verselet
