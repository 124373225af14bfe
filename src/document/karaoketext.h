#pragma once

// Karaoke text, the plain text Japanese karaoke makers exchange (the form of
// Nicokara Maker and RhythmicaLyrics): each lyric line with a "[mm:ss:cc]"
// tag before every unit sung and one after the last, then "@" lines that say
// the title, the artist, the album and the readings written above words:
//
//     [00:12:34]世界[00:13:10]は[00:13:60]
//     @Title=歌
//     @Ruby1=世界,せ[00:12:50]か[00:12:80]い
//
// A reading timed in several segments carries the times of the later ones
// inside it. One base read two ways in a song has a @Ruby line for each,
// with the times it applies between ("@Ruby1=今日,きょう,,[00:30:00]",
// "@Ruby2=今日,こんにち,[00:30:00],"). Written UTF-8 without a byte order
// mark, with CR LF line ends.

#include "document/exacttimes.h"
#include "document/linewords.h"
#include "document/readings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace verselet {

struct KaraokeLine
{
    // When it begins; none for a line of text without a tag.
    ExactTime time;
    QString text;
    // Its units with their times and readings, made for its text; empty for
    // a line timed as a whole.
    LineWords words;
    friend bool operator==(const KaraokeLine&, const KaraokeLine&) = default;
};

struct KaraokeDocument
{
    // @Title, @Artist, @Album; an empty one is not written.
    QString title;
    QString artist;
    QString album;
    // The line at [00:00:00].
    QString startText;
    QList<KaraokeLine> lines;
    // The file's other "@" lines, as they stood, in its order.
    QStringList otherLines;
    friend bool operator==(const KaraokeDocument&, const KaraokeDocument&) = default;
};

// "[mm:ss:cc]": hundredths truncated, minutes as the LRC time has them. A
// negative time is 0.
QString FormatKaraokeTime(qint32 milliseconds);

// The start line (none for an empty start text) and the lines with a time,
// in the order given, then, after an empty line, @Title, @Artist and @Album,
// the other "@" lines and the @Ruby lines, each line ended by CR LF.
//
// A line timed as a whole is "[mm:ss:cc]text". A line timed word by word has
// a tag before each segment at the time of its first unit (the line's own
// time for the first), and a segment with a reading is one unit there, at
// the first time of its reading; a segment without a time is written with
// the one before it, and a line's end is a tag after its last character
// (none for a line without an end). A reading is written as a @Ruby line
// with the later times of its segments inside it; a reading's segment
// without a time is joined to the one before. Where the same base is found
// again (the reader looks at every tagged place of every line), the same
// reading gives one @Ruby line for the whole song; otherwise the song is cut
// where what stands above the base changes, and each part with a reading
// gets a line with its times: from its first place (open for the first) to
// the next part's first place (open for the last); two places of a base at
// one time (to the hundredth) cannot be told apart. A reading that could not
// be found again, over a segment without a tag, or a base or reading that
// holds a comma, or a base of more than kLongestReading characters, is not
// written.
QString ComposeKaraokeText(const KaraokeDocument& document);
QByteArray EncodeKaraokeText(const KaraokeDocument& document);

// Reads a karaoke text (lines ended by CR LF; blanks and byte order marks at
// the start of a line are no part of it). A tag is "[m:ss:cc]" with minutes
// of one to nine digits, seconds below 60 and two digits of hundredths;
// anything else in brackets is text. Each tag begins a unit, text before a
// line's first tag is sung at its time, two tags at one place give the later
// one, and a tag after a line's last character is its end; a line with one
// tag and no end is timed as a whole. A line without a tag is a line without
// a time, with its text; empty lines are no lines.
//
// "@Title=", "@Artist=" and "@Album=" (in any case) give the title, the
// artist and the album; "@RubyN=base,reading,from,to" (the last three may
// be left out or empty; from and to are tags) gives a reading. A place of a
// timed line where a unit begins and the longest base of any @Ruby line
// stands takes the first reading of that base whose times hold the unit's
// time (from on, up to but not including to): the base becomes one segment
// (the units it spans merge into one at the first one's time; a unit it
// ends inside is split, the rest without a time), its reading's inner tags
// begin its later segments, with their times, and an empty reading leaves
// it as it is. A @Ruby line without a base, with a base of more than
// kLongestReading characters or with a range that is no tag is left out;
// any other "@" line is kept as it stands. The first line becomes the start
// text when it is at 0, has a text, and is timed as a whole without a
// reading. None when no line begins with a tag.
std::optional<KaraokeDocument> ParseKaraokeText(const QString& content);

} // namespace verselet
