#include "document/karaokelyrics.h"

#include "document/lyricsformat.h"
#include "document/timetag.h"

namespace verselet {

KaraokeDocument KaraokeFromRun(const QString& headerText, const QString& startText,
                               const TimingRows& rows, const LrcOrigin& origin)
{
    KaraokeDocument karaoke;
    QStringList header = headerText.split(kCrLf.toString());
    header.resize(3);
    karaoke.title = header.at(0);
    karaoke.artist = header.at(1);
    karaoke.album = header.at(2);
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

    LoadedLyrics loaded;
    loaded.timed = true;
    QStringList header{karaoke->title, karaoke->artist, karaoke->album};
    while (!header.isEmpty() && header.constLast().isEmpty())
        header.removeLast();
    loaded.headerText = header.join(kCrLf);
    loaded.startText = karaoke->startText;
    loaded.lrcOrigin.karaokeLines = karaoke->otherLines;

    QStringList texts{kSeparatorLine.toString()};
    QStringList tags{kSeparatorTag.toString()};
    loaded.exactTimes.append(std::nullopt);
    loaded.wordTimes.append(LineWords());
    for (const KaraokeLine& line : karaoke->lines) {
        texts.append(line.text);
        loaded.wordTimes.append(line.words);
        // From 100 minutes on the tag field holds the first seven characters
        // of the tag; the exact time still says when.
        tags.append(line.time ? FormatTimeTag(*line.time).left(kTagFieldLength)
                              : kUntimedTag.toString());
        loaded.exactTimes.append(line.time);
    }
    loaded.bodyText = texts.join(kCrLf);
    loaded.tagLines = TagsAfterTimedLoad(tags);
    return loaded;
}

} // namespace verselet
