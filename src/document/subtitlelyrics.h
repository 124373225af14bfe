#pragma once

// A file of a subtitle form opened as a document.

#include "document/lyricsloader.h"
#include "document/subtitles.h"

namespace verselet {

// The titles as the header's lines; a first line at 0 with a text and no
// words of its own as the start text, as LRC has it; then every line, with
// its exact time and words, as an LRC file's lines are.
LoadedLyrics LoadSubtitleLyrics(const SubtitleRead& read);

} // namespace verselet
