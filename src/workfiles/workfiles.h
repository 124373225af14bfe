#pragma once

// The work files that carry the lyric lines and their tags between the windows
// of a real-time input. They live in TempRoot + "/zem":
//   left.tmp   the tag file: one tag field per body line
//   rigth.tmp  the text file: one body line per line (the name is spelled so)
//   zem.tmp    the staging file: the finished text before it is copied
// Line n of the text file belongs to line n of the tag file; nothing else ties
// them together. All three are code page 932 with CR LF, but for a text file
// whose body code page 932 cannot hold exactly (see PrepareLineSelection).

#include "document/lyricsformat.h"
#include "document/textfile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace verselet {

// Where the work files are: TempRoot + "/zem". A value naming the folder; it
// is made and emptied by PrepareWorkFolder.
class WorkFolder final
{
public:
    WorkFolder() = default;
    explicit WorkFolder(QString tempRoot) : m_tempRoot(std::move(tempRoot)) {}

    const QString& tempRoot() const { return m_tempRoot; }
    QString path() const;
    QString tagFile() const;
    QString textFile() const;
    QString stagingFile() const;

    friend bool operator==(const WorkFolder&, const WorkFolder&) = default;

private:
    QString m_tempRoot;
};

// Creates the work folder when it is missing and empties it: regular files and
// symbolic links are deleted (a link itself, never what it points to);
// subfolders stay. Failures are not reported: the steps after it find out.
void PrepareWorkFolder(const WorkFolder& work);
void ClearWorkFolder(const WorkFolder& work);

// The tag template (TagTemplateLines) into the tag file.
Result<void, FileError> WriteTagTemplate(const WorkFolder& work);

Result<void, FileError> WriteTagFile(const WorkFolder& work, const QStringList& tags);
// The same, all or nothing: when the new tags cannot be written (a character
// code page 932 cannot hold, a full disk), the tag file keeps what it held,
// so it still pairs with the lines it was written for.
Result<void, FileError> ReplaceTagFile(const WorkFolder& work, const QStringList& tags);

// Line n of the text file with line n of the tag file, for as many lines as
// both have; surplus lines of the longer one take no part.
QList<TaggedLine> PairLines(const QStringList& textLines, const QStringList& tagLines);

// Both files read and paired. A file that cannot be read is an error here;
// callers that treat it as "no lines" say so themselves.
Result<QList<TaggedLine>, FileError> ReadLinePairs(const WorkFolder& work);

// A line of hyphens alone is a separator (the one under the start text, or
// a rule the user typed) and is never timed: its row cannot be marked. An
// empty line can: timed, it clears a player's screen.
bool IsMarkableLine(const QString& text);

struct SelectionRow
{
    QString text;
    bool marked = false;
    friend bool operator==(const SelectionRow&, const SelectionRow&) = default;
};

// What the text file receives at the start of a real-time input: the body text
// and one CR LF. A lone CR at its very end is dropped (it stands for a line
// break that is already there); no other character is.
QString SelectionSnapshot(const QString& bodyText);

// One row per pair of text line and tag line, marked when the tag counts and
// the line can be marked. A file that is missing or unreadable gives no rows.
QList<SelectionRow> LoadSelectionList(const WorkFolder& work);

// Writes the snapshot of the body text into the text file, every character
// as the document has it, even one code page 932 holds only folded or not at
// all (WriteWorkTextWhole), and lists the rows. An
// empty body text is refused before anything is written (EmptyText).
Result<QList<SelectionRow>, FileError> PrepareLineSelection(const WorkFolder& work,
                                                            const QString& bodyText);

} // namespace verselet
