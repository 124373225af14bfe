#include "timing/waveformstrip.h"

#include "audio/cdaudiodevice.h"
#include "audio/disc.h"
#include "audio/envelope.h"
#include "session/timingrun.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The narrowest view, in ms, and how much one wheel step zooms.
constexpr qint32 kNarrowestSpan = 1000;
constexpr double kZoomStep = 1.25;
// More notches at once than take the whole track down to the narrowest view.
constexpr double kMostZoomSteps = 60;
// A mark is taken up within this many pixels.
constexpr int kMarkReach = 4;
// A press that moves this far is a drag.
constexpr int kDragDistance = 3;

} // namespace

WaveformStrip::WaveformStrip(TimingRun& run, QWidget* parent)
    : QWidget(parent), m_lines(run.lines()), m_transport(run.transport()), m_device(run.device()),
      m_repaint(new QTimer(this))
{
    setObjectName(u"Waveform"_s);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // 25 pictures a second while the track plays, none while it does not.
    m_repaint->setInterval(40);
    connect(m_repaint, &QTimer::timeout, this, [this] {
        if (!m_device.isPlaying() && !m_pressed)
            m_repaint->stop();
        followHead();
        // A whole track in view moves the head by a pixel every few tenths
        // of a second: only a head that has moved is drawn again.
        if (xAt(m_transport.headPosition()) != m_headX || m_viewStart != m_pictureStart)
            update();
    });
    const auto refresh = [this] {
        if (m_device.isPlaying() && !m_repaint->isActive())
            m_repaint->start();
        update();
    };
    connect(&m_lines, &TimingLines::rowChanged, this, [this, refresh](int row) {
        if (!m_marksStale && row >= 0 && row < m_markTimes.size())
            m_markTimes[row] = m_lines.sheet().row(row).when();
        refresh();
    });
    connect(&m_lines, &TimingLines::rowsReset, this, [this, refresh] {
        m_marksStale = true;
        refresh();
    });
    connect(&m_lines, &TimingLines::selectionChanged, this, refresh);
    connect(&m_transport, &Transport::stateChanged, this, refresh);
    connect(&m_transport, &Transport::playTimeChanged, this, refresh);
    connect(&m_transport, &Transport::trackChosen, this, [this] { showWholeTrack(); });
    connect(&m_transport, &Transport::tracksChanged, this, [this] { showWholeTrack(); });
    if (EnvelopeCache* envelopes = m_device.envelopes())
        connect(envelopes, &EnvelopeCache::changed, this, [this] {
            m_pictureStale = true;
            update();
        });
}

const ExactTimes& WaveformStrip::markTimes()
{
    if (m_marksStale || m_markTimes.size() != m_lines.sheet().rowCount()) {
        m_markTimes.clear();
        m_markTimes.reserve(m_lines.sheet().rowCount());
        for (int row = 0; row < m_lines.sheet().rowCount(); ++row)
            m_markTimes.append(m_lines.sheet().row(row).when());
        m_marksStale = false;
    }
    return m_markTimes;
}

void WaveformStrip::drawEnvelope()
{
    if (!m_pictureStale && m_picture.size() == size() && m_pictureStart == m_viewStart &&
        m_pictureSpan == m_viewSpan)
        return;
    m_picture = QImage(size(), QImage::Format_RGB32);
    m_picture.fill(QColor(16, 16, 16));
    m_pictureStale = false;
    m_pictureStart = m_viewStart;
    m_pictureSpan = m_viewSpan;
    QPainter p(&m_picture);
    const int mid = height() / 2;
    if (EnvelopeCache* envelopes = m_device.envelopes()) {
        const Envelope& envelope = envelopes->envelope();
        const qint64 trackStart = MsToFrames(m_transport.tracks().playing().start);
        p.setPen(QColor(90, 170, 90));
        const double scale = double(mid - 2) / 32768.0;
        for (int x = 0; x < width(); ++x) {
            const qint64 from = trackStart + MsToFrames(timeAt(x));
            const qint64 to = trackStart + MsToFrames(timeAt(x + 1));
            qint16 lo = 0;
            qint16 hi = 0;
            if (!envelope.extremes(from / kEnvelopeBlockFrames,
                                   std::max(from, to - 1) / kEnvelopeBlockFrames, lo, hi))
                continue;
            p.drawLine(x, mid - int(hi * scale), x, mid - int(lo * scale));
        }
    }
    p.setPen(QColor(60, 60, 60));
    p.drawLine(0, mid, width(), mid);
}

qint32 WaveformStrip::trackLength() const
{
    return std::max(m_transport.tracks().playing().length, 0);
}

void WaveformStrip::showWholeTrack()
{
    m_viewStart = 0;
    m_viewSpan = std::max(trackLength(), 1);
    m_pictureStale = true;
    if (EnvelopeCache* envelopes = m_device.envelopes())
        envelopes->request(m_transport.tracks().playingNumber());
    update();
}

qint32 WaveformStrip::timeAt(int x) const
{
    const int w = std::max(width(), 1);
    return m_viewStart + qint32(qint64(std::clamp(x, 0, w)) * m_viewSpan / w);
}

int WaveformStrip::xAt(qint32 trackMs) const
{
    return int(qint64(trackMs - m_viewStart) * width() / std::max(m_viewSpan, 1));
}

int WaveformStrip::markAt(int x)
{
    int best = -1;
    int bestDistance = kMarkReach + 1;
    const ExactTimes& marks = markTimes();
    for (int row = 0; row < marks.size(); ++row) {
        const ExactTime time = marks.at(row);
        if (!time)
            continue;
        const int distance = std::abs(xAt(*time) - x);
        if (distance < bestDistance) {
            best = row;
            bestDistance = distance;
        }
    }
    return best;
}

WaveformStrip::Tick WaveformStrip::tickAt(int x) const
{
    Tick best;
    int bestDistance = kMarkReach + 1;
    for (int row = 0; row < m_lines.sheet().rowCount(); ++row) {
        const LineWords words = m_lines.sheet().row(row).keptWords();
        for (int segment = 1; segment <= words.count(); ++segment) {
            const ExactTime time = segment < words.count() ? words.timeOf(segment) : words.end;
            if (!time)
                continue;
            const int distance = std::abs(xAt(*time) - x);
            if (distance < bestDistance) {
                best = {row, segment};
                bestDistance = distance;
            }
        }
    }
    return best;
}

void WaveformStrip::followHead()
{
    const qint32 length = trackLength();
    if (m_viewSpan >= length || m_pressed)
        return;
    const qint32 head = m_transport.headPosition();
    if (head >= m_viewStart && head < m_viewStart + m_viewSpan)
        return;
    // The next page, with a little of the last one still in view.
    m_viewStart = std::clamp(head - m_viewSpan / 10, 0, std::max(length - m_viewSpan, 0));
}

void WaveformStrip::paintEvent(QPaintEvent*)
{
    drawEnvelope();
    QPainter p(this);
    const QRect area = rect();
    p.drawImage(0, 0, m_picture);

    // A mark for each line with a time, its line number beside it.
    QFont small = font();
    small.setPointSizeF(7);
    p.setFont(small);
    const int selected = m_lines.sheet().selected();
    const QFontMetrics metrics(small);
    const int baseline = metrics.ascent() + 1;
    // A number is written only where the last one has left room.
    int freeFrom = std::numeric_limits<int>::min();
    const ExactTimes& marks = markTimes();
    for (int row = 0; row < marks.size(); ++row) {
        ExactTime time = marks.at(row);
        if (row == m_dragRow && m_dragSegment < 0 && m_dragged)
            time = m_dragMs;
        if (!time)
            continue;
        const int x = xAt(*time);
        if (x < -20 || x > area.width())
            continue;
        p.setPen(row == selected ? QColor(255, 220, 80) : QColor(80, 160, 255));
        p.drawLine(x, 0, x, area.height());
        if (x + 2 < freeFrom && row != selected)
            continue;
        const QString number = QString::number(row + 1);
        p.drawText(x + 2, baseline, number);
        freeFrom = x + 2 + metrics.horizontalAdvance(number) + 2;
    }

    // The segments' ticks, under the marks of their lines.
    const int tickTop = this->tickTop();
    for (int row = 0; row < m_lines.sheet().rowCount(); ++row) {
        const LineWords words = m_lines.sheet().row(row).keptWords();
        if (!words.hasTimes())
            continue;
        p.setPen(row == selected ? QColor(255, 220, 80) : QColor(120, 200, 255));
        for (int segment = 1; segment <= words.count(); ++segment) {
            ExactTime time = segment < words.count() ? words.timeOf(segment) : words.end;
            // Where the drop will hold it, not where the pointer is.
            if (row == m_dragRow && segment == m_dragSegment && m_dragged)
                time = words.movedTime(segment, m_dragMs);
            if (!time)
                continue;
            const int x = xAt(*time);
            if (x >= 0 && x <= area.width())
                p.drawLine(x, tickTop, x, area.height());
        }
    }

    // The play head.
    const int head = xAt(m_transport.headPosition());
    m_headX = head;
    p.setPen(QColor(230, 60, 60));
    p.drawLine(head, 0, head, area.height());

    // The user's lag, when it is taken off the stamps.
    if (const qint32 offset = m_transport.lag(); offset != 0) {
        const QString text = tr("補正 %1%2 ms").arg(offset > 0 ? u"+"_s : QString()).arg(offset);
        p.setPen(QColor(200, 200, 200));
        p.drawText(area.adjusted(0, 2, -4, 0), Qt::AlignRight | Qt::AlignTop, text);
    }
}

void WaveformStrip::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    // A notch of a wheel is 120; a touchpad or a fine wheel sends parts of
    // one, which zoom as far as their share. However large a delta, it does
    // not zoom past either end.
    const double steps = std::clamp(delta / 120.0, -kMostZoomSteps, kMostZoomSteps);
    const qint32 length = std::max(trackLength(), 1);
    const int x = int(event->position().x());
    const qint32 at = timeAt(x);
    const double span = m_viewSpan / std::pow(kZoomStep, steps);
    // Rounded, so that many small steps do not drift one way.
    m_viewSpan = qint32(
        std::lround(std::clamp(span, double(std::min(kNarrowestSpan, length)), double(length))));
    // The time under the pointer stays under it.
    const qint32 start = at - qint32(qint64(x) * m_viewSpan / std::max(width(), 1));
    m_viewStart = std::clamp(start, 0, std::max(length - m_viewSpan, 0));
    event->accept();
    update();
}

void WaveformStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragged = false;
    m_pressX = int(event->position().x());
    m_dragRow = markAt(int(event->position().x()));
    m_dragSegment = -1;
    // Low in the strip a tick is taken before the mark of its line.
    if (event->position().y() >= tickTop()) {
        if (const Tick tick = tickAt(int(event->position().x())); tick.row >= 0) {
            m_dragRow = tick.row;
            m_dragSegment = tick.segment;
        }
    }
    m_dragMs = timeAt(int(event->position().x()));
}

void WaveformStrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || m_dragRow < 0)
        return;
    const int x = int(event->position().x());
    if (!m_dragged) {
        if (std::abs(x - m_pressX) < kDragDistance)
            return;
        m_dragged = true;
    }
    m_dragMs = timeAt(x);
    update();
}

void WaveformStrip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    const int row = m_dragRow;
    m_dragRow = -1;
    if (m_dragged) {
        m_dragged = false;
        const qint32 at = timeAt(int(event->position().x()));
        const bool moved = m_lines.drag(row, m_dragSegment, at);
        m_dragSegment = -1;
        if (moved)
            Q_EMIT markMoved(row);
        update();
        return;
    }
    m_transport.seek(timeAt(int(event->position().x())));
    if (m_device.isPlaying() && !m_repaint->isActive())
        m_repaint->start();
    update();
}

} // namespace verselet
