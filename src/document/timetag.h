#pragma once

// Play positions and time tags. A position is a signed 32-bit count of
// milliseconds; a tag is "[mm:ss]" counted from the start of the track, at
// one-second resolution.

#include "document/exacttimes.h"

#include <QString>
#include <QStringView>

namespace verselet {

// Truncates to whole seconds, never rounds: 59999 is [00:59]. Minutes take two
// digits below 100 and three or more from there on ([100:00], eight characters).
// A negative position, which only a clock running before the track start can
// give, formats as [00:00]: a tag is never shorter or longer than a real one.
QString FormatTimeTag(qint32 milliseconds);
// A play clock's text: the time as a tag, "[--:--]" for none.
QString ClockText(ExactTime shown);

// Reads the minutes from characters 2-3 and the seconds from characters 5-6 of
// the text, whatever else it holds, so a whole timing-list line serves as well
// as a bare tag. Each pair is read as a number the lenient way: blanks are
// skipped, a sign, digits and one decimal point are taken up to the first other
// character, and nothing reads as 0. "[--:--]" is 0; [100:00] reads as 10
// minutes. The seconds are rounded to whole seconds, halves to the even
// neighbour; the result is a whole number of seconds times 1000.
double TagToMilliseconds(QStringView text);

// "[", two digits, ":", two digits, "]": a tag that holds a time, as Set and
// a loaded file write them.
bool IsTimeTag(QStringView tag);

// An exact time counts only while the line's tag field (its first seven
// characters; a whole timing-list row serves as well) is still its
// truncation: an edit of the tag, or a tag that ended up on another line,
// leaves it behind.
ExactTime CurrentExactTime(QStringView tagField, ExactTime exact);

// When a line begins: its exact time while that counts, else the whole
// seconds of a time tag; none for a line without a time.
ExactTime LineTime(QStringView tagField, ExactTime exact);

} // namespace verselet
