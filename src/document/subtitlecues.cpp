#include "document/subtitlecues.h"

#include "document/lrcformat.h"

#include <algorithm>

namespace verselet {

QList<SubtitleCue> SubtitleCuesOf(const SubtitleSource& source)
{
    QList<const KaraokeLine*> timed;
    for (const KaraokeLine& line : source.song.lines) {
        if (line.time)
            timed.append(&line);
    }
    const auto lastEnd = [&](qint32 start) {
        return source.trackEndMs && *source.trackEndMs > start
                   ? *source.trackEndMs
                   : ClampToPosition(qint64(start) + kLastCueMs);
    };
    QList<SubtitleCue> cues;
    if (!source.song.startText.isEmpty()) {
        const qint32 end = timed.isEmpty() ? lastEnd(0) : *timed.first()->time;
        if (end > 0)
            cues.append({0, end, nullptr});
    }
    for (qsizetype i = 0; i < timed.size(); ++i) {
        const KaraokeLine& line = *timed.at(i);
        const LineWords& words = line.words;
        const qint32 start = *line.time;
        qint32 end = 0;
        if (words.text == line.text && words.hasTimes() && words.end && *words.end > start)
            end = *words.end;
        else if (i + 1 < timed.size())
            end = std::max(start, *timed.at(i + 1)->time);
        else
            end = lastEnd(start);
        cues.append({start, end, &line});
    }
    return cues;
}

} // namespace verselet
