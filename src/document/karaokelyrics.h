#pragma once

// A run written as karaoke text, and a karaoke text opened as a document:
// the lines, their word times and their readings as the LRC forms pair them
// with the document's lines.

#include "document/karaoketext.h"
#include "document/lrcformat.h"
#include "document/lyricsloader.h"
#include "document/timingrow.h"

#include <QString>

#include <optional>

namespace verselet {

// The header's lines 1, 2 and 3 as title, artist and album; the start text;
// and, in body order, each row whose tag holds a time, as LrcFromRun takes
// them, each with the words (and readings) it keeps. The "@" lines the
// karaoke text the document was opened from held beyond its own are
// written again.
KaraokeDocument KaraokeFromRun(const QString& headerText, const QString& startText,
                               const TimingRows& rows, const LrcOrigin& origin = {});

// The header's lines are the title, the artist and the album (up to the last
// that is not empty). The body begins with the separator line; each line
// follows it in the file's order, a line with a time with its truncated tag
// and its time as the exact time, a line without one at "[--:--]". A line
// timed word by word, or with a reading, keeps its words beside its tag. The
// other "@" lines go with it (lrcOrigin.karaokeLines). None when no line
// begins with a time tag.
std::optional<LoadedLyrics> LoadKaraokeLyrics(const QString& content);

} // namespace verselet
