#include "document/karaokelyrics.h"

#include "document/lyricsformat.h"
#include "document/timetag.h"

namespace verselet {

KaraokeDocument KaraokeFromRun(const QString& headerText, const QString& startText,
                               const TimingRows& rows, const LrcOrigin& origin)
{
    KaraokeDocument karaoke;
    const SongTitles titles = TitlesOfHeader(headerText);
    karaoke.title = titles.title;
    karaoke.artist = titles.artist;
    karaoke.album = titles.album;
    karaoke.startText = startText;
    karaoke.otherLines = origin.karaokeLines;
    for (const TimingRow& row : rows) {
        if (const ExactTime time = row.when())
            karaoke.lines.append({time, row.text(), row.keptWords()});
    }
    return karaoke;
}

std::optional<LoadedLyrics> LoadKaraokeLyrics(const QString& content)
{
    const std::optional<KaraokeDocument> karaoke = ParseKaraokeText(content);
    if (!karaoke)
        return std::nullopt;

    QList<TimedLine> lines;
    for (const KaraokeLine& line : karaoke->lines)
        lines.append({line.time, line.text, line.words});
    LoadedLyrics loaded = LoadTimedLines({karaoke->title, karaoke->artist, karaoke->album},
                                         karaoke->startText, lines);
    loaded.lrcOrigin.karaokeLines = karaoke->otherLines;
    return loaded;
}

} // namespace verselet
