#pragma once

// Standard LRC, the format lyrics players read: "[mm:ss.xx]text" lines after
// a few metadata tags. Unlike everything else the program writes, an LRC file
// is UTF-8 (without a byte order mark) with LF line ends.

#include "document/textfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace verselet {

// A segment of a line timed word by word ("enhanced" LRC, <mm:ss.xx> marks):
// where it begins in the line's text, and when it is sung.
struct LrcWord
{
    qsizetype start = 0;
    qint32 milliseconds = 0;
    friend bool operator==(const LrcWord&, const LrcWord&) = default;
};

struct LrcLine
{
    qint32 milliseconds = 0;
    QString text;
    // In text order; none for a line timed as a whole.
    QList<LrcWord> words;
    // When the last word ends (a mark after the last character).
    std::optional<qint32> endMilliseconds;
    friend bool operator==(const LrcLine&, const LrcLine&) = default;
};

// How far a time is written: "[mm:ss.xx]" or "[mm:ss.xxx]".
enum class LrcPrecision
{
    Hundredths,
    Milliseconds
};

// What an LRC file (or a karaoke text) held and how it wrote it, beyond its
// lines and its title, artist and album: kept beside a document opened from
// it, so that a file of its form written over it gives it back.
struct LrcOrigin
{
    // Its other metadata lines ([au:], [by:], [length:], [ve:], …) as they
    // stood, in its order: not [re:], which names the program that writes
    // the file, nor an [offset:] that the times already hold.
    QStringList metadata;
    // Three decimals in its times: they are written to the millisecond.
    LrcPrecision precision = LrcPrecision::Hundredths;
    // Blanks between its line tags and word marks and around the marks
    // ("[00:01.00] <00:01.00> la <00:01.50> la"): written so again where a
    // line can be.
    bool spacedWordMarks = false;
    // An [offset:] it had is in the times: it is not written again.
    bool offsetApplied = false;
    // A karaoke text's "@" lines other than its title, artist, album and
    // readings, as they stood, in its order: written again after its own.
    QStringList karaokeLines;
    friend bool operator==(const LrcOrigin&, const LrcOrigin&) = default;
};

struct LrcDocument
{
    // [ti:], [ar:], [al:]; an empty one is not written.
    QString title;
    QString artist;
    QString album;
    // The line at [00:00.00].
    QString startText;
    QList<LrcLine> lines;
    LrcOrigin origin;
    friend bool operator==(const LrcDocument&, const LrcDocument&) = default;
};

// "[mm:ss.xx]": hundredths truncated, as whole seconds are in a [mm:ss] tag,
// so both show the same second ("[mm:ss.xxx]" to the millisecond). Minutes
// take two digits below 100 and as many as they need from there on. A
// negative time is 0.
QString FormatLrcTime(qint32 milliseconds, LrcPrecision precision = LrcPrecision::Hundredths);

// Plain LRC leaves word times out; enhanced LRC writes a line that has them
// as "[mm:ss.xx]<mm:ss.xx>word <mm:ss.xx>word", with "<mm:ss.xx>" after the
// last word when the line has an end, and any other line with a text, the
// start line too, with one mark at its own time ("[mm:ss.xx]<mm:ss.xx>text").
enum class LrcFlavour
{
    Plain,
    Enhanced
};

// The title, artist and album, the origin's other metadata lines,
// "[re:Verselet]", the start line (none for an empty start text) and the
// lines in the order given, each ended by LF; times as precise as the
// origin's and word marks set apart as its were.
QString ComposeLrc(const LrcDocument& document, LrcFlavour flavour = LrcFlavour::Plain);
QByteArray EncodeLrc(const LrcDocument& document, LrcFlavour flavour = LrcFlavour::Plain);

// Whether any line of it is timed word by word.
bool HasWordTimes(const LrcDocument& lrc);

// The largest document an LRC file may give: no more lines, and no more
// characters of text in all of them, than the largest text file the program
// opens could hold.
inline constexpr qsizetype kMaxLrcLines = 100000;
inline constexpr qint64 kMaxLrcCharacters = kMaxUserTextBytes;
// An [offset:] is taken up to a day either way.
inline constexpr qint64 kMaxLrcOffsetMs = 24 * 60 * 60 * 1000;

// Reads an LRC text (lines ended by CR LF). A line begins with one or more
// time tags, [m:ss], [mm:ss.x] to [mm:ss.xxx] (more digits are cut to the
// millisecond; a comma may stand for the point) or [mm:ss:xx], with minutes
// of any length, and gives one line per tag. Blanks and byte order marks
// before the first tag, and blanks between tags, are no part of the text.
// Word marks <mm:ss.xx> are taken out of the text and kept as the line's
// words, each beginning where its mark stood; a mark after the last character
// is the line's end, and text before the first mark is a word at the line's
// own time. Blanks that set the marks apart ("[t] <t> word <t> word") are no
// text. One mark at the line's own time and no end is a line timed as a
// whole. A line with many tags was marked for its first: every repeat's words
// move with its own tag. [offset:+n] makes every time n ms earlier (not
// below 0). [ti:], [ar:] and [al:] give the title, artist and album; the other
// metadata lines, but [re:] and an [offset:] applied, are kept in the origin
// as they stand; lines without a time tag are left out. The lines are sorted
// by time, lines of the same time keeping their order, and a first line at 0
// with a text becomes the start text, unless it is timed word by word. None
// when no line has a time tag, or when the lines would be more than
// kMaxLrcLines or their texts more than kMaxLrcCharacters characters.
std::optional<LrcDocument> ParseLrc(const QString& content);

} // namespace verselet
