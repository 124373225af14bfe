#pragma once

// A finished run as it goes into an audio file: the LRC text the players
// read from the file's tags, and the synchronised lyrics of an ID3v2 tag.

#include "audio/musictags.h"
#include "document/lrcformat.h"

namespace verselet {

// The LRC text (enhanced when a line has word times) for a Vorbis comment
// or an MP4 atom, the plain LRC text for an ID3v2 tag, and the entries of
// its synchronised lyrics: one a line, or one a word for a line timed word
// by word, the start text at 0 first. An entry that begins a line other
// than the first begins with a line feed, as the tag's own example has it.
EmbeddedLyrics LyricsForAudioFile(const LrcDocument& lrc);

} // namespace verselet
