#pragma once

// A line timed word by word: the text it was split for, where each of its
// segments begins, the readings written above some of them, when each is
// sung, and when the last one ends. What is timed are its units: a segment
// without a reading is one, a segment with a reading is timed by the
// segments of its reading (世界《せ|か|い》 is three units; the base's time is
// its first). Times sit beside the line's own time; the first unit's time is
// the line's. A line whose text has changed since its words were made has
// none: words, and their readings, are only ever taken for the text they
// were made for.

#include "document/exacttimes.h"
#include "document/readings.h"
#include "document/segments.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace verselet {

// A unit of a line timed word by word: its segment, and the segment of
// that segment's reading it is (-1 for a segment without a reading).
struct WordUnit
{
    qsizetype segment = -1;
    qsizetype mora = -1;
    friend bool operator==(const WordUnit&, const WordUnit&) = default;
};

struct LineWords
{
    QString text;
    SegmentStarts starts;
    // Unit by unit (the list may end early: the units after it have none).
    ExactTimes times;
    // When the last unit ends, when the user marked it.
    ExactTime end;
    // The readings, in the text's order, each over one whole segment.
    Readings readings;

    // A line's text split by default, with no times.
    static LineWords split(const QString& text);

    // The units timed.
    qsizetype count() const;
    qsizetype segmentCount() const { return starts.size(); }
    WordUnit unitAt(qsizetype unit) const;
    // The first unit of a segment (count() past the last).
    qsizetype firstUnitOf(qsizetype segment) const;
    // The reading over a segment, if it has one.
    const Reading* readingOf(qsizetype segment) const;
    // The text of a segment, and what a unit sings: its segment's text or
    // its part of the reading.
    QStringView segmentText(qsizetype segment) const;
    QStringView unitText(qsizetype unit) const;
    ExactTime timeOf(qsizetype unit) const
    {
        return unit >= 0 && unit < times.size() ? times.at(unit) : std::nullopt;
    }
    bool hasTimes() const;
    // Worth keeping beside the line: it has times, readings, or a split of
    // the user's.
    bool isWorthKeeping() const;

    // The unit stamped: its time set outright. The later units' times and
    // the end go, as they belonged to the take this stamp starts again.
    void stamp(qsizetype unit, qint32 milliseconds);
    // Where move() puts a unit's time (unit count(): the end): towards
    // `milliseconds`, held at the nearest time either side of it (the end
    // after every time), never below 0. A neighbour that is already on the
    // wrong side, as a file may have it, holds nothing back, and the time
    // never moves the other way. None when it has no time.
    ExactTime movedTime(qsizetype unit, qint32 milliseconds) const;
    // The time moved there; false when it has none.
    bool move(qsizetype unit, qint32 milliseconds);
    // Every time from `fromUnit` on (and the end) moved by `delta` ms, not
    // below 0.
    void shift(qint64 delta, qsizetype fromUnit = 0);
    // A new split of the same text, with these readings over its segments
    // (one that is not over a whole segment, or not a reading, is left
    // out). The times go when the units change, as they belonged to other
    // units; a reading's kana changed alone keeps them.
    void reshape(const SegmentStarts& newStarts, const Readings& newReadings = {});
    // Readings over runs of the text (as proposed): each run becomes one
    // segment, split around it as before; the readings it had go.
    void setReadings(const Readings& newReadings);

    friend bool operator==(const LineWords&, const LineWords&) = default;
};

// How far a line timed word by word has been sung at a time: the unit
// being sung and how much of it, from 0 to 1 (it fills up to the next timed
// unit, or to the line's end; a last unit without an end is whole once it
// begins). Unit -1 before the first unit's time.
struct SungPoint
{
    qsizetype unit = -1;
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
