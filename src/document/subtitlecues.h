#pragma once

// When each part of a song is shown, as every subtitle writer shows it.

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

} // namespace verselet
