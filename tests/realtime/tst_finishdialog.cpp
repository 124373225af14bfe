#include "realtime/finishdialog.h"
#include "session/timingrun.h"

#include "audio/musictags.h"

#include "app/editorfiledialog.h"
#include "document/lyricsdocument.h"
#include "document/lyricsfile.h"
#include "realtime/realtimecontext.h"
#include "realtime/realtimeinput.h"
#include "timing/timingwindow.h"
#include "workfiles/workfiles.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"
#include "modalscript.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "timedrows.h"
#include "widgetnames.h"

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace testmodal;

namespace {

const QByteArray kHyphens35(35, '-');
const QString kFilter = u"ﾃｷｽﾄ文書 (*txt)"_s;

// The timing list of a run over a new document with two lyric lines, the
// first stamped at 1:05, and the tag file it leaves.
const QStringList kRows{u"-------"_s + QString(35, u'-'), u"[01:05]一行目"_s, u"[--:--]二行目"_s};
const QByteArray kRowTags("-------\r\n[01:05]\r\n[--:--]\r\n");

// The finished text of that run, with a title and an author above the start
// text "前奏".
const QByteArray kFinishedText =
    "\x89\xCC\x82\xCC\x83\x5E\x83\x43\x83\x67\x83\x8B\r\n" // 歌のタイトル
    "\x8D\xEC\x8E\xD2\r\n"                                 // 作者
    "[00:00]\x91\x4F\x91\x74\r\n"                          // 前奏
    "\r\n" +
    QByteArray(42, '-') +
    "\r\n"
    "[01:05]\x88\xEA\x8D\x73\x96\xDA\r\n" // 一行目
    "[--:--]\x93\xF1\x8D\x73\x96\xDA\r\n" // 二行目
    + kHyphens35 + "\r\n";

// What a step of the script saw of the finish dialog when it came back.
struct Seen
{
    bool visible = false;
    Qt::CursorShape cursor = Qt::BitmapCursor;
    QByteArray tags;
};

} // namespace

class TestFinishDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void layoutAsTheDialogShowsIt();
    void buttonsDecideWhatBecomesOfTheTags_data();
    void buttonsDecideWhatBecomesOfTheTags();
    void createdTextIsSavedWhereTheUserChose();
    void afterCancellingTheTagsStaySaved_data();
    void afterCancellingTheTagsStaySaved();
    void replacingAFileIsAskedFirst_data();
    void replacingAFileIsAskedFirst();
    void targetThatCannotBeWrittenKeepsTheDialogOpen_data();
    void targetThatCannotBeWrittenKeepsTheDialogOpen();
    void failureBeforeTheSaveDialogKeepsTheDialogOpen_data();
    void failureBeforeTheSaveDialogKeepsTheDialogOpen();
    void escapeKeepsTheDialogAndTheStamps();
    void lrcFileOfTheRun_data();
    void lrcFileOfTheRun();
    void lrcTargetThatCannotBeWrittenKeepsTheDialogOpen();
    void karaokeTextOfTheRun();
    void subtitleFormsOfTheRun_data();
    void subtitleFormsOfTheRun();
    void lyricsGoIntoTheTimedAudioFile_data();
    void lyricsGoIntoTheTimedAudioFile();

private:
    const WorkFolder& work() const { return m_home->work; }
    // What the editor hands a real-time input, as it stands now; its device
    // has one track of four minutes.
    RealtimeContext context();
    // The document the finished text above is made from.
    void setDocument();
    // A step that notes how the finish dialog looks when it comes back, then
    // closes it by its frame.
    void thenNoteAndClose(ModalScript& script, Seen& seen);

    std::unique_ptr<WorkArea> m_home;
    // What the editor hands a run: its document and its file dialog.
    std::unique_ptr<LyricsDocument> m_document;
    std::unique_ptr<EditorFileDialog> m_files;
};

void TestFinishDialog::init()
{
    m_home = std::make_unique<WorkArea>();
    QVERIFY(QDir().mkpath(m_home->path() + u"/files"_s));
    QVERIFY(WriteTagTemplate(m_home->work).ok());
    m_document = std::make_unique<LyricsDocument>();
    m_files = std::make_unique<EditorFileDialog>(*m_document, nullptr);
}

void TestFinishDialog::cleanup()
{
    m_files.reset();
    m_document.reset();
    m_home.reset();
}

RealtimeContext TestFinishDialog::context()
{
    RealtimeContext run;
    run.work = work();
    run.document = m_document.get();
    run.makeDevice = [] { return std::make_unique<ScriptedDevice>(QList<qint32>{240000}); };
    run.chooseSaveTarget = [this] { return m_files->chooseSaveTarget(); };
    return run;
}

void TestFinishDialog::setDocument()
{
    m_document->setHeaderText(u"歌のタイトル\r\n作者"_s);
    m_document->setStartText(u"前奏"_s);
    m_document->setBodyText(QString(35, u'-') + u"\r\n一行目\r\n二行目"_s);
}

void TestFinishDialog::thenNoteAndClose(ModalScript& script, Seen& seen)
{
    script.then([this, &seen](QWidget* w) {
        seen.visible = w->isVisible();
        seen.cursor = w->cursor().shape();
        seen.tags = readBytes(work().tagFile());
        QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
    });
}

void TestFinishDialog::layoutAsTheDialogShowsIt()
{
    TimingRun timingRun(std::make_unique<ScriptedDevice>(QList<qint32>{240000}), QString(), u"0"_s);
    TimingWindow timingWindow(timingRun);
    TimingWindow* timing = &timingWindow;
    timing->show();
    timing->move(40, 30);
    const RealtimeContext run = context();
    FinishDialog dialog(run, TimingRowsFromList(kRows), {}, timing);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.objectName(), u"Form6"_s);
    QCOMPARE(dialog.windowTitle(), u"リアルタイム入力の終了"_s);
    QCOMPARE(dialog.size(), QSize(270, 220));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    const Qt::WindowFlags flags = dialog.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(dialog.parentWidget(), timing);
    // Centred on the timing window, to the pixel that rounding allows.
    const QPoint offset = dialog.frameGeometry().center() - timing->frameGeometry().center();
    QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
             qPrintable(u"%1, %2"_s.arg(offset.x()).arg(offset.y())));

    // The question above the five buttons, which stand below it.
    const QList<std::tuple<QWidget*, QString, QString, QRect>> widgets{
        {named<QLabel>(dialog, "Question"), u"Question"_s,
         u"編集を保存または破棄してもどるか、歌詞テキストかLRCファイルを作成しますか？"_s,
         QRect(16, 8, 233, 40)},
        {named<QPushButton>(dialog, "Command1"), u"Command1"_s, u"編集を保存してもどる"_s,
         QRect(16, 56, 233, 25)},
        {named<QPushButton>(dialog, "Command2"), u"Command2"_s, u"編集を破棄してもどる"_s,
         QRect(16, 88, 233, 25)},
        {named<QPushButton>(dialog, "Command3"), u"Command3"_s, u"歌詞テキストを作成する"_s,
         QRect(16, 120, 233, 25)},
        {named<QPushButton>(dialog, "Command4"), u"Command4"_s, u"LRCファイルを作成する"_s,
         QRect(16, 152, 233, 25)},
        {named<QPushButton>(dialog, "Command5"), u"Command5"_s, u"音楽ファイルに書き込む"_s,
         QRect(16, 184, 233, 25)},
    };
    for (const auto& [widget, name, text, place] : widgets) {
        QCOMPARE(dialog.findChild<QWidget*>(name), widget);
        QCOMPARE(widget->property("text").toString(), text);
        QCOMPARE(widget->geometry(), place);
    }
    QCOMPARE(named<QPushButton>(dialog, "Command1")->nextInFocusChain(),
             named<QPushButton>(dialog, "Command2"));
    QCOMPARE(named<QPushButton>(dialog, "Command2")->nextInFocusChain(),
             named<QPushButton>(dialog, "Command3"));
    QCOMPARE(named<QPushButton>(dialog, "Command3")->nextInFocusChain(),
             named<QPushButton>(dialog, "Command4"));
    QCOMPARE(named<QPushButton>(dialog, "Command4")->nextInFocusChain(),
             named<QPushButton>(dialog, "Command5"));
}

void TestFinishDialog::buttonsDecideWhatBecomesOfTheTags_data()
{
    QTest::addColumn<QString>("button"); // empty: the frame's close box
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<int>("returnToEditor");
    QTest::newRow("編集を保存してもどる") << u"Command1"_s << kRowTags << 1;
    QTest::newRow("編集を破棄してもどる") << u"Command2"_s << tagTemplateBytes() << 1;
    QTest::newRow("closed by its frame") << QString() << tagTemplateBytes() << 0;
}

void TestFinishDialog::buttonsDecideWhatBecomesOfTheTags()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, tags);
    QFETCH(int, returnToEditor);

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    if (button.isEmpty())
        script.thenClose();
    else
        script.thenClick(button);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen, (QStringList{u"Form3"_s, u"Form6"_s}));
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(readBytes(work().tagFile()), tags);
    QCOMPARE(int(ended), returnToEditor);
    QVERIFY(!QFile::exists(work().textFile()));
}

void TestFinishDialog::createdTextIsSavedWhereTheUserChose()
{
    setDocument();
    const QString target = m_home->path() + u"/files/song.txt"_s;

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command3"_s);
    script.thenChoose(target);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen, (QStringList{u"Form3"_s, u"Form6"_s, u"CommonDialog1"_s}));
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(script.dialogAcceptMode, QFileDialog::AcceptSave);
    QCOMPARE(script.dialogFileMode, QFileDialog::AnyFile);
    QCOMPARE(script.dialogFilters, QStringList{kFilter});
    QVERIFY(!script.dialogNative);

    QCOMPARE(readBytes(target), kFinishedText);
    QCOMPARE(readBytes(work().stagingFile()), kFinishedText);
    QCOMPARE(readBytes(work().tagFile()), kRowTags);
    // The whole body, its last line included.
    QCOMPARE(readBytes(work().textFile()),
             kHyphens35 + "\r\n\x88\xEA\x8D\x73\x96\xDA\r\n\x93\xF1\x8D\x73\x96\xDA\r\n");
    QVERIFY(ended);
    // The document is not the saved file: it is as it was.
    QCOMPARE(m_document->bodyText(), QString(35, u'-') + u"\r\n一行目\r\n二行目"_s);

    // The open command finds its dialog as it left it, starting from the
    // file just saved.
    QFileDialog* dialog = m_files->dialog();
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(m_document->fileName(), target);
    script.thenChoose(target);
    const QString chosen = m_files->chooseFileToOpen();
    QCOMPARE(chosen, target);
    m_document->load(ReadLyricsFile(chosen).value().lyrics);
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.dialogNameShown, u"song.txt"_s);
    QCOMPARE(script.dialogDirectory, QFileInfo(target).absolutePath());
    QCOMPARE(script.dialogAcceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(m_document->headerText(), u"歌のタイトル\r\n作者"_s);
    QCOMPARE(m_document->bodyText(),
             QString(35, u'-') + u"\r\n一行目\r\n二行目\r\n"_s + QString(28, u'-'));
}

void TestFinishDialog::afterCancellingTheTagsStaySaved_data()
{
    QTest::addColumn<QString>("then"); // the button pressed after the cancel
    QTest::newRow("歌詞テキストを作成する again") << u"Command3"_s;
    QTest::newRow("編集を破棄してもどる") << u"Command2"_s;
}

void TestFinishDialog::afterCancellingTheTagsStaySaved()
{
    QFETCH(QString, then);
    setDocument();
    const QString opened = m_home->path() + u"/files/opened.txt"_s;
    m_document->setFileName(opened);
    const QString target = m_home->path() + u"/files/other.txt"_s;

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command3"_s);
    script.thenCancel();
    Seen back;
    script.then([&](QWidget* w) {
        back.visible = w->isVisible();
        back.tags = readBytes(work().tagFile());
        // An edit the user could not make while the dialog is up, made here
        // to see that the text file is written again.
        m_document->setBodyText(QString(35, u'-') + u"\r\n一行目\r\n二"_s);
        QMetaObject::invokeMethod(w->findChild<QPushButton*>(then), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    if (then == u"Command3"_s)
        script.thenChoose(target);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    QVERIFY(back.visible);
    QCOMPARE(back.tags, kRowTags);
    // The dialog starts from the file name it was given, both times.
    QCOMPARE(script.dialogNameShown, u"opened.txt"_s);

    QCOMPARE(readBytes(work().tagFile()), kRowTags);
    QVERIFY(ended);
    if (then == u"Command3"_s) {
        QCOMPARE(script.seen, (QStringList{u"Form3"_s, u"Form6"_s, u"CommonDialog1"_s, u"Form6"_s,
                                           u"CommonDialog1"_s}));
        QByteArray expected = kFinishedText;
        expected.replace("[--:--]\x93\xF1\x8D\x73\x96\xDA", "[--:--]\x93\xF1");
        QCOMPARE(readBytes(target), expected);
        QCOMPARE(m_document->fileName(), target);
    } else {
        QCOMPARE(script.seen,
                 (QStringList{u"Form3"_s, u"Form6"_s, u"CommonDialog1"_s, u"Form6"_s}));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(m_document->fileName(), opened);
    }
    QCOMPARE(m_files->dialog()->acceptMode(), QFileDialog::AcceptOpen);
}

void TestFinishDialog::replacingAFileIsAskedFirst_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestFinishDialog::replacingAFileIsAskedFirst()
{
    QFETCH(bool, replace);
    setDocument();
    const QString target = m_home->path() + u"/files/song.txt"_s;
    writeBytes(target, "an older song\r\n");

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command3"_s);
    script.thenChoose(target);
    script.thenAnswer(replace ? QMessageBox::Yes : QMessageBox::No);
    if (!replace) {
        script.thenCancel(); // the file dialog, still open
        script.thenClick(u"Command2"_s);
    }
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(readBytes(target), replace ? kFinishedText : QByteArray("an older song\r\n"));
    QVERIFY(ended);
}

void TestFinishDialog::targetThatCannotBeWrittenKeepsTheDialogOpen_data()
{
    QTest::addColumn<bool>("pipe"); // a pipe at the path; else a write that fails part-way
    QTest::newRow("a pipe where the file would go") << true;
    QTest::newRow("a write that fails part-way") << false;
}

void TestFinishDialog::targetThatCannotBeWrittenKeepsTheDialogOpen()
{
    QFETCH(bool, pipe);
    setDocument();
    // Larger than the file size the write may reach below.
    m_document->setHeaderText(QString(4000, u'h'));
    const QString target = m_home->path() + u"/files/song.txt"_s;
    if (pipe)
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    else
        writeBytes(target, "an older song\r\n");

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    std::optional<FileSizeLimit> limit;
    script.thenClick(u"Command3"_s);
    script.thenChoose(target);
    // Replace it? Yes; then the write fails.
    script.then([&](QWidget* w) {
        if (!pipe)
            limit.emplace(1000);
        auto* box = qobject_cast<QMessageBox*>(w);
        QMetaObject::invokeMethod(box->button(QMessageBox::Yes), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    script.then([&](QWidget* w) {
        limit.reset();
        auto* box = qobject_cast<QMessageBox*>(w);
        script.messages.append(
            {box->text(), box->windowTitle(), int(box->buttons().size()), {}, box->icon(), {}});
        box->button(QMessageBox::Ok)->click();
    });
    Seen back;
    thenNoteAndClose(script, back);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);
    limit.reset();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text,
             target + u" を保存できませんでした。\n別の名前か場所を選んでください。"_s);
    QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
    QCOMPARE(script.messages.at(0).buttons, 1);
    QVERIFY(back.visible);
    QVERIFY(!ended);
    QCOMPARE(QDir(m_home->path() + u"/files"_s)
                 .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{u"song.txt"_s});
    struct stat st = {};
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &st), 0);
    if (pipe)
        QVERIFY(S_ISFIFO(st.st_mode));
    else
        QCOMPARE(readBytes(target), QByteArray("an older song\r\n"));
    // The dialog keeps the name chosen: the next try starts from it.
    QCOMPARE(m_document->fileName(), target);
}

void TestFinishDialog::escapeKeepsTheDialogAndTheStamps()
{
    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    bool openAfterEscape = false;
    script.then([&](QWidget* w) {
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
        openAfterEscape = w->isVisible();
        QMetaObject::invokeMethod(w->findChild<QPushButton*>(u"Command1"_s), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(openAfterEscape);
    QCOMPARE(readBytes(work().tagFile()), kRowTags);
    QVERIFY(ended);
}

void TestFinishDialog::lrcFileOfTheRun_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<ExactTimes>("exact");
    // After the button: yes, no, choose, enhanced (chosen with that filter),
    // tip (the lyrics opened from an LRC file with an [offset:]: the save
    // dialog's tip noted, then chosen), cancel.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("question"); // empty: none asked
    QTest::addColumn<QByteArray>("lrc");   // empty: no file written

    const QString question =
        u"タイムが入っていない歌詞が 1 行あります。このままLRCファイルを作成しますか？"_s;
    const QByteArray head = "[ti:"
                            "\xE6\xAD\x8C\xE3\x81\xAE\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88\xE3\x83"
                            "\xAB]\n"                         // 歌のタイトル
                            "[ar:\xE4\xBD\x9C\xE8\x80\x85]\n" // 作者
                            "[length:04:00]\n"                // the track's
                            "[re:Verselet]\n"
                            "[00:00.00]\xE5\x89\x8D\xE5\xA5\x8F\n";    // 前奏
    const QByteArray line1 = "\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE\n"; // 一行目
    const QByteArray line2 = "\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE\n"; // 二行目
    const ExactTimes stamped{std::nullopt, 65432, std::nullopt};

    QTest::newRow("a line without a time, はい")
        << kRows << stamped << QStringList{u"yes"_s, u"choose"_s} << question
        << head + "[01:05.43]" + line1;
    QTest::newRow("every line timed: no question")
        << QStringList{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s}
        << ExactTimes{std::nullopt, 65432, 120999} << QStringList{u"choose"_s} << QString()
        << head + "[01:05.43]" + line1 + "[02:00.99]" + line2;
    QTest::newRow("enhanced: the first line word by word, the second as a whole")
        << QStringList{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s}
        << ExactTimes{std::nullopt, 65432, 120999} << QStringList{u"enhanced"_s} << QString()
        << QByteArray(head).replace("[00:00.00]", "[00:00.00]<00:00.00>") +
               "[01:05.43]<01:05.43>\xE4\xB8\x80<01:06.00>\xE8\xA1\x8C<01:06.50>\xE7\x9B\xAE<01:07."
               "00>\n" +
               "[02:00.99]<02:00.99>" + line2;
    QTest::newRow("no exact times: whole seconds")
        << QStringList{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s} << ExactTimes{}
        << QStringList{u"choose"_s} << QString()
        << head + "[01:05.00]" + line1 + "[02:00.00]" + line2;
    QTest::newRow("いいえ returns to the dialog")
        << kRows << stamped << QStringList{u"no"_s} << question << QByteArray();
    QTest::newRow("the save dialog cancelled")
        << kRows << stamped << QStringList{u"yes"_s, u"cancel"_s} << question << QByteArray();
    QTest::newRow("opened from an LRC file: its tags and milliseconds, its offset told of")
        << QStringList{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s}
        << ExactTimes{std::nullopt, 65432, 120999} << QStringList{u"tip"_s} << QString()
        << QByteArray(head)
                   .replace("[length:", "[by:x]\n[length:")
                   .replace("[00:00.00]", "[00:00.000]") +
               "[01:05.432]" + line1 + "[02:00.999]" + line2;
}

void TestFinishDialog::lrcFileOfTheRun()
{
    QFETCH(QStringList, rows);
    QFETCH(ExactTimes, exact);
    QFETCH(QStringList, steps);
    QFETCH(QString, question);
    QFETCH(QByteArray, lrc);

    setDocument();
    const QString kept = m_home->path() + u"/files/song.txt"_s;
    m_document->setFileName(kept);
    if (steps.contains(u"tip"_s)) {
        LyricsSnapshot opened = m_document->snapshot();
        opened.lrcOrigin = {{u"[by:x]"_s}, LrcPrecision::Milliseconds, false, true, {}};
        m_document->restore(opened);
    }
    const QString target = m_home->path() + u"/files/song.lrc"_s;
    QString tipShown;

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command4"_s);
    for (const QString& step : steps) {
        if (step == u"yes"_s)
            script.thenAnswer(QMessageBox::Yes);
        else if (step == u"no"_s)
            script.thenAnswer(QMessageBox::No);
        else if (step == u"choose"_s)
            script.thenChoose(target);
        else if (step == u"enhanced"_s)
            script.thenChoose(target, u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s);
        else if (step == u"tip"_s)
            script.then([&target, &tipShown](QWidget* w) {
                const auto* label = w->findChild<QLabel*>(u"OffsetTip"_s);
                tipShown = label && label->isVisible() ? label->text() : QString();
                chooseIn(qobject_cast<QFileDialog*>(w), target);
            });
        else
            script.thenCancel();
    }
    Seen back;
    if (lrc.isEmpty())
        thenNoteAndClose(script, back);
    // The first line was timed word by word; plain LRC leaves its words out.
    const LineWords words{u"一行目"_s, {0, 1, 2}, {65432, 66000, 66500}, 67000};
    TimingRows timed = TimedRows(rows, exact);
    timed[1] = TimingRow::fromListRow(rows.at(1), exact.value(1), words);
    const bool ended = RealtimeInput(run).runTiming(timed, nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), question.isEmpty() ? 0 : 1);
    if (!question.isEmpty()) {
        QCOMPARE(script.messages.at(0).text, question);
        QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
        QCOMPARE(script.messages.at(0).buttons, 2);
    }
    // The tags are saved first, whatever follows; the exact times with them.
    const QByteArray tags = "-------\r\n" + TagField(rows.at(1)).toLatin1() + "\r\n" +
                            TagField(rows.at(2)).toLatin1() + "\r\n";
    QCOMPARE(readBytes(work().tagFile()), tags);
    ExactTimes saved = exact;
    saved.resize(3);
    QCOMPARE(m_document->exactTimes(), saved);
    QCOMPARE(m_document->wordTimes().value(1), words);
    if (steps.contains(u"choose"_s) || steps.contains(u"enhanced"_s) ||
        steps.contains(u"cancel"_s)) {
        QCOMPARE(script.seen.mid(0, 2), (QStringList{u"Form3"_s, u"Form6"_s}));
        QCOMPARE(script.seen.last(lrc.isEmpty() ? 2 : 1).constFirst(), u"LrcDialog"_s);
        QCOMPARE(
            script.dialogFilters,
            (QStringList{u"LRCファイル (*.lrc)"_s, u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s,
                         u"ニコカラ歌詞テキスト (*.txt)"_s, u"SRT字幕 (*.srt)"_s,
                         u"WebVTT字幕 (*.vtt)"_s, u"ASSカラオケ字幕 (*.ass)"_s,
                         u"TTML歌詞 (*.ttml)"_s}));
        QCOMPARE(script.dialogNameShown, u"song.lrc"_s);
        QCOMPARE(script.dialogDirectory, QFileInfo(kept).absolutePath());
        QCOMPARE(script.dialogAcceptMode, QFileDialog::AcceptSave);
        QVERIFY(!script.dialogNative);
    }
    if (lrc.isEmpty()) {
        QVERIFY(back.visible);
        QCOMPARE(back.tags, tags);
        QVERIFY(!ended);
        QVERIFY(!QFile::exists(target));
    } else {
        QVERIFY(ended);
        QCOMPARE(readBytes(target), lrc);
    }
    if (steps.contains(u"tip"_s))
        QCOMPARE(tipShown,
                 u"開いたLRCファイルの [offset:] はタイムに含まれているため、書き出しません。"_s);
    // A dialog of its own: the editor's keeps its name.
    QCOMPARE(m_document->fileName(), kept);
}

void TestFinishDialog::lrcTargetThatCannotBeWrittenKeepsTheDialogOpen()
{
    setDocument();
    const QString target = m_home->path() + u"/files/song.lrc"_s;
    QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    const QStringList rows{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s};

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command4"_s);
    script.thenChoose(target);
    script.thenAnswer(QMessageBox::Yes); // replace it?
    script.thenMessage();
    Seen back;
    thenNoteAndClose(script, back);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(rows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages.at(1).text,
             target + u" を保存できませんでした。\n別の名前か場所を選んでください。"_s);
    QVERIFY(back.visible);
    QVERIFY(!ended);
    struct stat st = {};
    QCOMPARE(::lstat(QFile::encodeName(target).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

void TestFinishDialog::karaokeTextOfTheRun()
{
    setDocument();
    m_document->setFileName(m_home->path() + u"/files/song.txt"_s);
    // The name offered ends in .lrc and the filter makes it .txt; a name
    // typed without an extension gets the filter's.
    const QString target = m_home->path() + u"/files/karaoke.txt"_s;
    QString tipShown;
    QString nameShown;

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command4"_s);
    script.then([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        const auto* label = w->findChild<QLabel*>(u"ReadingTip"_s);
        tipShown = label && label->isVisible() ? label->text() : QString();
        dialog->selectNameFilter(u"ニコカラ歌詞テキスト (*.txt)"_s);
        auto* name = w->findChild<QLineEdit*>(u"fileNameEdit"_s);
        nameShown = name->text();
        name->setText(u"karaoke"_s);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    // The first line's 一 read いち, a mora each.
    const QStringList rows{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s};
    TimingRows timed = TimedRows(rows, {std::nullopt, 65430, 120000});
    timed[1] = TimingRow::fromListRow(
        rows.at(1), 65430,
        {u"一行目"_s, {0, 1, 2}, {65430, 65800, 66000, 66500}, 67000, {{0, 1, u"いち"_s, {0, 1}}}});
    const bool ended = RealtimeInput(run).runTiming(timed, nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    QVERIFY(ended);
    QCOMPARE(tipShown,
             u"拡張LRCには読みがなを書く場所がないため、読みがなのある語は読みの最初のタイムで"
             u"一語として書き出します。読みがなはニコカラ歌詞テキストに書き出せます。"_s);
    QCOMPARE(nameShown, u"song.txt"_s);
    // 歌のタイトル, 作者, 前奏, 一, 行, 目, 二行目, いち.
    QCOMPARE(readBytes(target),
             "[00:00:00]\xE5\x89\x8D\xE5\xA5\x8F\r\n"
             "[01:05:43]\xE4\xB8\x80[01:06:00]\xE8\xA1\x8C[01:06:50]\xE7\x9B\xAE[01:07:00]\r\n"
             "[02:00:00]\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE\r\n\r\n"
             "@Title=\xE6\xAD\x8C\xE3\x81\xAE\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88\xE3\x83\xAB\r\n"
             "@Artist=\xE4\xBD\x9C\xE8\x80\x85\r\n"
             "@Ruby1=\xE4\xB8\x80,\xE3\x81\x84[01:05:80]\xE3\x81\xA1\r\n"_ba);
    QCOMPARE(QDir(m_home->path() + u"/files"_s).entryList(QDir::Files),
             QStringList{u"karaoke.txt"_s});
}

void TestFinishDialog::subtitleFormsOfTheRun_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("name"); // the name the typed "song" gets
    QTest::addColumn<QByteArray>("begins");

    // 前奏 at 0 to the first line at 1:05.432.
    QTest::newRow("SRT") << u"SRT字幕 (*.srt)"_s << u"song.srt"_s
                         << "1\r\n00:00:00,000 --> 00:01:05,432\r\n\xE5\x89\x8D\xE5\xA5\x8F\r\n"_ba;
    QTest::newRow("WebVTT") << u"WebVTT字幕 (*.vtt)"_s << u"song.vtt"_s << "WEBVTT\n"_ba;
    QTest::newRow("ASS") << u"ASSカラオケ字幕 (*.ass)"_s << u"song.ass"_s << "[Script Info]\r\n"_ba;
    QTest::newRow("TTML") << u"TTML歌詞 (*.ttml)"_s << u"song.ttml"_s << "<?xml"_ba;
}

void TestFinishDialog::subtitleFormsOfTheRun()
{
    QFETCH(QString, filter);
    QFETCH(QString, name);
    QFETCH(QByteArray, begins);
    setDocument();
    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command4"_s);
    QString tipShown;
    script.then([&](QWidget* w) {
        const auto* tip = w->findChild<QLabel*>(u"FormsTip"_s);
        tipShown = tip && tip->isVisible() ? tip->text() : QString();
        qobject_cast<QFileDialog*>(w)->selectNameFilter(filter);
        w->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(m_home->path() + u"/files/song"_s);
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    });
    const QStringList rows{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s};
    QVERIFY(RealtimeInput(run).runTiming(TimedRows(rows, {std::nullopt, 65432, 120999}), nullptr));
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(tipShown.contains(u"SRT字幕は行の時刻と終わりの時刻だけ"_s));
    const QByteArray written = readBytes(m_home->path() + u"/files/"_s + name);
    QVERIFY2(written.startsWith(begins), written.left(200).constData());
    // The lines and their times, whatever the form.
    QVERIFY(written.contains("\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE")); // 二行目
}

void TestFinishDialog::lyricsGoIntoTheTimedAudioFile_data()
{
    QTest::addColumn<QString>("track"); // the timed track: "file", "changed" since read, "cd"
    QTest::addColumn<QString>("old");   // lyrics the file holds before
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("message"); // the first message shown, in part; %1: the file
    QTest::addColumn<bool>("written");

    QTest::newRow("into the file and beside it")
        << u"file"_s << QString() << QStringList() << QString() << true;
    QTest::newRow("lyrics there are shown first; はい replaces them")
        << u"file"_s << u"[00:01.00]古い歌詞"_s << QStringList{u"yes"_s} << u"古い歌詞"_s << true;
    QTest::newRow("いいえ keeps them")
        << u"file"_s << u"[00:01.00]古い歌詞"_s << QStringList{u"no"_s} << u"古い歌詞"_s << false;
    QTest::newRow("a CD's track") << u"cd"_s << QString() << QStringList{u"ok"_s}
                                  << u"この曲は音楽ファイルではないため"_s << false;
    QTest::newRow("a file changed since the disc was read")
        << u"changed"_s << QString() << QStringList{u"ok"_s}
        << u"%1 はディスクを読み込んだ後に変更されています。"_s << false;
}

void TestFinishDialog::lyricsGoIntoTheTimedAudioFile()
{
    QFETCH(QString, track);
    QFETCH(QString, old);
    QFETCH(QStringList, steps);
    QFETCH(QString, message);
    QFETCH(bool, written);

    setDocument();
    const QString song = m_home->path() + u"/files/song.wav"_s;
    const QString sidecar = m_home->path() + u"/files/song.lrc"_s;
    QVERIFY(fixtures::writeAudio(song, 44100, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    if (!old.isEmpty())
        QVERIFY(WriteLyricsIntoFile(song, {old, {}, old}, StampOf(song)).ok());
    const QByteArray before = readBytes(song);
    TrackTags tags;
    tags.album = u"盤"_s;
    if (track != u"cd"_s) {
        const FileStamp stamp = StampOf(song);
        tags.file = song;
        tags.fileSize = stamp.size + (track == u"changed"_s ? 1 : 0);
        tags.fileModified = stamp.modified;
    }

    RealtimeContext run = context();
    run.makeDevice = [tags] {
        auto device = std::make_unique<ScriptedDevice>(QList<qint32>{240000});
        device->tags = {tags};
        return device;
    };
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(u"Command5"_s);
    for (const QString& step : steps)
        script.thenAnswer(step == u"yes"_s  ? QMessageBox::Yes
                          : step == u"no"_s ? QMessageBox::No
                                            : QMessageBox::Ok);
    Seen back;
    if (!written)
        thenNoteAndClose(script, back);
    const QStringList rows{kRows.at(0), kRows.at(1), u"[02:00]二行目"_s};
    const bool ended =
        RealtimeInput(run).runTiming(TimedRows(rows, {std::nullopt, 65432, 120999}), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), steps.size());
    if (!message.isEmpty())
        QVERIFY2(script.messages.at(0).text.contains(message.arg(song)),
                 qPrintable(script.messages.at(0).text));
    QCOMPARE(ended, written);
    QVERIFY(back.visible != written);
    // The header's title and artist, the track's album and length.
    const QByteArray lrc = "[ti:\xE6\xAD\x8C\xE3\x81\xAE\xE3\x82\xBF\xE3\x82\xA4\xE3\x83\x88"
                           "\xE3\x83\xAB]\n[ar:\xE4\xBD\x9C\xE8\x80\x85]\n[al:\xE7\x9B\xA4]\n"
                           "[length:04:00]\n[re:Verselet]\n[00:00.00]\xE5\x89\x8D\xE5\xA5\x8F\n"
                           "[01:05.43]\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE\n"
                           "[02:00.99]\xE4\xBA\x8C\xE8\xA1\x8C\xE7\x9B\xAE\n";
    if (written) {
        QCOMPARE(LyricsInFile(song), QString::fromUtf8(lrc));
        QCOMPARE(readBytes(sidecar), lrc);
    } else {
        QCOMPARE(readBytes(song), before);
        QVERIFY(!QFile::exists(sidecar));
    }
}

void TestFinishDialog::failureBeforeTheSaveDialogKeepsTheDialogOpen_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("folderAt"); // a work file with a folder in its place
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("message"); // %1: the work folder
    QTest::addColumn<bool>("tagsSaved");

    const QString body = QString(35, u'-') + u"\r\n一行目\r\n二行目"_s;
    QTest::newRow("tag file, 編集を保存してもどる")
        << u"Command1"_s << u"left.tmp"_s << QString() << body
        << u"タグファイル %1/left.tmp を保存できませんでした。"_s << false;
    QTest::newRow("tag file, 歌詞テキストを作成する")
        << u"Command3"_s << u"left.tmp"_s << QString() << body
        << u"タグファイル %1/left.tmp を保存できませんでした。"_s << false;
    QTest::newRow("text file") << u"Command3"_s << u"rigth.tmp"_s << QString() << body
                               << u"%1/rigth.tmptは保存できませんでした\n"
                                  u"空き容量がたりないのか、書き込み禁止の可能性があります"_s
                               << true;
    QTest::newRow("staging file") << u"Command3"_s << u"zem.tmp"_s << QString() << body
                                  << u"作業ファイル %1/zem.tmp を保存できませんでした。"_s << true;
    // A character that cannot be written is named where the editor shows it.
    QTest::newRow("hangul in the header")
        << u"Command3"_s << QString() << u"title\r\nby \uD55C"_s << body
        << u"作成者・タイトル欄の2行目の4文字目「\uD55C」(U+D55C)はShift-"
           u"JISで保存できない文字です。\n"
           u"別の文字に置き換えてから、もう一度お試しください。"_s
        << true;
    QTest::newRow("emoji in the body")
        << u"Command3"_s << QString() << QString() << QString(35, u'-') + u"\r\n一行目\U0001F3B5"_s
        << u"歌詞の2行目の4文字目「\U0001F3B5」(U+1F3B5)はShift-JISで保存できない文字です。\n"
           u"別の文字に置き換えてから、もう一度お試しください。"_s
        << true;
}

void TestFinishDialog::failureBeforeTheSaveDialogKeepsTheDialogOpen()
{
    QFETCH(QString, button);
    QFETCH(QString, folderAt);
    QFETCH(QString, header);
    QFETCH(QString, body);
    QFETCH(QString, message);
    QFETCH(bool, tagsSaved);
    m_document->setHeaderText(header);
    m_document->setBodyText(body);
    const QString zem = work().path();
    if (!folderAt.isEmpty()) {
        QFile::remove(zem + u'/' + folderAt);
        QVERIFY(QDir().mkdir(zem + u'/' + folderAt));
    }

    RealtimeContext run = context();
    ModalScript script;
    script.thenClose(); // the timing window
    script.thenClick(button);
    script.thenMessage();
    Seen back;
    thenNoteAndClose(script, back);
    const bool ended = RealtimeInput(run).runTiming(TimingRowsFromList(kRows), nullptr);

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    // No save dialog: the message, then the finish dialog again.
    QCOMPARE(script.seen, (QStringList{u"Form3"_s, u"Form6"_s, QString(), u"Form6"_s}));
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, QString(message).replace(u"%1"_s, zem));
    QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
    QVERIFY(back.visible);
    QCOMPARE(back.cursor, Qt::ArrowCursor);
    QVERIFY(!ended);
    if (folderAt != u"left.tmp"_s)
        QCOMPARE(readBytes(work().tagFile()), tagsSaved ? kRowTags : tagTemplateBytes());
    // Without this run's tags no text is made from the old ones.
    if (!tagsSaved)
        QVERIFY(!QFile::exists(work().textFile()));
    QVERIFY(!QFile::exists(work().stagingFile()) || folderAt == u"zem.tmp"_s);
}

QTEST_MAIN(TestFinishDialog)
#include "tst_finishdialog.moc"
