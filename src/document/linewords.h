#pragma once

// A line timed word by word: the text it was split for, where each of its
// segments begins, when each is sung, and when the last one ends. Times sit
// beside the line's own time; the first segment's time is the line's. A line
// whose text has changed since its words were made has none: words are only
// ever taken for the text they were made for.

#include "document/exacttimes.h"
#include "document/segments.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace verselet {

struct LineWords
{
    QString text;
    SegmentStarts starts;
    // Segment by segment (the list may end early: the segments after it
    // have none).
    ExactTimes times;
    // When the last segment ends, when the user marked it.
    ExactTime end;

    // A line's text split by default, with no times.
    static LineWords split(const QString& text);

    qsizetype count() const { return starts.size(); }
    ExactTime timeOf(qsizetype segment) const
    {
        return segment >= 0 && segment < times.size() ? times.at(segment) : std::nullopt;
    }
    QStringView segmentText(qsizetype segment) const;
    bool hasTimes() const;
    // Worth keeping beside the line: it has times, or a split of the user's.
    bool isWorthKeeping() const;

    // The segment stamped: its time set outright. The later segments' times
    // and the end go, as they belonged to the take this stamp starts again.
    void stamp(qsizetype segment, qint32 milliseconds);
    // Where move() puts a segment's time (segment count(): the end): towards
    // `milliseconds`, held at the nearest time either side of it (the end
    // after every time), never below 0. A neighbour that is already on the
    // wrong side, as a file may have it, holds nothing back, and the time
    // never moves the other way. None when it has no time.
    ExactTime movedTime(qsizetype segment, qint32 milliseconds) const;
    // The time moved there; false when it has none.
    bool move(qsizetype segment, qint32 milliseconds);
    // Every time from `fromSegment` on (and the end) moved by `delta` ms, not
    // below 0.
    void shift(qint64 delta, qsizetype fromSegment = 0);
    // A new split of the same text: the times go, as they belonged to
    // other segments.
    void resplit(const SegmentStarts& newStarts);

    friend bool operator==(const LineWords&, const LineWords&) = default;
};

// How far a line timed word by word has been sung at a time: the segment
// being sung and how much of it, from 0 to 1 (it fills up to the next timed
// segment, or to the line's end; a last segment without an end is whole
// once it begins). Segment -1 before the first segment's time.
struct SungPoint
{
    qsizetype segment = -1;
    double fraction = 0;
    friend bool operator==(const SungPoint&, const SungPoint&) = default;
};
SungPoint SungAt(const LineWords& words, qint32 milliseconds);

// One per tag-file line, beside the exact times (the list may end early).
using WordTimes = QList<LineWords>;

// The words kept for a line, when they were made for its text as it is now;
// otherwise its text split by default, with no times.
LineWords WordsForText(const LineWords& kept, const QString& text);

} // namespace verselet
