#include "document/wordnotation.h"

namespace verselet {

namespace {

constexpr QChar kOpen = u'《';
constexpr QChar kClose = u'》';

bool HoldsBrackets(QStringView text)
{
    return text.contains(kOpen) || text.contains(kClose);
}

// The text a form writes, bars and readings taken out.
QString PlainText(QStringView notated)
{
    QString text;
    text.reserve(notated.size());
    bool inReading = false;
    for (const QChar c : notated) {
        if (c == kOpen)
            inReading = true;
        else if (c == kClose)
            inReading = false;
        else if (!inReading && c != u'|')
            text += c;
    }
    return text;
}

} // namespace

bool WritesText(QStringView text, QStringView notated)
{
    return (HoldsBrackets(text) ? notated.toString().remove(u'|') : PlainText(notated)) == text;
}

QString NotatedWords(const LineWords& words)
{
    if (HoldsBrackets(words.text))
        return BarredSegments(words.text, words.starts);
    QString notated;
    for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
        if (segment > 0)
            notated += u'|';
        notated += words.segmentText(segment);
        if (const Reading* reading = words.readingOf(segment))
            notated += kOpen + BarredSegments(reading->kana, reading->starts) + kClose;
    }
    return notated;
}

std::optional<WordShape> ShapeFromNotation(QStringView text, QStringView notated)
{
    if (HoldsBrackets(text)) {
        const auto starts = SegmentsFromBars(text, notated);
        return starts ? std::optional(WordShape{*starts, {}}) : std::nullopt;
    }
    // The bars and the text outside 《》, and each reading with the place
    // of the segment it follows.
    QString barred;
    struct Pending
    {
        qsizetype barredAt;
        QString kana;
    };
    QList<Pending> pending;
    for (qsizetype at = 0; at < notated.size();) {
        if (notated.at(at) == kClose)
            return std::nullopt;
        if (notated.at(at) != kOpen) {
            barred += notated.at(at++);
            continue;
        }
        const qsizetype close = notated.indexOf(kClose, at + 1);
        if (close < 0 || barred.isEmpty() || barred.endsWith(u'|'))
            return std::nullopt;
        const QStringView kana = notated.sliced(at + 1, close - at - 1);
        if (kana.contains(kOpen))
            return std::nullopt;
        pending.append({barred.size(), kana.toString()});
        at = close + 1;
        // A reading closes its segment: a bar or the end must follow.
        if (at < notated.size() && notated.at(at) != u'|')
            return std::nullopt;
    }
    const auto starts = SegmentsFromBars(text, barred);
    if (!starts)
        return std::nullopt;
    WordShape shape{*starts, {}};
    for (const Pending& reading : pending) {
        const QString plain = QString(reading.kana).remove(u'|');
        if (plain.isEmpty()) {
            if (!reading.kana.isEmpty())
                return std::nullopt;
            continue;
        }
        const auto kanaStarts = SegmentsFromBars(plain, reading.kana);
        if (!kanaStarts)
            return std::nullopt;
        // The segment the reading follows ends where the barred text stood;
        // the bars before it are not in the text.
        const qsizetype end = PlainText(QStringView(barred).first(reading.barredAt)).size();
        const qsizetype segment =
            std::upper_bound(starts->cbegin(), starts->cend(), end - 1) - starts->cbegin() - 1;
        const qsizetype start = starts->at(segment);
        shape.readings.append({start, end - start, plain, *kanaStarts});
    }
    return shape;
}

} // namespace verselet
