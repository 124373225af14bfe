#pragma once

// A line's split and its readings as one text, the way the word mode's
// field shows them: "|" between segments, and a segment with a reading
// followed by the reading in 《》, with "|" between the reading's own
// segments:
//
//     大切《た|い|せ|つ》|な|思《お|も》|い
//
// The user changes the split by moving the bars, and a reading by editing
// the kana inside its 《》 (an empty 《》 takes the reading off); the text
// itself cannot change there. A line whose text holds 《 or 》 shows no
// readings: its form is the barred split alone.

#include "document/linewords.h"

#include <QStringView>

#include <optional>

namespace verselet {

QString NotatedWords(const LineWords& words);

// What a notated form gives for `text`: its split and readings, when
// removing its bars and readings gives back the text exactly, every segment
// holds at least one whole character (and so does every segment of a
// reading), and each 《 comes right after a segment; nothing otherwise.
struct WordShape
{
    SegmentStarts starts;
    Readings readings;
    friend bool operator==(const WordShape&, const WordShape&) = default;
};
std::optional<WordShape> ShapeFromNotation(QStringView text, QStringView notated);

// Whether a notated form writes `text`: with its bars and readings (for a
// text that holds no 《 or 》) taken out, it is the text.
bool WritesText(QStringView text, QStringView notated);

} // namespace verselet
