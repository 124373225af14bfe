#pragma once

// A file the user opens, made a document: read and decoded at the file
// boundary, then read as what it is. The windows turn a failure into their
// message; nothing here asks or tells the user anything.

#include "document/lyricsloader.h"
#include "document/result.h"
#include "document/textfile.h"

#include <QString>

#include <optional>

namespace verselet {

struct OpenedLyrics
{
    LoadedLyrics lyrics;
    // Read as a karaoke text ([mm:ss:cc] tags): the program has no form of
    // its own to save it in as it stands.
    bool karaokeText = false;
    // What the text was read as, and, when the program chose that itself,
    // why it may not be what the file says.
    TextEncoding encoding = TextEncoding::Cp932;
    ReadingDoubt doubt = ReadingDoubt::None;
};

// An LRC file (by its name, ".lrc") is read as LRC; any other file as a
// timed lyrics text when it is one, else as a karaoke text when a line
// begins with a [mm:ss:cc] tag, else as the body of a new document. The
// text is read as the encoding given, else as the file's bytes say. The
// errors of ReadUserTextFile; for an LRC file that gives no document NoLyrics
// when no line has a time tag, DocumentTooLarge when its tags repeat its
// lines into more than a document may hold.
Result<OpenedLyrics, FileError> ReadLyricsFile(const QString& path,
                                               std::optional<TextEncoding> encoding = std::nullopt);

} // namespace verselet
