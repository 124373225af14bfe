#pragma once

// The recovery file: a document's whole state, kept while it has unsaved
// work, so that a run that never ended normally loses nothing. UTF-8 with LF,
// in blocks a person can read:
//
//   Verselet recovery 4
//   updated 2026-12-08T05:50:12.345Z
//   name <bytes>          then that many bytes of the kept file name, LF
//   header <bytes>        the same for the header text,
//   start <bytes>         the start text
//   body <bytes>          and the body (its CR LF kept as they are)
//   tags <count> <bytes>  the tag lines joined by LF, LF
//   exact <count>         one line each: milliseconds, or "-" for none (at
//                         most one per tag line)
//   words <count>         one entry each (at most one per tag line): "-" for
//                         none, or "line <bytes>"
//                         with the line's text, then its segment starts,
//                         times and end: "0,3,5;1200,-,1900;2400", then
//                         "readings <count>" and for each reading
//                         "<start> <length> <its segment starts>" and
//                         "kana <bytes>" with its kana
//   lrc <d> <s> <o>       of the LRC file the document was opened from: 2 or
//                         3 decimals, 1 when its word marks were set apart
//                         by blanks, 1 when its [offset:] is in the times
//   metadata <count> <bytes>  its other tag lines joined by LF, LF
//   karaoke <count> <bytes>   the same for the other "@" lines of the karaoke
//                             text the document was opened from
//   end
//
// A version 3 file is the same without readings or karaoke lines; a version 2 file has no
// LRC file's lines either; a version 1 file has no words either.
//
// Texts are counted in bytes, so no character a document can hold (CR, LF,
// anything code page 932 cannot) ends a block early.

#include "document/lyricsdocument.h"
#include "document/result.h"

#include <QByteArray>
#include <QDateTime>

namespace verselet {

inline constexpr int kRecoveryVersion = 4;

struct RecoveredLyrics
{
    LyricsSnapshot lyrics;
    // When it was written (UTC).
    QDateTime updated;
};

enum class RecoveryProblem
{
    Damaged,       // not a recovery file, or cut short
    FutureVersion, // written by a newer Verselet
};

QByteArray FormatRecovery(const LyricsSnapshot& lyrics, const QDateTime& updated);
Result<RecoveredLyrics, RecoveryProblem> ParseRecovery(const QByteArray& bytes);

} // namespace verselet
