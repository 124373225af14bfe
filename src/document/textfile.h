#pragma once

// Text at the file boundary. Everything the program writes is code page 932
// with CR LF line ends; what the user opens may also be UTF-8 or UTF-16 and may
// end its lines any way. Inside the program a text is a QString.

#include "document/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace verselet {

enum class FileErrorKind
{
    NotFound,   // the file does not exist
    Unreadable, // cannot be opened or read, or is a folder, a pipe or a device
    TooLarge,   // a file the user opens that is larger than kMaxUserTextBytes
    NotText,    // a file the user opens that holds NUL bytes (in UTF-16, NUL characters)
                // (line: the first one's, line ends counted as the file has them)
    Unwritable, // cannot be opened for writing, or not every byte was written
    Unmappable, // the text holds a character code page 932 cannot hold
    EmptyText,  // there is nothing to write where at least one character is needed
    NoLyrics,   // a file read that gives no document (an LRC file without a time)
    // An LRC file whose time tags repeat its lines into more than a document
    // may hold.
    DocumentTooLarge,
    // A subtitle or lyrics file of another program (SRT, WebVTT, ASS, TTML)
    // broken at `line`, as `damage` says.
    Damaged,
};

// What is wrong where a file of another program's form is broken.
enum class DamageKind
{
    NotThisForm,  // nothing of the form at all
    BadTime,      // a time that is no time of the form
    BadStructure, // a cue, an element or a section broken off or out of place
};

struct FileError
{
    FileErrorKind kind = FileErrorKind::Unreadable;
    QString path;
    // For Unmappable: the character, and where it stands (1-based line and
    // column, counted in characters, line breaks as the file would have them).
    char32_t character = 0;
    int line = 0;
    int column = 0;
    DamageKind damage = DamageKind::BadStructure;
};

// A lyrics text is small; anything larger is not one.
inline constexpr qint64 kMaxUserTextBytes = 16 * 1024 * 1024;

struct DecodedText
{
    QString text;
    // Bytes that are no code page 932 character, a lead byte cut off at the
    // end, and NUL bytes each became U+FFFD, which cannot be written back.
    bool hadInvalidBytes = false;
};

DecodedText DecodeCp932(const QByteArray& bytes);

// Bytes that say nothing of their encoding, or call themselves Latin-1 as
// old tags and cue sheets do, read the way the programs of a Japanese system
// wrote them: as UTF-8 when they are that, else as code page 932 when they
// are that, else as Latin-1.
QString DecodeUnlabelledText(const QByteArray& bytes);

// Input methods and files from other systems write some characters as code
// points that code page 932 does not have, for characters it does have under
// another code point: the wave dash U+301C for U+FF5E, the minus sign U+2212
// for U+FF0D, U+2016 for U+2225, the cent, pound and not signs for their
// full-width forms, the em dash U+2014 for U+2015, and the no-break space for
// a space. Each is folded to the character it stands for, one for one, so
// positions in a text do not move. Everything else is left as it is.
QChar FoldForCp932(QChar c);
QString FoldForCp932(const QString& text);

// True when the text, once folded, can be written in code page 932.
bool CanEncodeCp932(QStringView text);

struct UnmappableCharacter
{
    char32_t character = 0;
    int line = 0;
    int column = 0;
};

// The whole text, folded, or the first character code page 932 cannot hold
// even then. Nothing else is ever replaced by a look-alike or a substitute
// byte.
Result<QByteArray, UnmappableCharacter> EncodeCp932(const QString& text);

// EucKr reads the Windows form (code page 949), which holds every EUC-KR text
// and the Hangul EUC-KR lacks.
enum class TextEncoding
{
    Cp932,
    Utf8,
    Utf16,
    Gb18030,
    Big5,
    EucKr
};

// What a user may choose to read a file as, in the order offered.
inline constexpr TextEncoding kChoosableEncodings[] = {TextEncoding::Utf8,  TextEncoding::Utf16,
                                                       TextEncoding::Cp932, TextEncoding::Gb18030,
                                                       TextEncoding::Big5,  TextEncoding::EucKr};

// Why a text DecodeUserText read may not be what its file says
// (DoubtAboutReading).
enum class ReadingDoubt
{
    None,
    // Bytes that are no character of the encoding it took.
    InvalidBytes,
    // Valid code page 932 that reads the way Chinese (GBK, Big5) and Korean
    // (EUC-KR) texts do when read so: their double-byte characters fall apart
    // into half-width katakana, with a stray kanji where two bytes pair up,
    // and never into kana. Eight half-width katakana or more, three in four
    // of the characters beyond ASCII, not one hiragana or full-width
    // katakana, and bytes that one of those encodings reads whole: a
    // Japanese text written all in half-width katakana mostly has a word of
    // an odd length before a space or a line end, which none of them reads.
    OtherEncoding,
};

struct UserText
{
    QString text; // every line end is CR LF
    TextEncoding encoding = TextEncoding::Cp932;
    bool hadInvalidBytes = false;
    // Set by ReadUserTextFile when it chose the encoding itself.
    ReadingDoubt doubt = ReadingDoubt::None;
};

// UTF-16 with a byte order mark, UTF-8 with a BOM or when the bytes are valid
// UTF-8 holding non-ASCII bytes, code page 932 otherwise. CR LF, a lone LF and a
// lone CR each end a line and all come back as CR LF. Every other character
// stays as it is: folding belongs to writing code page 932, and an LRC file
// written back as UTF-8 keeps the characters it was read with.
UserText DecodeUserText(const QByteArray& bytes);
QString NormalizeLineEnds(const QString& text);

// The same bytes read as the encoding the user chose for them, whatever they
// look like; UTF-16 in the byte order its mark says, little-endian without
// one. Bytes that are no character of it each become U+FFFD, and the text
// then has invalid bytes.
UserText DecodeUserTextAs(const QByteArray& bytes, TextEncoding encoding);

ReadingDoubt DoubtAboutReading(const QByteArray& bytes, const UserText& read);

// The bytes of a file the user chose to open. Only a regular file is read: a
// pipe, a device or a socket is Unreadable, and is never waited on.
Result<QByteArray, FileError> ReadUserFileBytes(const QString& path);

// Its text, read as the encoding given, or as DecodeUserText reads and with
// the doubt about that reading. A file that holds a NUL (a byte, or in UTF-16
// a character) is NotText.
Result<UserText, FileError> ReadUserTextFile(const QString& path,
                                             std::optional<TextEncoding> encoding = std::nullopt);

// The lines of a work file: a CR ends a line and is not part of it, an LF right
// after it is consumed with it, a lone LF is an ordinary character, and a last
// line without a line end is still a line.
QStringList SplitWorkLines(const QString& text);

// A work file's lines: code page 932, or UTF-8 when the file begins with a
// byte order mark (WriteWorkTextWhole).
Result<QStringList, FileError> ReadWorkFile(const QString& path);

// Writes the text as it is, after it has been encoded whole: a text that holds
// an unmappable character leaves the file untouched. Otherwise the file is
// emptied first, never appended to. A symbolic link at the path is replaced
// by the file, never written through.
Result<void, FileError> WriteWorkText(const QString& path, const QString& text);
// The same for a text that must come back character for character (the
// lines of a run are timed, and their words matched to the document's lines
// and written to LRC): a text code page 932 holds only folded, or not at all,
// is written as UTF-8 after a byte order mark, which ReadWorkFile reads back.
// A text code page 932 holds exactly gives the same bytes as WriteWorkText.
Result<void, FileError> WriteWorkTextWhole(const QString& path, const QString& text);

// A file replaced as a whole or not at all (a file the user chose, a
// setting): a failure leaves it as it was. Only a regular file (or nothing)
// may stand at the path; a device node or a pipe there is refused and left
// alone.
Result<void, FileError> ReplaceUserFile(const QString& path, const QByteArray& bytes);

// Every line followed by CR LF, the last one included.
Result<void, FileError> WriteWorkLines(const QString& path, const QStringList& lines);
QString JoinLinesCrLf(const QStringList& lines);

} // namespace verselet
