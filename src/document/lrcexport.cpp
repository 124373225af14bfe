#include "document/lrcexport.h"

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

bool isLyric(const QString& text) { return !text.isEmpty() && !isSeparator(text); }

} // namespace

LrcDocument LrcFromRun(const QString& headerText, const QString& startText,
                       const QList<TaggedLine>& pairs, const ExactTimes& exactTimes)
{
    LrcDocument lrc;
    QStringList header = headerText.split(kCrLf.toString());
    header.resize(3);
    lrc.title = header.at(0);
    lrc.artist = header.at(1);
    lrc.album = header.at(2);
    lrc.startText = startText;
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        const TaggedLine& pair = pairs.at(i);
        const ExactTime exact = i < exactTimes.size() ? exactTimes.at(i) : std::nullopt;
        if (const ExactTime time = LineTime(pair.tag, exact))
            lrc.lines.append(LrcLine{*time, pair.text, {}, std::nullopt});
    }
    return lrc;
}

int CountUntimedLyrics(const QList<TaggedLine>& pairs)
{
    return int(std::count_if(pairs.cbegin(), pairs.cend(), [](const TaggedLine& pair) {
        return pair.tag == kUntimedTag && isLyric(pair.text);
    }));
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
