#pragma once

// A finished run written as standard LRC: the same pairing of body lines and
// tags as the finished lyrics text, with the exact times where the lines
// still carry them.

#include "document/exacttimes.h"
#include "document/linewords.h"
#include "document/lrcformat.h"
#include "document/lyricsformat.h"
#include "document/lyricsloader.h"
#include "document/timingrow.h"

#include <QList>
#include <QString>

namespace verselet {

// The header's lines 1, 2 and 3 as title, artist and album; the start text;
// and, in body order, each row whose tag holds a time, whatever its text (a
// timed empty line clears a player's screen), at its exact time or at the
// whole seconds of its tag. The separator, unmarked lines and lines still at
// "[--:--]" have no time and are left out. A line keeps the word times it
// holds. What the LRC file the document was opened from held beyond its
// lines (`origin`) is written again.
LrcDocument LrcFromRun(const QString& headerText, const QString& startText, const TimingRows& rows,
                       const LrcOrigin& origin = {});

// What the timed track says of itself, for what the header leaves out: the
// title, artist and album the header's lines give stay, and so does a
// [length:] line the opened file had; else the track's length is written,
// as "[length:mm:ss]".
void FillFromTrack(LrcDocument& lrc, const SongTitles& track, qint32 lengthMs);

// A line's stamped segments as LRC words: a segment not stamped yet is sung
// as part of the one before it, and the line's end goes with the last.
QList<LrcWord> LrcWordsOf(const LineWords& words);

// Lyric lines whose tag is still "[--:--]".
int CountUntimedLyrics(const QList<TaggedLine>& pairs);

// The lyric lines (neither empty nor a separator) and those of them whose
// tag holds a time.
struct LyricLineCounts
{
    int lines = 0;
    int timed = 0;
    friend bool operator==(const LyricLineCounts&, const LyricLineCounts&) = default;
};
LyricLineCounts CountLyricLines(const QList<TaggedLine>& pairs);

// The name an LRC file is offered under: the kept file name with ".lrc" in
// place of its extension; "" when there is none.
QString LrcFileNameFor(const QString& keptFileName);

} // namespace verselet
