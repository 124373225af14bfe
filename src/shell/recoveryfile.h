#pragma once

// Where the recovery file lives and how it goes to and from the disk. It is
// in the program's data folder, never in the work folder, which start-up
// empties.

#include "document/recoveryformat.h"
#include "document/textfile.h"

#include <QDateTime>
#include <QString>

namespace verselet {

// $XDG_DATA_HOME/verselet/recovery (~/.local/share/verselet/recovery).
QString RecoveryFolder();
// The one recovery file in it.
QString RecoveryFilePath();

// Why the recovery file could not be written, as the user is told.
enum class RecoveryWriteProblem
{
    NoSpace,    // the disk or the user's quota is full
    NotAllowed, // the folder is another user's, or closed to this one
    ReadOnly,   // the folder is on a disk that is mounted read-only
    NotAFolder, // a file stands where the folder (or one above it) should be
    Other,      // anything else: `systemText` says what
};
struct RecoveryWriteError
{
    QString folder;
    RecoveryWriteProblem problem = RecoveryWriteProblem::Other;
    QString systemText;
};

// Writes the document's state as a whole or not at all: a new file, beside
// the old one, renamed over it, making the folder (owner-only) when it is
// missing. The file is the owner's alone whatever the folder allows, and
// whatever stands at the path, a link included, is replaced, never written
// through.
Result<void, RecoveryWriteError>
WriteRecoveryFile(const QString& path, const LyricsSnapshot& lyrics, const QDateTime& updated);

// What start-up finds at the path.
struct RecoveryFound
{
    enum Kind
    {
        None,     // no file: the last run ended normally, or never changed anything
        Readable, // `recovered` holds it
        Damaged,  // cannot be read, is no regular file (a link, a folder), or
                  // is not a recovery file this program can read
    };
    Kind kind = None;
    RecoveredLyrics recovered;
};
RecoveryFound ReadRecoveryFile(const QString& path);

// Moves what stands at the path (a link itself, never what it points to)
// out of the way, next to where it was, under a name that says so and when;
// it is kept, not deleted. The new path, or "" when it could not be moved.
QString SetRecoveryFileAside(const QString& path, const QDateTime& now);

} // namespace verselet
