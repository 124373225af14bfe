#pragma once

#include "document/lyricsdocument.h"
#include "document/textfile.h"
#include "help/helplauncher.h"
#include "shell/appstate.h"
#include "shell/startup.h"
#include "workfiles/documentforms.h"
#include "workfiles/workfiles.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace verselet {

class CdAudioDevice;
class DriveDialog;
class DesktopFiles;
class DriveChoice;
class EditorBoxes;
class EditorFileDialog;
class RecentMenu;
class MecabReadings;
class ReadingProposer;
class RecoveryKeeper;
class StatusLine;
enum class LyricsGoFor;
enum class DocumentKind;

// The editor window ("Form1"): the header, start and body texts of the
// document, and every command of the program in its menu.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    // The recovery file goes only with the user's leave, when the window is
    // closed: a window that merely goes leaves unsaved lyrics to the next
    // start.
    ~MainWindow() override;

    // Start-up, in order: the single-instance rule, TempRoot, the work folder,
    // the tag template, the empty document, and the lyrics a run that did not
    // end normally left (offered back). False when the program must end
    // instead of showing the window; exitCode() then says with which code.
    // A file the program was started with goes, when another copy runs, to
    // that copy instead of the start being refused.
    bool Form_Load(const QString& fileToHandOver = {});
    int exitCode() const { return m_exitCode; }

    AppState& state() { return m_state; }

    // The document the boxes show and edit. The boxes show ordinary lines;
    // the document holds the texts with CR LF between lines, as the boxes
    // give them back. Typing goes into it a moment later, and at once
    // whenever it is asked for.
    LyricsDocument& document()
    {
        typedDocument();
        return *m_document;
    }

    // The track index the timing window remembers between real-time inputs;
    // the hidden "Label1" shows it too.
    QString RememberedTrackIndex() const { return m_rememberedTrack; }

    // Opens a lyrics file the way the open command does once a name is
    // chosen; a file from the desktop (the command line, a drop, a second
    // copy) takes the same way. An encoding given is the one the file is
    // read as (else its bytes say).
    void openFile(const QString& path, std::optional<TextEncoding> encoding = std::nullopt);
    // A file from outside the window: dropped on it, or handed over by a
    // second copy. When the boxes hold edits that were never saved, the user
    // is asked first. Such files open one after another, each to its end,
    // however many arrive at once.
    void openFromDesktop(const QString& path);
    // Whether the document differs from what was last opened, created with
    // New or saved as a finished text: the boxes, or tags a real-time input
    // kept since.
    bool hasUnsavedEdits() const { return typedDocument().isModified(); }
    // Opens the file into the document (the tag file written first), and
    // tells the user what went wrong or what to know. The document takes the
    // file's name only with the file: one refused leaves both as they were.
    void LoadLyricsFile(const QString& path, std::optional<TextEncoding> encoding = std::nullopt);

    // The file Save writes to, "" for none.
    QString saveTarget() const { return m_savedFile ? m_savedFile->path : QString(); }

    // The status line under the boxes.
    StatusLine* statusLine() const { return m_status; }

    // What a test puts in place of the desktop's own: the way the help
    // document is handed to the desktop (its viewer when empty), and the
    // CD-audio device a timing window plays (the real one when empty).
    using DeviceFactory = std::function<std::unique_ptr<CdAudioDevice>()>;
    struct Seams
    {
        UrlLauncher helpLauncher;
        DeviceFactory deviceFactory;
        // What proposes the readings of kanji (MeCab when none).
        ReadingProposer* readings = nullptr;
    };
    Seams& seams() { return m_seams; }

    // The drive dialog, created (and so filled from config.dat) when there is
    // none, without showing it.
    DriveDialog* driveDialog();
    // The save dialog of a finished text: the file dialog in save mode,
    // starting from the name it keeps; "" when cancelled. A chosen name is
    // kept.
    QString ChooseSaveTarget();

    // The rows the last real-time input command listed for line selection.
    const QList<SelectionRow>& selectionRows() const { return m_selectionRows; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // The close box and 終了: the program ends once the lyrics may go, and
    // their recovery file with them; refused, everything stays.
    void closeEvent(QCloseEvent* event) override;

private:
    QPlainTextEdit* m_bodyBox = nullptr;      // "Text1" body text
    QPlainTextEdit* m_headerBox = nullptr;    // "Text2" header text
    QLineEdit* m_startBox = nullptr;          // "Text3" start text
    QLabel* m_rememberedTrackLabel = nullptr; // "Label1" RememberedTrackIndex, never shown
    QString m_rememberedTrack = QStringLiteral("0");

    // The caption of a window that holds no file.
    static QString newCaption();
    void buildWidgets();
    void buildMenu();

    // Menu commands.
    void onNewTriggered();
    void onOpenTriggered();
    void onSaveTriggered();
    void onSaveAsTriggered();
    void onExitTriggered();
    void onRealtimeInputTriggered();
    // Shows the drive dialog modally.
    void onSettingsTriggered();
    // Opens the help document with the desktop's viewer.
    void onHelpTriggered();
    // Shows the About window modally.
    void onAboutTriggered();
    // The open command: asks whether the lyrics may go, then for a file.
    void OpenLyricsFile();
    // Save: the document to the file it was opened from or last saved to,
    // in that file's form (an LRC file enhanced when it has word times); a
    // document without such a file asks for one, as Save As does. Save As:
    // a file and a form of the user's choice. The file is replaced whole or
    // not at all; once written, the document is saved and its recovery file
    // goes. True then.
    bool save();
    bool saveAs();
    // Whether the lyrics on hand may go for `what`: when they hold unsaved
    // edits, the user is asked (いいえ by default). Every command
    // that would lose them asks here.
    bool mayLyricsGo(LyricsGoFor what);
    // The track index a real-time input hands back.
    void setRememberedTrackIndex(const QString& index);
    // The CD-audio device a timing window plays: the real one unless a test
    // put its own in place.
    std::unique_ptr<CdAudioDevice> makeCdAudioDevice() const;
    // The name the device plays from: the choice made in the drive dialog
    // with OK, or what config.dat says.
    QString chosenDriveName();

    void Form_Resize();
    void showNewDocument();
    // The document with what was typed into it so far.
    const LyricsDocument& typedDocument() const;
    // The height the status line adds below the client area, which the
    // layout rule does not count.
    int statusLineHeight() const;
    // The document now stands for `path` (opened or saved there): the
    // caption, the name the dialogs start from, the status line.
    void documentIsAt(const QString& path, DocumentKind kind, std::optional<TextEncoding> encoding);
    // Writes the document to `path` in `form`, after asking about lyrics an
    // LRC file leaves out and refusing a character the form cannot hold.
    bool writeDocument(const QString& path, SaveForm form);
    // The form Save writes a document kept in `form` in, as it stands now.
    SaveForm formToSave(SaveForm form) const;

    AppState m_state;
    InstanceLock m_instanceLock;
    LyricsDocument* m_document;
    DriveChoice* m_drives;
    EditorFileDialog* m_files;
    EditorBoxes* m_boxes = nullptr;
    Seams m_seams;
    QList<SelectionRow> m_selectionRows;
    DesktopFiles* m_desktop = nullptr;
    // Made once start-up has offered back what the last run left.
    std::unique_ptr<RecoveryKeeper> m_recovery;
    // MeCab, opened the first time a timing run asks for readings.
    std::unique_ptr<MecabReadings> m_readings;
    // The file Save writes to, and its form; none for a new, a restored or
    // a plain text document.
    struct SavedFile
    {
        QString path;
        SaveForm form = SaveForm::TimedText;
    };
    std::optional<SavedFile> m_savedFile;
    StatusLine* m_status = nullptr;
    RecentMenu* m_recent = nullptr;
    int m_exitCode = 0;
};

} // namespace verselet
