#include "testdisplay/karaokelabel.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace verselet {

namespace {

// The colour of what has been sung.
const QColor kSung(255, 120, 180);
// The readings' size beside the line's.
constexpr double kRubyScale = 0.55;

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
    // A line with readings shows them above it, timed or not.
    m_words = (words.hasTimes() || !words.readings.isEmpty()) && words.text == text() ? words
                                                                                      : LineWords();
    if (m_words.hasTimes())
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
    const QFontMetricsF metrics(font());
    QFont rubyFont = font();
    rubyFont.setPointSizeF(font().pointSizeF() * kRubyScale);
    const QFontMetricsF rubyMetrics(rubyFont);
    const QString& line = m_words.text;
    const QRectF area = contentsRect();
    // The readings stand above the line, and the two are centred together.
    const double rubyHeight = m_words.readings.isEmpty() ? 0 : rubyMetrics.height();
    const double left = area.left() + (area.width() - metrics.horizontalAdvance(line)) / 2;
    const double baseline =
        area.top() + (area.height() + rubyHeight + metrics.ascent() - metrics.descent()) / 2;
    const double rubyBaseline = baseline - metrics.ascent() - rubyMetrics.descent();

    // Where each segment stands on the line, and its reading above it.
    struct Place
    {
        double from;
        double width;
        double rubyFrom = 0;
    };
    QList<Place> places;
    for (qsizetype segment = 0; segment < m_words.segmentCount(); ++segment) {
        Place place{left + metrics.horizontalAdvance(line.left(m_words.starts.at(segment))),
                    metrics.horizontalAdvance(m_words.segmentText(segment).toString())};
        if (const Reading* reading = m_words.readingOf(segment))
            place.rubyFrom =
                place.from + (place.width - rubyMetrics.horizontalAdvance(reading->kana)) / 2;
        places.append(place);
    }
    const auto draw = [&](const QColor& colour) {
        p.setPen(colour);
        p.setFont(font());
        p.drawText(QPointF(left, baseline), line);
        p.setFont(rubyFont);
        for (qsizetype segment = 0; segment < places.size(); ++segment) {
            if (const Reading* reading = m_words.readingOf(segment))
                p.drawText(QPointF(places.at(segment).rubyFrom, rubyBaseline), reading->kana);
        }
    };
    draw(palette().color(QPalette::WindowText));

    const SungPoint at = sung();
    if (at.unit < 0)
        return;
    // The line is sung up to the unit being sung; a base fills across its
    // reading's segments, the reading one segment at a time.
    const WordUnit unit = m_words.unitAt(at.unit);
    const Place& place = places.at(unit.segment);
    QPainterPath sungPart;
    const Reading* reading = m_words.readingOf(unit.segment);
    double baseShare = at.fraction;
    if (reading) {
        const qsizetype moras = reading->starts.size();
        baseShare = (double(unit.mora) + at.fraction) / double(moras);
        const QString before = reading->kana.left(reading->starts.at(unit.mora));
        const double rubyTo =
            place.rubyFrom + rubyMetrics.horizontalAdvance(before) +
            at.fraction * rubyMetrics.horizontalAdvance(m_words.unitText(at.unit).toString());
        sungPart.addRect(QRectF(area.left(), area.top(), rubyTo - area.left(),
                                rubyBaseline + rubyMetrics.descent() - area.top()));
    } else if (rubyHeight > 0) {
        sungPart.addRect(QRectF(area.left(), area.top(), place.from - area.left(),
                                rubyBaseline + rubyMetrics.descent() - area.top()));
    }
    const double sungTo = place.from + baseShare * place.width;
    const double lineTop = rubyBaseline + rubyMetrics.descent();
    sungPart.addRect(QRectF(area.left(), lineTop, sungTo - area.left(), area.bottom() - lineTop));
    p.setClipPath(sungPart);
    draw(kSung);
}

} // namespace verselet
