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

    LoadedLyrics loaded;
    loaded.timed = true;
    QStringList header{lrc->title, lrc->artist, lrc->album};
    while (!header.isEmpty() && header.constLast().isEmpty())
        header.removeLast();
    loaded.headerText = header.join(kCrLf);
    loaded.startText = lrc->startText;
    loaded.lrcOrigin = lrc->origin;

    QStringList texts{kSeparatorLine.toString()};
    QStringList tags{kSeparatorTag.toString()};
    loaded.exactTimes.append(std::nullopt);
    loaded.wordTimes.append(LineWords());
    for (const LrcLine& line : lrc->lines) {
        texts.append(line.text);
        loaded.wordTimes.append(WordsOfLrcLine(line));
        // From 100 minutes on the tag field holds the first seven characters
        // of the tag; the exact time still says when.
        tags.append(FormatTimeTag(line.milliseconds).left(kTagFieldLength));
        loaded.exactTimes.append(line.milliseconds);
    }
    loaded.bodyText = texts.join(kCrLf);
    loaded.tagLines = TagsAfterTimedLoad(tags);
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
