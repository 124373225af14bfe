#include "workfiles/workfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace verselet {

using namespace Qt::StringLiterals;

QString WorkFolder::path() const
{
    return m_tempRoot + u"/zem"_s;
}
QString WorkFolder::tagFile() const
{
    return m_tempRoot + u"/zem/left.tmp"_s;
}
QString WorkFolder::textFile() const
{
    return m_tempRoot + u"/zem/rigth.tmp"_s;
}
QString WorkFolder::stagingFile() const
{
    return m_tempRoot + u"/zem/zem.tmp"_s;
}

void PrepareWorkFolder(const WorkFolder& work)
{
    const QString folder = work.path();
    // A link in place of the folder would have the clearing below delete files
    // somewhere else: the link goes, a real folder takes its place.
    if (QFileInfo(folder).isSymLink())
        QFile::remove(folder);
    QDir().mkdir(folder);
    ClearWorkFolder(work);
}

void ClearWorkFolder(const WorkFolder& work)
{
    const QDir folder(work.path());
    const QFileInfoList entries =
        folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // QFile::remove unlinks a link without following it.
        if (entry.isSymLink() || entry.isFile())
            QFile::remove(entry.filePath());
    }
}

Result<void, FileError> WriteTagTemplate(const WorkFolder& work)
{
    return WriteWorkLines(work.tagFile(), TagTemplateLines());
}

Result<void, FileError> WriteTagFile(const WorkFolder& work, const QStringList& tags)
{
    return WriteWorkLines(work.tagFile(), tags);
}

Result<void, FileError> ReplaceTagFile(const WorkFolder& work, const QStringList& tags)
{
    // A text that cannot be encoded never touches the file; only a write that
    // fails part of the way has something to put back.
    const QString path = work.tagFile();
    QFile old(path);
    const bool existed = !QFileInfo(path).isSymLink() && old.open(QIODevice::ReadOnly);
    const QByteArray before = existed ? old.readAll() : QByteArray();
    old.close();
    auto written = WriteTagFile(work, tags);
    if (written || written.error().kind == FileErrorKind::Unmappable)
        return written;
    if (!existed) {
        QFile::remove(path);
    } else {
        QFile back(path);
        if (back.open(QIODevice::WriteOnly | QIODevice::Truncate))
            back.write(before);
    }
    return written;
}

QList<TaggedLine> PairLines(const QStringList& textLines, const QStringList& tagLines)
{
    const qsizetype n = std::min(textLines.size(), tagLines.size());
    QList<TaggedLine> pairs;
    pairs.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        pairs.append({tagLines.at(i), textLines.at(i)});
    return pairs;
}

Result<QList<TaggedLine>, FileError> ReadLinePairs(const WorkFolder& work)
{
    auto text = ReadWorkFile(work.textFile());
    if (!text)
        return text.error();
    auto tags = ReadWorkFile(work.tagFile());
    if (!tags)
        return tags.error();
    return PairLines(text.value(), tags.value());
}

bool IsMarkableLine(const QString& text)
{
    return text.isEmpty() ||
           !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u'-'; });
}

QString SelectionSnapshot(const QString& bodyText)
{
    QString snapshot = bodyText;
    if (snapshot.endsWith(u'\r'))
        snapshot.chop(1);
    snapshot += kCrLf;
    return snapshot;
}

QList<SelectionRow> LoadSelectionList(const WorkFolder& work)
{
    QList<SelectionRow> rows;
    const auto pairs = ReadLinePairs(work);
    if (!pairs)
        return rows;
    rows.reserve(pairs.value().size());
    for (const TaggedLine& pair : pairs.value())
        rows.append({pair.text, IsCountedTag(pair.tag) && IsMarkableLine(pair.text)});
    return rows;
}

Result<QList<SelectionRow>, FileError> PrepareLineSelection(const WorkFolder& work,
                                                            const QString& bodyText)
{
    if (bodyText.isEmpty())
        return FileError{FileErrorKind::EmptyText, work.textFile()};
    // Every character is timed as the document has it, and kept for an LRC
    // file: the rows' words are matched to the document's lines by their
    // text. A timed text folds or refuses such characters when it is made.
    if (auto written = WriteWorkTextWhole(work.textFile(), SelectionSnapshot(bodyText)); !written)
        return written.error();
    return LoadSelectionList(work);
}

} // namespace verselet
