#include "app/mainwindow.h"

#include "app/desktopfiles.h"
#include "app/editorboxes.h"
#include "app/editorfiledialog.h"
#include "app/encodingquestion.h"
#include "app/filedrops.h"
#include "app/handover.h"
#include "app/recentmenu.h"
#include "app/recoveryoffer.h"
#include "app/statusline.h"
#include "audio/discaudiodevice.h"
#include "audiosink/sinkoutput.h"
#include "cd/drivechoice.h"
#include "cd/drivedialog.h"
#include "document/lrcexport.h"
#include "document/lrcimport.h"
#include "document/lyricsfile.h"
#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "help/aboutwindow.h"
#include "readings/mecabreadings.h"
#include "realtime/realtimecontext.h"
#include "realtime/realtimeinput.h"
#include "settings/datafiles.h"
#include "settings/drivelist.h"
#include "shell/editorlayout.h"
#include "shell/recoveryfile.h"
#include "shell/recoverykeeper.h"
#include "widgets/appicon.h"
#include "widgets/busycursor.h"
#include "widgets/messages.h"
#include "widgets/widgetstyle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>

namespace verselet {

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_instanceLock(CacheFolder()), m_document(new LyricsDocument(this)),
      m_drives(new DriveChoice(this)), m_files(new EditorFileDialog(*m_document, this))
{
    setObjectName(u"Form1"_s);
    setWindowIcon(AppIcon());
    buildWidgets();
    buildMenu();
    // The boxes show the document from start-up on (Form_Load).
    m_boxes = new EditorBoxes(*m_document, m_headerBox, m_startBox, m_bodyBox, this);
    m_status = new StatusLine(statusBar(), *m_document);

    // The client area of a new window is 8250 x 6000 twips; the menu bar is
    // above it and the status line below.
    const QSize client(TwipsToPixels(8250), TwipsToPixels(6000));
    resize(client.width(), client.height() + menuBar()->sizeHint().height() + statusLineHeight());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWidgets()
{
    auto* client = new QWidget(this);
    setCentralWidget(client);

    m_headerBox = MakeTextBox(client, u"Text2"_s, tr("歌詞の作成者やタイトルなどを入力します"));
    m_headerBox->setGeometry(TwipsRect(0, 0, 8250 - 120, 1575));

    m_startBox = new QLineEdit(client);
    m_startBox->setObjectName(u"Text3"_s);
    m_startBox->setFont(GothicFont(11.25));
    m_startBox->setToolTip(tr("[00:00]のときに表示させたい文字を入力します"));
    m_startBox->setGeometry(TwipsRect(1080, 1680, 5895, 330));

    m_bodyBox = MakeTextBox(client, u"Text1"_s, tr("歌詞を入力します"));
    m_bodyBox->setGeometry(TwipsRect(0, 2040, 8250 - 120, 6000 - 2040));

    m_rememberedTrackLabel = new QLabel(u"0"_s, client);
    m_rememberedTrackLabel->setObjectName(u"Label1"_s);
    m_rememberedTrackLabel->setGeometry(TwipsRect(7080, 1680, 1095, 375));
    m_rememberedTrackLabel->setVisible(false);

    // m_bodyBox first, then the header, then the start text.
    setTabOrder(m_bodyBox, m_headerBox);
    setTabOrder(m_headerBox, m_startBox);
    m_bodyBox->setFocus();

    // A file dropped anywhere opens; text dropped on a box is typed in.
    m_desktop = new DesktopFiles(
        this, [this] { return mayLyricsGo(LyricsGoFor::FileFromOutside); },
        [this](const QString& path) { openFile(path); });
    new FileDrops(this, {m_bodyBox->viewport(), m_headerBox->viewport(), m_startBox},
                  [this](const QString& path) { m_desktop->open(path); });
}

void MainWindow::buildMenu()
{
    const auto addMenu = [this](const QString& name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    const auto addItem = [](QMenu* menu, const QString& name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        return action;
    };
    const auto addSeparator = [](QMenu* menu, const QString& name) {
        menu->addSeparator()->setObjectName(name);
    };

    // The desktop's keys for what every editor has; the keys shown in the
    // menu beside each item.
    const auto withKeys = [](QAction* action, QList<QKeySequence> keys) {
        action->setShortcuts(keys);
        return action;
    };
    // A desktop whose scheme has no key for one (Windows' has none for Save
    // As and Quit) gets the one most Linux desktops use.
    const auto standard = [](QKeySequence::StandardKey key, QKeySequence fallback = {}) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(key);
        if (keys.isEmpty() && !fallback.isEmpty())
            keys.append(fallback);
        return keys;
    };

    QMenu* file = addMenu(u"ファイル"_s, tr("ﾌｧｲﾙ(&F)"));
    connect(
        withKeys(addItem(file, u"新規作成"_s, tr("新規作成（&N)")), standard(QKeySequence::New)),
        &QAction::triggered, this, &MainWindow::onNewTriggered);
    connect(withKeys(addItem(file, u"開く"_s, tr("開(&O)...")), standard(QKeySequence::Open)),
            &QAction::triggered, this, &MainWindow::onOpenTriggered);
    // A file chosen here opens as one chosen in the open dialog; one that is
    // gone has left the list, and the user hears why it does not open.
    m_recent = new RecentMenu(this);
    file->addMenu(m_recent->menu());
    connect(m_recent, &RecentMenu::openRequested, this, [this](const QString& path) {
        if (mayLyricsGo(LyricsGoFor::Open))
            openFile(path);
    });
    connect(m_recent, &RecentMenu::missingChosen, this, [this](const QString& path) {
        ShowMessage(this, CannotOpenFileText(path, FileError{FileErrorKind::NotFound, path}));
    });
    connect(withKeys(addItem(file, u"上書き保存"_s, tr("上書き保存(&S)")),
                     standard(QKeySequence::Save)),
            &QAction::triggered, this, &MainWindow::onSaveTriggered);
    connect(withKeys(addItem(file, u"名前を付けて保存"_s, tr("名前を付けて保存(&A)")),
                     standard(QKeySequence::SaveAs, Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
            &QAction::triggered, this, &MainWindow::onSaveAsTriggered);
    addSeparator(file, u"線"_s);
    connect(addItem(file, u"設定"_s, tr("設定")), &QAction::triggered, this,
            &MainWindow::onSettingsTriggered);
    addSeparator(file, u"ティ"_s);
    // Alt+F4 too, for a desktop whose window manager leaves it to the
    // window: it ends the program by the same road.
    connect(withKeys(addItem(file, u"終了"_s, tr("終了")),
                     standard(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q)
                         << QKeySequence(Qt::ALT | Qt::Key_F4)),
            &QAction::triggered, this, &MainWindow::onExitTriggered);

    QMenu* lyrics = addMenu(u"歌詞"_s, tr("歌詞"));
    connect(withKeys(addItem(lyrics, u"リアルタイム入力"_s, tr("リアルタイム入力")),
                     {QKeySequence(Qt::CTRL | Qt::Key_R)}),
            &QAction::triggered, this, &MainWindow::onRealtimeInputTriggered);

    QMenu* help = addMenu(u"HELP"_s, tr("ﾍﾙﾌﾟ(&H)"));
    connect(withKeys(addItem(help, u"ヘルプ"_s, tr("Verseletヘルプ")),
                     standard(QKeySequence::HelpContents)),
            &QAction::triggered, this, &MainWindow::onHelpTriggered);
    connect(addItem(help, u"バージョン情報"_s, tr("ﾊﾞｰｼﾞｮﾝ情報(&A)")), &QAction::triggered, this,
            &MainWindow::onAboutTriggered);
}

QString MainWindow::newCaption()
{
    return tr("Verselet - 新規作成.txt");
}

void MainWindow::onHelpTriggered()
{
    OpenHelpFile(this, HelpFilePath(), m_seams.helpLauncher);
}

void MainWindow::onAboutTriggered()
{
    AboutWindow about(this, m_seams.helpLauncher);
    about.exec();
}

bool MainWindow::Form_Load(const QString& fileToHandOver)
{
    // Without a lock file (no cache folder can be made) there is no work
    // folder either: the tag template step below says so and ends the run.
    if (m_instanceLock.tryLock() == InstanceLock::Outcome::HeldByAnother) {
        // Another copy owns the work folder: leave it alone. A file this copy
        // was started with goes to that copy when it takes it.
        if (!fileToHandOver.isEmpty() &&
            HandOverFile(HandoverSocketPath(CacheFolder()), fileToHandOver) == Handover::Opened) {
            m_exitCode = 0;
            return false;
        }
        ShowMessage(nullptr, AlreadyRunningText());
        m_exitCode = 1;
        return false;
    }
    m_state.Work = WorkFolder(DefaultTempRoot());
    EnsureTempRoot(m_state.Work);
    PrepareWorkFolder(m_state.Work);
    if (!WriteTagTemplate(m_state.Work)) {
        ShowMessage(nullptr, WorkFolderUnwritableText(m_state.Work.path(), true),
                    QMessageBox::Critical);
        m_exitCode = 2;
        return false;
    }
    showNewDocument();
    const QString recoveryFile = RecoveryFilePath();
    if (OfferRecovery(nullptr, recoveryFile, *m_document, m_state.Work) ==
        RecoveryOutcome::Restored) {
        const QString& name = m_document->fileName();
        setWindowTitle(name.isEmpty() ? newCaption() : u"Verselet - "_s + name);
        m_status->setKind(DocumentKind::Restored);
    }
    m_recovery = std::make_unique<RecoveryKeeper>(*m_document, recoveryFile);
    // Told once when writes begin to fail; the status line says so until one
    // succeeds.
    connect(m_recovery.get(), &RecoveryKeeper::failing, this,
            [this](const RecoveryWriteError& why) {
                m_status->setRecoveryFailing(true);
                ShowMessage(this, RecoveryNotWrittenText(why), QMessageBox::Warning);
            });
    connect(m_recovery.get(), &RecoveryKeeper::resumed, this,
            [this] { m_status->setRecoveryFailing(false); });
    m_bodyBox->setFocus();
    // Files a second copy is started with come here.
    m_desktop->listen(HandoverSocketPath(CacheFolder()));
    return true;
}

void MainWindow::showNewDocument()
{
    setWindowTitle(newCaption());
    m_document->clear();
    m_savedFile.reset();
    m_status->setKind(DocumentKind::New);
}

const LyricsDocument& MainWindow::typedDocument() const
{
    m_boxes->takeTyping();
    return *m_document;
}

int MainWindow::statusLineHeight() const
{
    return statusBar()->height();
}

bool MainWindow::mayLyricsGo(LyricsGoFor what)
{
    // The boxes' text is nowhere else once the program has moved on.
    return !hasUnsavedEdits() || AskYesNo(this, UnsavedLyricsQuestionText(what), DefaultAnswer::No);
}

void MainWindow::setRememberedTrackIndex(const QString& index)
{
    m_rememberedTrack = index;
    m_rememberedTrackLabel->setText(index);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void MainWindow::Form_Resize()
{
    if (isMinimized())
        return;
    // The rule counts the outer size. frameGeometry() adds the frame and the
    // caption bar that the window system reports (none when it reports none,
    // as offscreen); the menu bar lies inside a QMainWindow's own geometry.
    // The status line lies below what the rule lays out.
    const QSize outer = frameGeometry().size() - QSize(0, statusLineHeight());
    const EditorResize r = FormResize(outer);
    if (r.text1Width)
        m_bodyBox->resize(*r.text1Width, m_bodyBox->height());
    if (r.text1Height)
        m_bodyBox->resize(m_bodyBox->width(), *r.text1Height);
    if (r.text2Width)
        m_headerBox->resize(*r.text2Width, m_headerBox->height());

    // What the window's own height adds to the rule's: the status line, less
    // the frame.
    const int added = height() - outer.height();
    setMinimumHeight(kMinimumOuterHeight + added);
    if (r.outerHeight)
        resize(width(), *r.outerHeight + added);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The work folder stays for the next start-up to empty.
    if (!mayLyricsGo(LyricsGoFor::Exit)) {
        event->ignore();
        return;
    }
    if (m_recovery)
        m_recovery->discard();
    event->accept();
    QCoreApplication::quit();
}

void MainWindow::onNewTriggered()
{
    if (!mayLyricsGo(LyricsGoFor::New))
        return;
    PrepareWorkFolder(m_state.Work);
    if (!WriteTagTemplate(m_state.Work))
        ShowMessage(this, WorkFolderUnwritableText(m_state.Work.path(), false),
                    QMessageBox::Warning);
    showNewDocument();
}

void MainWindow::onOpenTriggered()
{
    OpenLyricsFile();
}

void MainWindow::onSaveTriggered()
{
    save();
}

void MainWindow::onSaveAsTriggered()
{
    saveAs();
}

bool MainWindow::save()
{
    if (!m_savedFile)
        return saveAs();
    return writeDocument(m_savedFile->path, formToSave(m_savedFile->form));
}

bool MainWindow::saveAs()
{
    typedDocument();
    // From the file it is kept in, else from the name the dialogs know.
    const QString start = m_savedFile ? m_savedFile->path : m_document->fileName();
    const SaveForm form = formToSave(m_savedFile ? m_savedFile->form : SaveForm::TimedText);
    const auto chosen = m_files->chooseSaveAs(start, form);
    return chosen && writeDocument(chosen->path, chosen->form);
}

SaveForm MainWindow::formToSave(SaveForm form) const
{
    if (form == SaveForm::TimedText)
        return form;
    return HasWordTimes(DocumentLrc(typedDocument())) ? SaveForm::EnhancedLrc : SaveForm::Lrc;
}

bool MainWindow::writeDocument(const QString& path, SaveForm form)
{
    const LyricsDocument& document = typedDocument();
    // An LRC file has no place for a line without a time: the user hears
    // of such lines before they are left out.
    if (form != SaveForm::TimedText) {
        if (const int untimed = CountUntimedLyrics(DocumentPairs(document));
            untimed > 0 && !AskYesNo(this, UntimedLyricsQuestionText(untimed)))
            return false;
    }
    const auto encoded = EncodeDocument(document, form);
    if (!encoded) {
        ShowMessage(this, UnwritableInBoxText(encoded.error().box, encoded.error().error),
                    QMessageBox::Warning);
        return false;
    }
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (const auto written = ReplaceUserFile(fullPath, encoded.value()); !written) {
        ShowMessage(this, FileErrorText(written.error(), m_state.Work, fullPath),
                    QMessageBox::Warning);
        return false;
    }
    m_savedFile = SavedFile{fullPath, form};
    m_recent->noteFile(fullPath);
    const bool lrc = form != SaveForm::TimedText;
    documentIsAt(fullPath,
                 form == SaveForm::TimedText ? DocumentKind::TimedText
                 : form == SaveForm::Lrc     ? DocumentKind::Lrc
                                             : DocumentKind::EnhancedLrc,
                 lrc ? TextEncoding::Utf8 : TextEncoding::Cp932);
    m_document->markSaved();
    return true;
}

void MainWindow::documentIsAt(const QString& path, DocumentKind kind,
                              std::optional<TextEncoding> encoding)
{
    setWindowTitle(u"Verselet - "_s + path);
    // A timed text saved from an LRC file goes beside it, never over it.
    m_document->setFileName(IsLrcFileName(path) ? TextFileNameForLrc(path) : path);
    m_status->setKind(kind, encoding);
}

void MainWindow::onExitTriggered()
{
    close();
}

void MainWindow::openFromDesktop(const QString& path)
{
    m_desktop->open(path);
}

void MainWindow::OpenLyricsFile()
{
    // Asked before the dialog, so that a file chosen there opens at once;
    // cancelling it leaves the document as it was.
    if (!mayLyricsGo(LyricsGoFor::Open))
        return;
    if (const QString chosen = m_files->chooseFileToOpen(); !chosen.isEmpty())
        openFile(chosen, m_files->chosenEncoding());
}

void MainWindow::openFile(const QString& path, std::optional<TextEncoding> encoding)
{
    LoadLyricsFile(path, encoding);
    setCursor(Qt::ArrowCursor);
}

void MainWindow::LoadLyricsFile(const QString& path, std::optional<TextEncoding> encoding)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    std::optional<BusyCursor> busy(std::in_place, this);
    auto opened = ReadLyricsFile(fullPath, encoding);
    busy.reset();
    // A file that does not read cleanly opens only as the encoding the user
    // picks for it.
    if (opened && opened.value().doubt != ReadingDoubt::None) {
        const auto chosen =
            EncodingQuestion::ask(this, fullPath, opened.value().encoding, opened.value().doubt);
        if (!chosen)
            return;
        busy.emplace(this);
        opened = ReadLyricsFile(fullPath, *chosen);
        busy.reset();
    }
    if (!opened) {
        // Nothing was read, or it makes no document: it stays as it was.
        ShowMessage(this, CannotOpenFileText(fullPath, opened.error()));
        return;
    }
    const LoadedLyrics& loaded = opened.value().lyrics;
    // The tag file first: the boxes only change once it holds the tags of
    // their lines, and a tag file that cannot be written keeps the old ones,
    // so the document as it was stays whole.
    busy.emplace(this);
    const auto written = ReplaceTagFile(m_state.Work, loaded.tagLines);
    busy.reset();
    if (!written) {
        const FileError& error = written.error();
        const int tag = error.line - 1;
        if (error.kind == FileErrorKind::Unmappable && tag >= 0 &&
            tag < loaded.tagSourceLines.size())
            ShowMessage(this, UnwritableTagText(fullPath, loaded.tagSourceLines.at(tag), error));
        else
            ShowMessage(this, CannotOpenFileText(fullPath, error));
        return;
    }
    // The document takes the file's name with its text, and the dialog
    // starts from it next time. Save writes it back in its form: a plain
    // text has none of its own, and is saved under a name chosen; so is a
    // karaoke text, which a timed text written over it would lose.
    m_document->load(loaded);
    const bool lrc = IsLrcFileName(fullPath);
    const SubtitleForm subtitle = opened.value().subtitle;
    const bool karaoke = opened.value().karaokeText;
    const bool enhanced = lrc && HasWordTimes(DocumentLrc(*m_document));
    if ((lrc || loaded.timed) && !karaoke && subtitle == SubtitleForm::None)
        m_savedFile = SavedFile{fullPath, !lrc       ? SaveForm::TimedText
                                          : enhanced ? SaveForm::EnhancedLrc
                                                     : SaveForm::Lrc};
    else
        m_savedFile.reset();
    m_recent->noteFile(fullPath);
    const auto kind = [&] {
        switch (subtitle) {
        case SubtitleForm::Srt:
            return DocumentKind::Srt;
        case SubtitleForm::WebVtt:
            return DocumentKind::WebVtt;
        case SubtitleForm::Ass:
            return DocumentKind::Ass;
        case SubtitleForm::Ttml:
            return DocumentKind::Ttml;
        case SubtitleForm::None:
            break;
        }
        return karaoke    ? DocumentKind::KaraokeText
               : !lrc     ? (loaded.timed ? DocumentKind::TimedText : DocumentKind::PlainText)
               : enhanced ? DocumentKind::EnhancedLrc
                          : DocumentKind::Lrc;
    };
    documentIsAt(fullPath, kind(), opened.value().encoding);
    if (!loaded.complete)
        ShowMessage(this, IncompleteLyricsText(fullPath, loaded.bodyText.isEmpty()));
    if (opened.value().dropped.any())
        ShowMessage(this, DroppedPartsText(fullPath, opened.value().dropped));
}

void MainWindow::onRealtimeInputTriggered()
{
    typedDocument();
    auto rows = PrepareLineSelection(m_state.Work, m_document->bodyText());
    if (!rows) {
        ShowMessage(this, FileErrorText(rows.error(), m_state.Work));
        return;
    }
    m_selectionRows = std::move(rows).value();
    // The input works on values of the document as it stands: the editor is
    // blocked while it runs. What it hands back is the track to remember.
    RealtimeContext context;
    context.work = m_state.Work;
    context.document = m_document;
    context.driveName = chosenDriveName();
    context.rememberedTrack = RememberedTrackIndex();
    context.makeDevice = [this] { return makeCdAudioDevice(); };
    if (!m_readings)
        m_readings = std::make_unique<MecabReadings>();
    context.readings = m_seams.readings ? m_seams.readings : m_readings.get();
    context.chooseSaveTarget = [this] { return ChooseSaveTarget(); };
    context.fileWritten = [this](const QString& path) { m_recent->noteFile(path); };
    RealtimeInput(context).run(m_selectionRows, this);
    setRememberedTrackIndex(context.rememberedTrack);
}

QString MainWindow::ChooseSaveTarget()
{
    return m_files->chooseSaveTarget();
}

QString MainWindow::chosenDriveName()
{
    return m_drives->chosenDriveName();
}

DriveDialog* MainWindow::driveDialog()
{
    return m_drives->dialog();
}

void MainWindow::onSettingsTriggered()
{
    driveDialog()->exec();
}

std::unique_ptr<CdAudioDevice> MainWindow::makeCdAudioDevice() const
{
    if (m_seams.deviceFactory)
        return m_seams.deviceFactory();
    return std::make_unique<DiscAudioDevice>(SystemAudioOutputs());
}

} // namespace verselet
