#pragma once

// An opened LRC file as a document: the one a timed lyrics text gives, with
// the file's times kept exactly beside their [mm:ss] tags.

#include "document/lrcformat.h"
#include "document/lyricsloader.h"

#include <QString>

#include <optional>

namespace verselet {

// The header's lines are the title, the artist and the album (values only;
// the header ends with the last that is not empty). The body begins with the
// separator line; each line follows it in time order with its truncated tag,
// and its time as the exact time. The tag file gets those tags and the 224
// filler lines. A line timed word by word keeps its words beside its tag.
// What the file held beyond its lines goes with it (lrcOrigin). None when the
// text holds no time tag.
std::optional<LoadedLyrics> LoadLrcLyrics(const QString& content);

// A line's word marks as its segments and their times; none for a line
// timed as a whole.
LineWords WordsOfLrcLine(const LrcLine& line);

// Whether a file is read as LRC: its name ends in ".lrc", in any case.
bool IsLrcFileName(const QString& path);

// The name a text written from an LRC file is kept under: the same path
// ending in ".txt", so the LRC file is never offered for replacing.
QString TextFileNameForLrc(const QString& path);

} // namespace verselet
