#include "document/subtitlecues.h"

#include "document/lrcformat.h"

#include <algorithm>
#include <limits>

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

QList<TimedLine> LinesInTimeOrder(QList<ShownLine> lines, DroppedParts& dropped)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const ShownLine& a, const ShownLine& b) { return a.at < b.at; });
    QList<TimedLine> ordered;
    ordered.reserve(lines.size());
    qint64 shownUntil = std::numeric_limits<qint64>::min();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        ShownLine& shown = lines[i];
        if (shown.at < shownUntil)
            dropped.other = true; // lines shown together
        shownUntil = std::max(shownUntil, shown.until);
        const bool endsWithWords = shown.line.words.hasTimes() && shown.line.words.end;
        const bool showsText = !shown.line.text.isEmpty();
        ordered.append(std::move(shown.line));
        const bool gapAfter = i + 1 < lines.size() &&
                              shown.until + kBreakMs <= lines.at(i + 1).at &&
                              shown.until == shownUntil && shown.until > shown.at;
        if (gapAfter && showsText && !endsWithWords &&
            lines.size() + ordered.size() - i <= kMaxLrcLines)
            ordered.append({ClampToPosition(shown.until), QString(), {}});
    }
    return ordered;
}

} // namespace verselet
