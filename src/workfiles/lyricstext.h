#pragma once

// Writing the finished timed lyrics text: the body into the text file, the
// whole document into the staging file, and the staging file to the file the
// user chose.

#include "document/textfile.h"
#include "workfiles/workfiles.h"

#include <QString>

namespace verselet {

// The text file receives the whole body text and one CR LF (no character is
// dropped, unlike the snapshot at the start of a real-time input).
Result<void, FileError> CreateLyricsTextFile(const WorkFolder& work, const QString& bodyText);

// Composes the timed lyrics text from the header and start texts and the
// text file paired with the tag file, into the staging file. A work file
// that cannot be read is an error: a shortened text is never offered.
Result<void, FileError> ComposeStagingFile(const WorkFolder& work, const QString& headerText,
                                           const QString& startText);

// Copies the staging file to the chosen path. The chosen file is replaced
// as a whole or not at all; a failure leaves it as it was.
Result<void, FileError> SaveLyricsText(const WorkFolder& work, const QString& targetPath);

} // namespace verselet
