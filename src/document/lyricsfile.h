#pragma once

// A file the user opens, made a document: read and decoded at the file
// boundary, then read as what it is. The windows turn a failure into their
// message; nothing here asks or tells the user anything.

#include "document/lyricsloader.h"
#include "document/result.h"
#include "document/textfile.h"

#include <QString>

namespace verselet {

struct OpenedLyrics
{
    LoadedLyrics lyrics;
    // The text has tags of another format ([mm:ss:xx]) and was read as a
    // plain text: the user hears of it.
    bool sixDigitTimes = false;
};

// An LRC file (by its name, ".lrc") is read as LRC; any other file as a
// timed lyrics text when it is one, else as the body of a new document. The
// errors of ReadUserTextFile, or NoLyrics for an LRC file that gives no
// document (no time tag, or more than a document may hold).
Result<OpenedLyrics, FileError> ReadLyricsFile(const QString& path);

} // namespace verselet
