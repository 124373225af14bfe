#pragma once

// When each part of a song is shown, as every subtitle writer shows it, and
// a file's cues as a lyrics document's lines, as every reader takes them.

#include "document/subtitles.h"

#include <QList>

namespace verselet {

// A part shown from `start` to `end`: a timed line, or the start text
// (`line` none).
struct SubtitleCue
{
    qint32 start = 0;
    qint32 end = 0;
    const KaraokeLine* line = nullptr;
};

// The start text from 0 to the first timed line (left out when that line
// is at 0), then each line with a time, in the song's order: to where its
// words end when it has word times ending after its start, else to the
// next timed line's start (or its own start, when the next comes before
// it), the last to the track's end, or kLastCueMs after its start when the
// track ends before it or is not known.
QList<SubtitleCue> SubtitleCuesOf(const SubtitleSource& source);

// A line as a reader read it from its cue: the time it sorts by (a line
// without a time of its own sorts with the one before it), and until when
// the cue shows it.
struct ShownLine
{
    qint64 at = 0;
    qint64 until = 0;
    TimedLine line;
};

// The lines in time order (cues of one time as the file has them). A lyrics
// document shows one line at a time: a cue that begins while the one before
// still shows is told in `dropped`. Where the screen stays empty for a
// break (kBreakMs or longer) between a cue and the next, an empty line at
// the cue's end clears it, unless the cue's line ends with its words (their
// end is where it ends); as many as a document holds. Shorter gaps are the
// few frames subtitle editors leave between every two cues.
QList<TimedLine> LinesInTimeOrder(QList<ShownLine> lines, DroppedParts& dropped);
inline constexpr qint64 kBreakMs = 1000;

} // namespace verselet
