#pragma once

// The timing list: one row per body line, its tag field followed directly by
// its text, built from the work files and the marks of the line selection,
// and saved back into the tag file when a timing run ends.

#include "document/exacttimes.h"
#include "document/linewords.h"
#include "document/lyricsdocument.h"
#include "document/textfile.h"
#include "document/timingrow.h"
#include "workfiles/workfiles.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace verselet {

// Row i from text line i, tag line i and mark i, for as long as all three
// last:
//   marked,   tag counts      -> the tag and the text (a time is kept)
//   marked,   tag not counted -> "[--:--]" and the text
//   unmarked, tag counts      -> seven spaces and the text (the time is dropped)
//   unmarked, tag not counted -> the tag and the text (usually "-------")
QStringList BuildTimingList(const QStringList& textLines, const QStringList& tagLines,
                            const QList<bool>& marks);

// The same from the text file and the tag file. A file that cannot be read
// is an error: a run without its rows would save an empty tag file.
Result<QStringList, FileError> BuildTimingList(const WorkFolder& work, const QList<bool>& marks);

// The exact times of those rows, from the ones kept beside the tag file: a
// row left marked keeps its line's, an unmarked row has none (its time is
// dropped with its tag).
ExactTimes TimingExactTimes(const ExactTimes& stored, const QList<bool>& marks, qsizetype rowCount);
// Their words, the same way.
WordTimes TimingWordTimes(const WordTimes& stored, const QList<bool>& marks, qsizetype rowCount);
// The rows of a run: the timing list's rows, each with the exact time and
// the words `document` keeps for its line, as above.
TimingRows TimingListRows(const QStringList& rows, const QList<bool>& marks,
                          const LyricsDocument& document);

// The first seven characters of each row (the whole row when shorter).
QStringList TimingTags(const QStringList& rows);

// Writes one tag line per row, nothing more: the tag file then pairs with
// exactly these rows.
Result<void, FileError> SaveTimingTags(const WorkFolder& work, const QStringList& rows);

} // namespace verselet
