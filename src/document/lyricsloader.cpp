#include "document/lyricsloader.h"

#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "document/timetag.h"

#include <algorithm>

namespace verselet {

LoadedLyrics LoadTimedLyrics(const QString& content)
{
    const TimedTextLines read = ClassifyTimedText(SplitWorkLines(content));

    LoadedLyrics loaded;
    loaded.timed = true;
    loaded.startText = read.startText;
    QStringList bodyTags;
    QStringList bodyTexts;
    bodyTags.reserve(read.body.size());
    bodyTexts.reserve(read.body.size());
    for (const TaggedLine& line : read.body) {
        bodyTags.append(line.tag);
        bodyTexts.append(line.text);
    }
    loaded.tagLines = TagsAfterTimedLoad(bodyTags);
    loaded.tagSourceLines = read.bodyLineNumbers;

    if (bodyTexts.isEmpty()) {
        loaded.headerText = JoinLinesCrLf(read.headerLines);
        loaded.complete = false;
        return loaded;
    }
    // Each body line was read with its CR LF; taking off the last line end
    // leaves the body ending with its last line.
    loaded.bodyText = bodyTexts.join(kCrLf);
    if (read.headerLines.isEmpty()) {
        loaded.complete = false;
        return loaded;
    }
    loaded.headerText = read.headerLines.join(kCrLf);
    return loaded;
}

LoadedLyrics LoadPlainLyrics(const QString& content)
{
    LoadedLyrics loaded;
    loaded.bodyText.reserve(kSeparatorLine.size() + 2 + content.size());
    loaded.bodyText += kSeparatorLine;
    loaded.bodyText += kCrLf;
    loaded.bodyText += content;
    loaded.tagLines = TagTemplateLines();
    return loaded;
}

QString ResolveLineSeparators(const QString& content, bool timed)
{
    const auto isSeparator = [](QChar c) {
        return c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == QChar(0x0085);
    };
    if (std::none_of(content.cbegin(), content.cend(), isSeparator))
        return content;
    QString out;
    out.reserve(content.size() + (timed ? 0 : 16));
    for (const QChar c : content) {
        if (!isSeparator(c))
            out += c;
        else if (timed)
            out += u' ';
        else
            out += kCrLf;
    }
    return out;
}

LoadedLyrics LoadLyricsText(const QString& content)
{
    const bool timed = IsTimedLyricsText(content);
    const QString resolved = ResolveLineSeparators(content, timed);
    return timed ? LoadTimedLyrics(resolved) : LoadPlainLyrics(resolved);
}

SongTitles TitlesOfHeader(const QString& headerText)
{
    QStringList header = headerText.split(kCrLf.toString());
    header.resize(3);
    return {header.at(0), header.at(1), header.at(2)};
}

void FillTitles(QString& title, QString& artist, QString& album, const SongTitles& from)
{
    for (auto [field, given] : {std::pair{&title, &from.title}, std::pair{&artist, &from.artist},
                                std::pair{&album, &from.album}}) {
        if (field->trimmed().isEmpty())
            *field = *given;
    }
}

LoadedLyrics LoadTimedLines(const SongTitles& titles, const QString& startText,
                            const QList<TimedLine>& lines)
{
    LoadedLyrics loaded;
    loaded.timed = true;
    QStringList header{titles.title, titles.artist, titles.album};
    while (!header.isEmpty() && header.constLast().isEmpty())
        header.removeLast();
    loaded.headerText = header.join(kCrLf);
    loaded.startText = startText;

    QStringList texts{kSeparatorLine.toString()};
    QStringList tags{kSeparatorTag.toString()};
    loaded.exactTimes.append(std::nullopt);
    loaded.wordTimes.append(LineWords());
    for (const TimedLine& line : lines) {
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
