#pragma once

// The program's message boxes: caption "Verselet", one OK button. Texts whose
// lines are joined by CR LF are shown with ordinary line breaks.

#include "document/lyricsdocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QString>

namespace verselet {

struct DroppedParts;
struct LyricsWriteFailure;

struct FileError;
struct RecoveryWriteError;
class WorkFolder;
enum class ReadingDoubt;
enum class TextEncoding;

// The texts of the messages are translated in the context "Messages".
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Messages)
};

QString AlreadyRunningText();
QString CannotOpenText();
// The same, CR LF, the file's path, CR LF, and why it is not opened.
QString CannotOpenFileText(const QString& file, const FileError& why);
// A timed lyrics text read as far as it goes, that lacks its body (no
// "-------" line) or else its header.
QString IncompleteLyricsText(const QString& file, bool lacksBody);
// The encoding's name as the user picks it.
QString TextEncodingName(TextEncoding encoding);
// What is wrong with a file read as `read`, when it does not read cleanly,
// and that the user may pick the encoding.
QString ReadingDoubtText(const QString& file, ReadingDoubt doubt, TextEncoding read);

// The text file's path + "tは保存できませんでした", CR LF, the likely reasons.
QString TextFileNotSavedText(const WorkFolder& work);
// What the user reads when a file of a real-time input fails: a character
// that cannot be written, the finished text's own file (`targetPath`), a work
// file of `work` that cannot be read, or one that
// cannot be written (the tag file, the text file, another).
QString FileErrorText(const FileError& error, const WorkFolder& work,
                      const QString& targetPath = {});
// Names the character code page 932 cannot hold and where it stands.
QString UnmappableCharacterText(const FileError& error);

// The same, by the box and the line the editor shows the character in
// (error.line and error.column counted in that box's text).
QString UnwritableInBoxText(EditorBox box, const FileError& error);
// A tag field of a file being opened holds such a character. The tag fields
// are not shown anywhere, so the file's own line is named, and the file is
// not opened.
QString UnwritableTagText(const QString& file, int fileLine, const FileError& error);
// The tag template could not be written; at start-up the program then ends.
QString WorkFolderUnwritableText(const QString& workFolder, bool programEnds);
// The question at start-up when the last run left unsaved lyrics, with the
// time they were last kept (local time).
QString RecoveryQuestionText(const QDateTime& updated);
// A recovery file that could not be read, and where it was put ("" when it
// could not be moved).
QString RecoveryFileSetAsideText(const QString& path, const QString& aside);

// A recovery file that the user said no to, and could not be removed; where
// it was put instead ("" when it could not be moved either).
QString RecoveryFileNotRemovedText(const QString& path, const QString& aside);
// The recovery file could not be written, and why. While that lasts, the
// main window's status line says so.
QString RecoveryNotWrittenText(const RecoveryWriteError& error);

// What would take the place of lyrics that hold unsaved work.
enum class LyricsGoFor
{
    Exit,
    New,
    Open,
    FileFromOutside
};
// The question before they go.
QString UnsavedLyricsQuestionText(LyricsGoFor what);
// Before an LRC file is written: lyric lines without a time are left out.
QString UntimedLyricsQuestionText(int lines);

// Before lyrics go into an audio file that holds some already, or beside
// one that has its .lrc already: what is there, and whether to replace it.
QString ReplaceLyricsQuestionText(const QString& inFile, const QString& sidecar);
// Why no lyrics went into the audio file (the file as it was).
QString LyricsNotWrittenText(const LyricsWriteFailure& failure);
// The track timed is no audio file of its own: a CD's, an image's, or a
// part of a file a cue sheet divides.
QString NoAudioFileText();
// After a subtitle file is opened: what it held that the document has no
// place for was left out.
QString DroppedPartsText(const QString& file, const DroppedParts& dropped);

void ShowMessage(QWidget* parent, const QString& text,
                 QMessageBox::Icon icon = QMessageBox::NoIcon);
// A question with "はい" and "いいえ"; true for はい. Escape answers いいえ;
// Return answers the default, はい unless said otherwise.
enum class DefaultAnswer
{
    Yes,
    No
};
bool AskYesNo(QWidget* parent, const QString& text, DefaultAnswer byDefault = DefaultAnswer::Yes);

} // namespace verselet
