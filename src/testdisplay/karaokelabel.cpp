#include "testdisplay/karaokelabel.h"

#include <QPainter>
#include <QTimer>

namespace verselet {

namespace {

// The colour of what has been sung.
const QColor kSung(255, 120, 180);

} // namespace

KaraokeLabel::KaraokeLabel(std::function<qint32()> position, QWidget* parent)
    : QLabel(parent), m_position(std::move(position)), m_repaint(new QTimer(this))
{
    // Smooth enough for the eye, and cheap: only while a timed line shows.
    m_repaint->setInterval(30);
    connect(m_repaint, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void KaraokeLabel::setWords(const LineWords& words)
{
    m_words = words.hasTimes() && words.text == text() ? words : LineWords();
    if (m_words.count() > 0)
        m_repaint->start();
    else
        m_repaint->stop();
    update();
}

SungPoint KaraokeLabel::sung() const
{
    return m_words.count() > 0 ? SungAt(m_words, m_position()) : SungPoint();
}

void KaraokeLabel::paintEvent(QPaintEvent* event)
{
    if (m_words.count() == 0 || m_words.text != text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setFont(font());
    const QFontMetricsF metrics(font());
    const QString& line = m_words.text;
    const QRectF area = contentsRect();
    const double left = area.left() + (area.width() - metrics.horizontalAdvance(line)) / 2;
    const double baseline = area.top() + (area.height() + metrics.ascent() - metrics.descent()) / 2;
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QPointF(left, baseline), line);

    const SungPoint at = sung();
    if (at.segment < 0)
        return;
    const qsizetype from = m_words.starts.at(at.segment);
    const double sungTo =
        left + metrics.horizontalAdvance(line.left(from)) +
        at.fraction * metrics.horizontalAdvance(m_words.segmentText(at.segment).toString());
    p.setClipRect(QRectF(area.left(), area.top(), sungTo - area.left(), area.height()));
    p.setPen(kSung);
    p.drawText(QPointF(left, baseline), line);
}

} // namespace verselet
