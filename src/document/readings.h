#pragma once

// Readings of the kanji in a lyric line: each run of kanji (with 々, 〆 and
// the counter ヶ) gets its reading in hiragana, timed by the segments of the
// reading (by default one mora each: small kana, ー and っ join the kana
// before them, as the word-mode split joins them). Offsets are UTF-16
// positions into the line's text.

#include "document/segments.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace verselet {

struct Reading
{
    // The base: the run of kanji the reading is written above.
    qsizetype start = 0;
    qsizetype length = 0;
    // The reading, in hiragana, and where its segments begin in it.
    QString kana;
    SegmentStarts starts;
    friend bool operator==(const Reading&, const Reading&) = default;
};
using Readings = QList<Reading>;

// A word's reading is a few kana; one longer than this is no word's, and is
// not tried.
inline constexpr qsizetype kLongestReading = 64;

// A character written with a reading above it: a kanji, or 々, 〆, ヶ, ヵ.
bool TakesReading(char32_t c);

// Katakana as hiragana (ァ to ヶ, and ヽ ヾ); everything else as it is.
QString ToHiragana(QStringView text);

// One word as it is written and as it is read (in katakana or hiragana, as
// a dictionary gives it): the readings of its kanji runs, with the kana the
// word writes taken off the reading (抱いて, ダイテ: 抱《だ》; 思い出,
// オモイデ: 思《お|も》 and 出《で》), each split by default. Offsets are into
// `written`. None when the reading does not fit what is written (a digit or
// a Latin letter read aloud, a reading of another word, one of more than 64
// kana); an empty list for a word without kanji.
std::optional<Readings> AlignReading(QStringView written, QStringView reading);

} // namespace verselet
