#include "workfiles/timinglist.h"

#include "document/lyricsformat.h"
#include "workfiles/workfiles.h"

namespace verselet {

QStringList BuildTimingList(const QStringList& textLines, const QStringList& tagLines,
                            const QList<bool>& marks)
{
    const qsizetype n = std::min({textLines.size(), tagLines.size(), marks.size()});
    QStringList rows;
    rows.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QString& text = textLines.at(i);
        const QString& tag = tagLines.at(i);
        const bool counted = IsCountedTag(tag);
        if (marks.at(i))
            rows.append((counted ? tag : kUntimedTag.toString()) + text);
        else
            rows.append((counted ? kUnmarkedTag.toString() : tag) + text);
    }
    return rows;
}

Result<QStringList, FileError> BuildTimingList(const WorkFolder& work, const QList<bool>& marks)
{
    const auto text = ReadWorkFile(work.textFile());
    if (!text)
        return text.error();
    const auto tags = ReadWorkFile(work.tagFile());
    if (!tags)
        return tags.error();
    return BuildTimingList(text.value(), tags.value(), marks);
}

namespace {

template <typename List>
List KeptForMarkedRows(const List& stored, const QList<bool>& marks, qsizetype rowCount)
{
    List kept(rowCount);
    for (qsizetype i = 0; i < rowCount && i < stored.size() && i < marks.size(); ++i) {
        if (marks.at(i))
            kept[i] = stored.at(i);
    }
    return kept;
}

} // namespace

ExactTimes TimingExactTimes(const ExactTimes& stored, const QList<bool>& marks, qsizetype rowCount)
{
    return KeptForMarkedRows(stored, marks, rowCount);
}

WordTimes TimingWordTimes(const WordTimes& stored, const QList<bool>& marks, qsizetype rowCount)
{
    return KeptForMarkedRows(stored, marks, rowCount);
}

TimingRows TimingListRows(const QStringList& rows, const QList<bool>& marks,
                          const LyricsDocument& document)
{
    const ExactTimes exact = TimingExactTimes(document.exactTimes(), marks, rows.size());
    const WordTimes words = TimingWordTimes(document.wordTimes(), marks, rows.size());
    TimingRows lines;
    lines.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        lines.append(TimingRow::fromListRow(rows.at(i), exact.at(i), words.at(i)));
    return lines;
}

QStringList TimingTags(const QStringList& rows)
{
    QStringList tags;
    tags.reserve(rows.size());
    for (const QString& row : rows)
        tags.append(TagField(row));
    return tags;
}

Result<void, FileError> SaveTimingTags(const WorkFolder& work, const QStringList& rows)
{
    return WriteTagFile(work, TimingTags(rows));
}

} // namespace verselet
