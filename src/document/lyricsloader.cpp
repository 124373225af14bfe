#include "document/lyricsloader.h"

#include "document/lyricsformat.h"
#include "document/textfile.h"

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

} // namespace verselet
