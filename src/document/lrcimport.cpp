#include "document/lrcimport.h"

#include "document/lrcformat.h"
#include "document/lyricsformat.h"
#include "document/timetag.h"

namespace verselet {

using namespace Qt::StringLiterals;

std::optional<LoadedLyrics> LoadLrcLyrics(const QString& content)
{
    const std::optional<LrcDocument> lrc = ParseLrc(content);
    if (!lrc)
        return std::nullopt;

    QList<TimedLine> lines;
    for (const LrcLine& line : lrc->lines)
        lines.append({line.milliseconds, line.text, WordsOfLrcLine(line)});
    LoadedLyrics loaded =
        LoadTimedLines({lrc->title, lrc->artist, lrc->album}, lrc->startText, lines);
    loaded.lrcOrigin = lrc->origin;
    return loaded;
}

LineWords WordsOfLrcLine(const LrcLine& line)
{
    if (line.words.isEmpty() || line.text.isEmpty())
        return {};
    LineWords words{line.text, {}, {}, line.endMilliseconds};
    for (const LrcWord& word : line.words) {
        words.starts.append(word.start);
        words.times.append(word.milliseconds);
    }
    return words;
}

bool IsLrcFileName(const QString& path)
{
    return path.endsWith(u".lrc"_s, Qt::CaseInsensitive);
}

QString TextFileNameForLrc(const QString& path)
{
    return IsLrcFileName(path) ? path.chopped(4) + u".txt"_s : path;
}

} // namespace verselet
