#include "document/subtitlelyrics.h"

namespace verselet {

LoadedLyrics LoadSubtitleLyrics(const SubtitleRead& read)
{
    QList<TimedLine> lines = read.lines;
    QString startText;
    if (!lines.isEmpty() && lines.constFirst().time == 0 && !lines.constFirst().text.isEmpty() &&
        !lines.constFirst().words.hasTimes()) {
        startText = lines.constFirst().text;
        lines.removeFirst();
    }
    return LoadTimedLines(read.titles, startText, lines);
}

} // namespace verselet
