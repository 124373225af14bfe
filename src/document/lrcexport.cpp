#include "document/lrcexport.h"

#include "document/lyricsloader.h"
#include "document/timetag.h"

#include <QDir>
#include <QFileInfo>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// Hyphens alone: the separator line, however long it has become.
bool isSeparator(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u'-'; });
}

bool isLyric(const QString& text)
{
    return !text.isEmpty() && !isSeparator(text);
}

} // namespace

LrcDocument LrcFromRun(const QString& headerText, const QString& startText, const TimingRows& rows,
                       const LrcOrigin& origin)
{
    LrcDocument lrc;
    const SongTitles titles = TitlesOfHeader(headerText);
    lrc.title = titles.title;
    lrc.artist = titles.artist;
    lrc.album = titles.album;
    lrc.startText = startText;
    lrc.origin = origin;
    for (const TimingRow& row : rows) {
        const ExactTime time = row.when();
        if (!time)
            continue;
        LrcLine line{*time, row.text(), {}, std::nullopt};
        const LineWords words = row.keptWords();
        line.words = LrcWordsOf(words);
        if (!line.words.isEmpty())
            line.endMilliseconds = words.end;
        lrc.lines.append(line);
    }
    return lrc;
}

void FillFromTrack(LrcDocument& lrc, const SongTitles& track, qint32 lengthMs)
{
    FillTitles(lrc.title, lrc.artist, lrc.album, track);
    const bool hasLength = std::any_of(
        lrc.origin.metadata.cbegin(), lrc.origin.metadata.cend(),
        [](const QString& line) { return line.startsWith(u"[length:"_s, Qt::CaseInsensitive); });
    if (lengthMs > 0 && !hasLength)
        lrc.origin.metadata.append(u"[length:"_s + FormatTimeTag(lengthMs).sliced(1));
}

QList<LrcWord> LrcWordsOf(const LineWords& words)
{
    // A segment with a reading is one word, at the first time of its
    // reading's segments: the form has no place for a reading.
    QList<LrcWord> marks;
    for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
        for (qsizetype unit = words.firstUnitOf(segment); unit < words.firstUnitOf(segment + 1);
             ++unit) {
            if (const ExactTime time = words.timeOf(unit)) {
                marks.append({words.starts.at(segment), *time});
                break;
            }
        }
    }
    return marks;
}

int CountUntimedLyrics(const QList<TaggedLine>& pairs)
{
    return int(std::count_if(pairs.cbegin(), pairs.cend(), [](const TaggedLine& pair) {
        return pair.tag == kUntimedTag && isLyric(pair.text);
    }));
}

LyricLineCounts CountLyricLines(const QList<TaggedLine>& pairs)
{
    LyricLineCounts counts;
    for (const TaggedLine& pair : pairs) {
        if (!isLyric(pair.text))
            continue;
        ++counts.lines;
        if (LineTime(pair.tag, std::nullopt))
            ++counts.timed;
    }
    return counts;
}

QString LrcFileNameFor(const QString& keptFileName)
{
    if (keptFileName.isEmpty())
        return {};
    const QFileInfo kept(keptFileName);
    const QString base = kept.suffix().isEmpty() ? kept.fileName() : kept.completeBaseName();
    return kept.dir().filePath(base + u".lrc"_s);
}

} // namespace verselet
