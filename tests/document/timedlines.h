#pragma once

// Lines for the subtitle forms' tests: word times built in a line, and a
// line read described in one string ("time seg|seg《ka|na》 @t,t ~end"), so
// that a table row says what it expects at a glance.

#include "document/karaoketext.h"
#include "document/subtitles.h"

#include <QString>
#include <QStringList>

namespace timedlines {

using namespace verselet;
using namespace Qt::StringLiterals;

inline constexpr ExactTime kNone = std::nullopt;

inline LineWords Words(const QString& text, const SegmentStarts& starts, const ExactTimes& times,
                       ExactTime end, const Readings& readings = {})
{
    LineWords words;
    words.text = text;
    words.starts = starts;
    words.times = times;
    words.end = end;
    words.readings = readings;
    return words;
}

inline KaraokeLine Line(qint32 time, const QString& text, const LineWords& words = {})
{
    return KaraokeLine{time, text, words};
}

inline SubtitleSource Song(const QList<KaraokeLine>& lines, std::optional<qint32> trackEnd = {},
                           const QString& startText = {})
{
    SubtitleSource source;
    source.song.title = u"夜明けの歌"_s;
    source.song.startText = startText;
    source.song.lines = lines;
    source.trackEndMs = trackEnd;
    return source;
}

// A line read, as "time text", or "time seg|seg《ka|na》 @t,t,… ~end" when
// it has word times.
inline QString Describe(const TimedLine& line)
{
    QString out = line.time ? QString::number(*line.time) : u"-"_s;
    if (line.words.starts.isEmpty())
        return out + u' ' + line.text;
    const LineWords& words = line.words;
    out += u' ';
    for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
        if (segment > 0)
            out += u'|';
        out += words.segmentText(segment);
        if (const Reading* reading = words.readingOf(segment)) {
            QStringList parts;
            for (qsizetype i = 0; i < reading->starts.size(); ++i) {
                const qsizetype end = i + 1 < reading->starts.size() ? reading->starts.at(i + 1)
                                                                     : reading->kana.size();
                parts.append(
                    reading->kana.sliced(reading->starts.at(i), end - reading->starts.at(i)));
            }
            out += u"《"_s + parts.join(u'|') + u"》"_s;
        }
    }
    QStringList times;
    for (const ExactTime& time : words.times)
        times.append(time ? QString::number(*time) : u"-"_s);
    out += u" @"_s + times.join(u',');
    if (words.end)
        out += u" ~"_s + QString::number(*words.end);
    return out;
}

// Each line of a file read, as Describe gives it.
inline QStringList Described(const QList<TimedLine>& lines)
{
    QStringList out;
    for (const TimedLine& line : lines)
        out.append(Describe(line));
    return out;
}

inline QString DescribeDropped(const DroppedParts& dropped)
{
    QStringList out;
    if (dropped.styles)
        out.append(u"styles"_s);
    if (dropped.positions)
        out.append(u"positions"_s);
    if (dropped.markup)
        out.append(u"markup"_s);
    if (dropped.other)
        out.append(u"other"_s);
    return out.join(u' ');
}

} // namespace timedlines
