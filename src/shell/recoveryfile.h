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

// Writes the document's state as a whole or not at all (a new file renamed
// over the old one), making the folder when it is missing; owner-only, as
// the lyrics are the user's.
Result<void, FileError> WriteRecoveryFile(const QString& path, const LyricsSnapshot& lyrics,
                                          const QDateTime& updated);

// What start-up finds at the path.
struct RecoveryFound
{
    enum Kind
    {
        None,     // no file: the last run ended normally, or never changed anything
        Readable, // `recovered` holds it
        Damaged,  // cannot be read, or is not a recovery file this program can read
    };
    Kind kind = None;
    RecoveredLyrics recovered;
};
RecoveryFound ReadRecoveryFile(const QString& path);

// Moves a file that cannot be read out of the way, next to where it was,
// under a name that says so and when; it is kept, not deleted. The new path,
// or "" when it could not be moved.
QString SetRecoveryFileAside(const QString& path, const QDateTime& now);

} // namespace verselet
