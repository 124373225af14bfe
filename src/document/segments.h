#pragma once

// A lyric line split into the segments the user times one by one, word by
// word. A split is the list of positions (UTF-16 offsets into the line's text)
// where its segments begin; the first is 0, and a line without text has none.
//
// By default:
//   - Latin-script text (and any other text written with blanks between words)
//     splits into words; a blank stays with the word before it. Quotes,
//     apostrophes, "#" and dots that stand before a word open it
//     ("said |\"hi\"", "rock |'n' |roll", "|...and"); after a word they
//     stay with it ("don't", "C#", "wait..."). ¿ and ¡ always open a word.
//   - Japanese text (kanji, hiragana, katakana) gives one segment per
//     character, except that small kana, the prolonging marks (ー, 〜, ～ and
//     the like), the voiced sound marks and punctuation join the character
//     before them ("きょうは" -> きょ|う|は, "ありがとう～" ->
//     あ|り|が|と|う～); opening brackets and quotes join the character after
//     them instead ("「はい」" -> 「は|い」).
//   - A character and the marks that combine with it are never parted.
// The user changes a split by moving the bars of its barred form
// ("きょ|う|は"); the text itself cannot change there.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace verselet {

using SegmentStarts = QList<qsizetype>;

SegmentStarts DefaultSegments(QStringView text);

// The text with "|" before every segment but the first.
QString BarredSegments(QStringView text, const SegmentStarts& starts);

// The split a barred form gives, when removing its bars gives back `text`
// exactly and every segment holds at least one whole character; nothing
// otherwise (a changed text, a bar at either end, two bars together, a bar
// inside a character). A line whose text holds "|" itself cannot be split by
// bars.
std::optional<SegmentStarts> SegmentsFromBars(QStringView text, QStringView barred);

} // namespace verselet
