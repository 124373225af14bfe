#include "app/mainwindow.h"
#include "app/statusline.h"
#include "workfiles/workfiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace testmodal;

namespace {

const QString kHyphens35(35, u'-');

QByteArray withFillers(QByteArray tags)
{
    for (int i = 0; i < 224; ++i)
        tags += "[--:--]\r\n";
    return tags;
}

struct MenuEntry
{
    QString name;
    QString caption;
    bool separator;
    bool enabled;
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

QList<MenuEntry> entries(const QList<QAction*>& actions)
{
    QList<MenuEntry> list;
    for (QAction* a : actions)
        list.append({a->objectName(), a->isSeparator() ? QString() : a->text(), a->isSeparator(),
                     a->isEnabled()});
    return list;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUpEmptiesTheWorkFolderAndShowsANewDocument();
    void secondCopyIsRefusedWithoutTouchingTheWorkFolder();
    void unwritableTagTemplateEndsTheProgram();
    void cacheFolderThatCannotBeMadeEndsTheProgram();
    void menuHasEveryItemInOrder();
    void widgetsHaveTheirPlacesFontsAndTips();
    void tabGoesFromBodyToHeaderToStart();
    void resizingFollowsTheWindow();
    void openTimedFileThroughTheDialog();
    void openPlainUtf8FileWithLfLineEnds();
    void sixDigitFileOpensAsKaraokeTextWithoutAMessage();
    void cancelledDialogLeavesEverything();
    void lrcFileOpensWithItsTimesAndKeepsATextName();
    void subtitleFilesOpenAndSayOnceWhatWasDropped_data();
    void subtitleFilesOpenAndSayOnceWhatWasDropped();
    void incompleteTimedFilesShowWhatWasRead();
    void badFilesGetAClearOutcome_data();
    void badFilesGetAClearOutcome();
    void aFileThatDoesNotReadCleanlyIsAskedAbout_data();
    void aFileThatDoesNotReadCleanlyIsAskedAbout();
    void encodingChosenInTheOpenDialogReadsTheFile();
    void filesFromOtherSystemsOpenLineForLine_data();
    void filesFromOtherSystemsOpenLineForLine();
    void anOpenThatCannotWriteItsTagsChangesNothing_data();
    void anOpenThatCannotWriteItsTagsChangesNothing();
    void modelAfterLoadEqualsModelAfterUndoneEdit();
    void newAfterOpenRestoresTheEmptyDocument();
    void realTimeInputListsTheLines();
    void realTimeInputRefusesWhatItCannotWrite();
    void endAndCloseLeaveTheWorkFolder();
    void screenshot();

private:
    QString root() const { return m_home->root; }
    QString zem() const { return root() + u"/zem"_s; }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_files->filePath(name);
        writeBytes(path, bytes);
        return path;
    }

    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<QTemporaryDir> m_files;
};

void TestMainWindow::init()
{
    m_home = std::make_unique<WorkArea>();
    m_files = std::make_unique<QTemporaryDir>();
}

void TestMainWindow::cleanup()
{
    m_home.reset();
    m_files.reset();
}

void TestMainWindow::startUpEmptiesTheWorkFolderAndShowsANewDocument()
{
    QVERIFY(QDir().mkpath(zem() + u"/sub"_s));
    writeBytes(zem() + u"/rigth.tmp"_s, "old");
    writeBytes(zem() + u"/zem.tmp"_s, "old");
    writeBytes(zem() + u"/left.tmp"_s, "old");
    writeBytes(zem() + u"/other"_s, "old");
    writeBytes(zem() + u"/sub/kept"_s, "kept");

    MainWindow w;
    QVERIFY(w.Form_Load());
    QCOMPARE(w.state().Work.tempRoot(), root());
    QCOMPARE(QDir(zem()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{u"left.tmp"_s, u"sub"_s}));
    QCOMPARE(readBytes(zem() + u"/left.tmp"_s), tagTemplateBytes());
    QCOMPARE(readBytes(zem() + u"/sub/kept"_s), QByteArray("kept"));
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFileInfo(root()).permissions() & (owner | others), owner);

    QCOMPARE(w.objectName(), u"Form1"_s);
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35);
    QCOMPARE(w.document().headerText(), QString());
    QCOMPARE(w.document().startText(), QString());
    QCOMPARE(w.RememberedTrackIndex(), u"0"_s);
    QVERIFY(named<QLabel>(w, "Label1")->isHidden());
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.focusWidget(), named<QPlainTextEdit>(w, "Text1"));
    QCOMPARE(w.exitCode(), 0);
}

void TestMainWindow::secondCopyIsRefusedWithoutTouchingTheWorkFolder()
{
    QVERIFY(QDir().mkpath(zem()));
    writeBytes(zem() + u"/rigth.tmp"_s, "running copy's");
    QLockFile running(m_home->cacheFolder() + u"/verselet.lock"_s);
    QVERIFY(running.tryLock(0));

    ModalScript script;
    script.thenMessage();
    MainWindow w;
    QVERIFY(!w.Form_Load());
    QVERIFY(w.exitCode() != 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, u"＠は既にに起動されています。"_s);
    QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
    QCOMPARE(script.messages.at(0).buttons, 1);
    QCOMPARE(readBytes(zem() + u"/rigth.tmp"_s), QByteArray("running copy's"));
    QVERIFY(!QFile::exists(zem() + u"/left.tmp"_s));
    QVERIFY(w.state().Work.tempRoot().isEmpty());
}

void TestMainWindow::unwritableTagTemplateEndsTheProgram()
{
    // A file where TempRoot should be: nothing can be created below it, even
    // for root.
    QVERIFY(QDir(root()).removeRecursively());
    writeBytes(root(), "not a folder");

    ModalScript script;
    script.thenMessage();
    MainWindow w;
    QVERIFY(!w.Form_Load());
    QVERIFY(w.exitCode() != 0);
    QCOMPARE(script.messages.size(), 1);
    QVERIFY2(script.messages.at(0).text.contains(zem()), qPrintable(script.messages.at(0).text));
    QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
}

void TestMainWindow::cacheFolderThatCannotBeMadeEndsTheProgram()
{
    // The cache folder lies below a file: neither the lock nor the work
    // folder can be made. That is no other running copy.
    const QString blocked = m_home->filePath(u"blocked"_s);
    writeBytes(blocked, "a file");
    qputenv("XDG_CACHE_HOME", blocked.toLocal8Bit());
    ModalScript script;
    script.thenMessage();
    MainWindow w;
    QVERIFY(!w.Form_Load());
    QVERIFY(w.exitCode() != 0);
    QCOMPARE(script.messages.size(), 1);
    QVERIFY2(script.messages.at(0).text.contains(blocked + u"/verselet/temp/zem"_s),
             qPrintable(script.messages.at(0).text));
    QCOMPARE(readBytes(blocked), QByteArray("a file"));
}

void TestMainWindow::menuHasEveryItemInOrder()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    QCOMPARE(entries(w.menuBar()->actions()),
             (QList<MenuEntry>{{u"ファイル"_s, u"ﾌｧｲﾙ(&F)"_s, false, true},
                               {u"歌詞"_s, u"歌詞"_s, false, true},
                               {u"HELP"_s, u"ﾍﾙﾌﾟ(&H)"_s, false, true}}));
    QCOMPARE(entries(w.findChild<QMenu*>(u"ファイル"_s)->actions()),
             (QList<MenuEntry>{{u"新規作成"_s, u"新規作成（&N)"_s, false, true},
                               {u"開く"_s, u"開(&O)..."_s, false, true},
                               {u"最近使ったファイル"_s, u"最近使ったファイル(&R)"_s, false, true},
                               {u"上書き保存"_s, u"上書き保存(&S)"_s, false, true},
                               {u"名前を付けて保存"_s, u"名前を付けて保存(&A)"_s, false, true},
                               {u"線"_s, QString(), true, true},
                               {u"設定"_s, u"設定"_s, false, true},
                               {u"ティ"_s, QString(), true, true},
                               {u"終了"_s, u"終了"_s, false, true}}));
    QCOMPARE(entries(w.findChild<QMenu*>(u"歌詞"_s)->actions()),
             (QList<MenuEntry>{{u"リアルタイム入力"_s, u"リアルタイム入力"_s, false, true}}));
    QCOMPARE(entries(w.findChild<QMenu*>(u"HELP"_s)->actions()),
             (QList<MenuEntry>{{u"ヘルプ"_s, u"Verseletヘルプ"_s, false, true},
                               {u"バージョン情報"_s, u"ﾊﾞｰｼﾞｮﾝ情報(&A)"_s, false, true}}));
}

void TestMainWindow::widgetsHaveTheirPlacesFontsAndTips()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(w.findChild<QPlainTextEdit*>(u"Text1"_s), named<QPlainTextEdit>(w, "Text1"));
    QCOMPARE(w.findChild<QPlainTextEdit*>(u"Text2"_s), named<QPlainTextEdit>(w, "Text2"));
    QCOMPARE(w.findChild<QLineEdit*>(u"Text3"_s), named<QLineEdit>(w, "Text3"));
    QCOMPARE(w.findChild<QLabel*>(u"Label1"_s), named<QLabel>(w, "Label1"));

    // The client area opens 8250 x 6000 twips.
    QCOMPARE(w.centralWidget()->size(), QSize(550, 400));
    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->pos(), QPoint(0, 0));
    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->height(), 105);
    QCOMPARE(named<QLineEdit>(w, "Text3")->geometry(), QRect(72, 112, 393, 22));
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->pos(), QPoint(0, 136));
    QCOMPARE(named<QLabel>(w, "Label1")->geometry(), QRect(472, 112, 73, 25));

    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->font().pointSizeF(), 13.5);
    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->font().pointSizeF(), 13.5);
    QCOMPARE(named<QLineEdit>(w, "Text3")->font().pointSizeF(), 11.25);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->font().family(), u"Noto Sans Mono CJK JP"_s);
    QCOMPARE(named<QLineEdit>(w, "Text3")->font().family(), u"Noto Sans CJK JP"_s);
    QCOMPARE(QFontInfo(named<QPlainTextEdit>(w, "Text1")->font()).family(),
             u"Noto Sans Mono CJK JP"_s);

    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->toolTip(),
             u"歌詞の作成者やタイトルなどを入力します"_s);
    QCOMPARE(named<QLineEdit>(w, "Text3")->toolTip(),
             u"[00:00]のときに表示させたい文字を入力します"_s);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->toolTip(), u"歌詞を入力します"_s);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void TestMainWindow::tabGoesFromBodyToHeaderToStart()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(QApplication::focusWidget(), named<QPlainTextEdit>(w, "Text1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named<QPlainTextEdit>(w, "Text2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), named<QLineEdit>(w, "Text3"));
    // Tab moves on; it does not go into the text.
    QCOMPARE(w.document().bodyText(), kHyphens35);
    QCOMPARE(w.document().headerText(), QString());
}

void TestMainWindow::resizingFollowsTheWindow()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // The rule counts the outer size, frame included.
    const QSize frame = w.frameGeometry().size() - w.size();
    w.resize(QSize(900, 700) - frame);
    QTRY_COMPARE(w.frameGeometry().size(), QSize(900, 700));
    // The status line below the boxes is not counted.
    const int statusLine = w.statusBar()->height();
    QVERIFY(statusLine > 0);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->size(), QSize(892, 520 - statusLine));
    QCOMPARE(named<QPlainTextEdit>(w, "Text2")->size(), QSize(892, 105));
    QCOMPARE(named<QLineEdit>(w, "Text3")->geometry(), QRect(72, 112, 393, 22));

    // Dragging the lower edge up stops at 4300 twips; the body is then 1605
    // twips (107 px) high.
    w.resize(900 - frame.width(), 120);
    QTRY_COMPARE(w.frameGeometry().height(), 287 + statusLine);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->size(), QSize(892, 107));

    // A minimized window changes nothing.
    const QSize before = named<QPlainTextEdit>(w, "Text1")->size();
    w.setWindowState(Qt::WindowMinimized);
    QVERIFY(w.isMinimized());
    w.resize(1000, 800);
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->size(), before);
}

void TestMainWindow::openTimedFileThroughTheDialog()
{
    const QByteArray file = "\x89\xCC\x82\xCC\x83\x5E\x83\x43\x83\x67\x83\x8B\r\n" // 歌のタイトル
                            "[00:00]\x91\x4F\x91\x74\r\n"                          // 前奏
                            "\r\n"
                            "------------------------------------------\r\n"
                            "[00:05]\x88\xEA\x8D\x73\x96\xDA\r\n" // 一行目
                            "[--:--]\x81\x60\r\n"                 // ～
                            "-----------------------------------\r\n";
    const QString path = writeFile(u"timed.txt"_s, file);

    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenChoose(path);
    w.findChild<QAction*>(u"開く"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    // Every form the program reads first, then one per form, then all files.
    QCOMPARE(script.dialogFilters,
             (QStringList{u"歌詞ファイル (*.txt *.lrc)"_s, u"ﾃｷｽﾄ文書 (*txt)"_s,
                          u"LRCファイル (*.lrc)"_s, u"すべてのファイル (*)"_s}));
    QVERIFY(!script.dialogNative);

    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().headerText(), u"歌のタイトル"_s);
    QCOMPARE(w.document().startText(), u"前奏"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n一行目\r\n～\r\n"_s + QString(28, u'-'));
    QCOMPARE(named<QPlainTextEdit>(w, "Text1")->toPlainText(),
             kHyphens35 + u"\n一行目\n～\n"_s + QString(28, u'-'));
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()),
             withFillers("-------\r\n[00:05]\r\n[--:--]\r\n-------\r\n"));
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    QVERIFY(script.messages.isEmpty());

    // The dialog offers the same file the next time.
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.dialogNameShown, u"timed.txt"_s);
    QCOMPARE(script.dialogDirectory, QFileInfo(path).absolutePath());
    QCOMPARE(w.document().fileName(), path);
}

void TestMainWindow::openPlainUtf8FileWithLfLineEnds()
{
    const QString path = writeFile(u"plain.txt"_s, "春の風\n夏の空\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.document().setHeaderText(u"old header"_s);
    ModalScript script;
    script.thenAnswer(QMessageBox::Yes); // the old header may go
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n春の風\r\n夏の空\r\n"_s);
    QCOMPARE(w.document().headerText(), QString());
    QCOMPARE(w.document().startText(), QString());
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), tagTemplateBytes());
    QCOMPARE(script.messages.size(), 1);
}

void TestMainWindow::sixDigitFileOpensAsKaraokeTextWithoutAMessage()
{
    // A karaoke text: a line without a tag is a line without a time, a line
    // at zero that is not the first a line of the body.
    const QString path = writeFile(u"six.txt"_s, "title\r\n[00:00:00]intro\r\n[01:02:03]line\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\ntitle\r\nintro\r\nline"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()),
             withFillers("-------\r\n[--:--]\r\n[00:00]\r\n[01:02]\r\n"));
    QCOMPARE(w.document().exactTimes(), (ExactTimes{std::nullopt, std::nullopt, 0, 62030}));
    QCOMPARE(w.statusLine()->kindText(), u"ニコカラ歌詞テキスト（Shift-JIS）"_s);
}

void TestMainWindow::subtitleFilesOpenAndSayOnceWhatWasDropped_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("dropped"); // what the one message lists; empty: no message
    QTest::newRow("SRT") << u"song.srt"_s
                         << "1\r\n00:00:01,000 --> 00:00:02,000\r\n一行目\r\n\r\n"
                            "2\r\n00:00:02,040 --> 00:00:03,500\r\nsecond\r\n"_ba
                         << u"SRT字幕（UTF-8）"_s << u"一行目\r\nsecond"_s << QString();
    QTest::newRow("ASS with a style and a position")
        << u"song.ass"_s
        << "[Script Info]\nScriptType: v4.00+\n[V4+ Styles]\nStyle: Default,Arial,20\n"
           "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
           "Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\pos(1,2)}一行目\n"
           "Dialogue: 0,0:00:04.00,0:00:05.00,Default,,0,0,0,,second\n"_ba
        << u"ASS字幕（UTF-8）"_s << u"一行目\r\n\r\nsecond"_s
        << u"スタイル（フォントや色）、表示位置"_s;
}

void TestMainWindow::subtitleFilesOpenAndSayOnceWhatWasDropped()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, kind);
    QFETCH(QString, body);
    QFETCH(QString, dropped);
    const QString path = writeFile(name, bytes);
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenChoose(path);
    if (!dropped.isEmpty())
        script.thenMessage();
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), dropped.isEmpty() ? 0 : 1);
    if (!dropped.isEmpty())
        QVERIFY2(script.messages.at(0).text.endsWith(dropped),
                 qPrintable(script.messages.at(0).text));
    QCOMPARE(w.statusLine()->kindText(), kind);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n"_s + body);
}

void TestMainWindow::lrcFileOpensWithItsTimesAndKeepsATextName()
{
    // [mm:ss:xx] is LRC's own: no six-digit warning for an .lrc file.
    const QString path =
        writeFile(u"six.LRC"_s, "[ti:Title]\r\ntitle\r\n[00:00:00]intro\r\n[01:02:03]line\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().headerText(), u"Title"_s);
    QCOMPARE(w.document().startText(), u"intro"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\nline"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), withFillers("-------\r\n[01:02]\r\n"));
    QCOMPARE(w.document().exactTimes(), (ExactTimes{std::nullopt, 62030}));
    // A text saved from it goes beside it, under the text filter.
    const QString dir = QFileInfo(path).absolutePath();
    QCOMPARE(w.document().fileName(), dir + u"/six.txt"_s);
    QCOMPARE(named<QFileDialog>(w, "CommonDialog1")->nameFilters(),
             QStringList{u"ﾃｷｽﾄ文書 (*txt)"_s});

    // A file with no time in it is no LRC file: the document stays.
    const QString words = writeFile(u"words.lrc"_s, "[ti:Other]\r\nno times here\r\n");
    script.thenChoose(words);
    script.thenMessage();
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, u"このファイルは開けません\n"_s + words +
                                             u"\n時間のタグ（[mm:ss.xx]）のある行がありません。"_s);
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().headerText(), u"Title"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\nline"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), withFillers("-------\r\n[01:02]\r\n"));
    QCOMPARE(w.document().exactTimes(), (ExactTimes{std::nullopt, 62030}));
    QCOMPARE(w.document().fileName(), dir + u"/six.txt"_s);
}

void TestMainWindow::cancelledDialogLeavesEverything()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.document().setHeaderText(u"作詞者"_s);
    w.document().setStartText(u"はじまり"_s);
    w.document().setBodyText(kHyphens35 + u"\r\n書きかけの歌詞"_s);
    writeBytes(WorkFolder(root()).tagFile(), "[00:01]\r\n");
    ModalScript script;
    script.thenAnswer(QMessageBox::Yes); // the typing may go, for a file chosen
    script.thenCancel();
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
    QCOMPARE(w.document().headerText(), u"作詞者"_s);
    QCOMPARE(w.document().startText(), u"はじまり"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n書きかけの歌詞"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), QByteArray("[00:01]\r\n"));
    QCOMPARE(script.messages.size(), 1);
}

void TestMainWindow::incompleteTimedFilesShowWhatWasRead()
{
    MainWindow w;
    QVERIFY(w.Form_Load());

    // No separator line: nothing reaches the body.
    const QString noBody = writeFile(u"nobody.txt"_s, "title\r\n[00:00]start\r\n[00:05]a\r\n");
    ModalScript script;
    script.thenMessage();
    w.LoadLyricsFile(noBody);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text,
             u"このファイルは開けません\n"_s + noBody + u"\n「-------」で始まる行がありません。"_s);
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + noBody);
    QCOMPARE(w.document().headerText(), u"title\r\n"_s);
    QCOMPARE(w.document().startText(), u"start"_s);
    QCOMPARE(w.document().bodyText(), QString());
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), withFillers(""));

    // No header line: the body is read and trimmed, then the load fails.
    const QString noHeader =
        writeFile(u"noheader.txt"_s, "[00:00]s\r\n\r\n-------x\r\n[00:01]y\r\n");
    script.thenMessage();
    w.LoadLyricsFile(noHeader);
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages.at(1).text,
             u"このファイルは開けません\n"_s + noHeader +
                 u"\n[00:00]の行の前に、タイトルなどの行がありません。"_s);
    QCOMPARE(w.document().headerText(), QString());
    QCOMPARE(w.document().startText(), u"s"_s);
    QCOMPARE(w.document().bodyText(), u"x\r\ny"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), withFillers("-------\r\n[00:01]\r\n"));
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::badFilesGetAClearOutcome_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("body"); // for a refused file, why it is refused
    QTest::newRow("binary content")
        << u"song.mp3.txt"_s << QByteArray("ID3\x03\0\0\0\x0f\x76", 9) << false
        << u"1行目にNULバイトがあります。テキストファイルではありません。"_s;
    QTest::newRow("zero bytes") << u"empty.txt"_s << QByteArray() << true << kHyphens35 + u"\r\n"_s;
    QTest::newRow("one line of a megabyte") << u"long.txt"_s << QByteArray(1 << 20, 'a') << true
                                            << kHyphens35 + u"\r\n"_s + QString(1 << 20, u'a');
    QTest::newRow("a folder")
        << u"folder.txt"_s << QByteArray() << false
        << u"ファイルを読み込めません。フォルダや装置であるか、読む権限がありません。"_s;
    QTest::newRow("missing file") << u"missing.txt"_s << QByteArray() << false
                                  << u"ファイルが見つかりません。"_s;
    QTest::newRow("over 16 MiB") << u"huge.txt"_s << QByteArray() << false
                                 << u"ファイルが大きすぎます（16 MiBまで）。"_s;
}

void TestMainWindow::badFilesGetAClearOutcome()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, opens);
    QFETCH(QString, body);

    const QString path = m_files->filePath(name);
    if (name == u"folder.txt"_s) {
        QVERIFY(QDir().mkpath(path));
    } else if (name == u"huge.txt"_s) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(50 * 1000 * 1000));
    } else if (name != u"missing.txt"_s) {
        writeBytes(path, bytes);
    }

    MainWindow w;
    QVERIFY(w.Form_Load());
    const QString before = kHyphens35 + u"\r\nまだ保存していない歌詞"_s;
    w.document().setBodyText(before);
    ModalScript script;
    if (!opens)
        script.thenMessage();
    w.openFile(path);
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
    if (opens) {
        QVERIFY(script.messages.isEmpty());
        QCOMPARE(w.document().bodyText(), body);
        QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
        QCOMPARE(w.document().fileName(), path);
    } else {
        // Nothing was read, so nothing of the document is lost, nor the name
        // it is saved under: the file refused is never offered for replacing.
        QCOMPARE(script.messages.size(), 1);
        QCOMPARE(script.messages.at(0).text, u"このファイルは開けません\n"_s + path + u'\n' + body);
        QCOMPARE(w.document().bodyText(), before);
        QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
        QCOMPARE(readBytes(WorkFolder(root()).tagFile()), tagTemplateBytes());
        QCOMPARE(w.document().fileName(), QString());
        script.thenCancel();
        QCOMPARE(w.ChooseSaveTarget(), QString());
        QCOMPARE(script.dialogNameShown, QString());
    }
    if (name == u"missing.txt"_s)
        QVERIFY(!QFile::exists(path));
}

void TestMainWindow::aFileThatDoesNotReadCleanlyIsAskedAbout_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<TextEncoding>("encoding"); // chosen in the question
    QTest::addColumn<bool>("opened");           // else cancelled
    QTest::addColumn<QString>("preview");       // once chosen
    QTest::addColumn<QString>("body");
    const auto as = [](const char* codec, const QString& text) {
        QStringEncoder encoder(codec);
        return QByteArray(encoder.encode(text));
    };
    const QString invalid = u"このファイルには、Shift-JISとして読めないバイトがあります。"_s;
    const QString chinese = u"月亮悄悄地照亮了我的心\r\n"_s;
    QTest::newRow("Shift-JIS with broken bytes, opened as it is")
        << QByteArray("\x82\xA0\xFF\x82") << invalid << TextEncoding::Cp932 << true
        << u"あ\uFFFD\uFFFD"_s << kHyphens35 + u"\r\nあ\uFFFD\uFFFD"_s;
    QTest::newRow("Chinese that reads as katakana, read as GB18030")
        << as("GB18030", chinese)
        << u"このファイルをShift-JISとして読むと、日本語の文章にない半角カナの並びになります。"
           u"中国語か韓国語の文字コードで書かれているようです。"_s
        << TextEncoding::Gb18030 << true << chinese.chopped(2) << kHyphens35 + u"\r\n"_s + chinese;
    QTest::newRow("cancelled") << as("GB18030", u"夜空中的歌\r\n"_s + chinese) << invalid
                               << TextEncoding::Gb18030 << false
                               << u"夜空中的歌\n"_s + chinese.chopped(2) << QString();
}

void TestMainWindow::aFileThatDoesNotReadCleanlyIsAskedAbout()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);
    QFETCH(TextEncoding, encoding);
    QFETCH(bool, opened);
    QFETCH(QString, preview);
    QFETCH(QString, body);
    const QString path = writeFile(u"other.txt"_s, bytes);
    MainWindow w;
    QVERIFY(w.Form_Load());
    const QString before = kHyphens35 + u"\r\nまだ保存していない歌詞"_s;
    w.document().setBodyText(before);
    ModalScript script;
    QString problemShown;
    QString previewShown;
    script.then([&](QWidget* question) {
        problemShown = named<QLabel>(question, "Problem")->text();
        auto* encodings = named<QComboBox>(question, "Encoding");
        encodings->setCurrentIndex(encodings->findData(int(encoding)));
        previewShown = named<QPlainTextEdit>(question, "Preview")->toPlainText();
        QMetaObject::invokeMethod(named<QPushButton>(question, opened ? "Open" : "Cancel"),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    w.openFile(path);
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(problemShown,
             path + u'\n' + problem + u"\n文字コードを選んで開くか、キャンセルしてください。"_s);
    QCOMPARE(previewShown, preview);
    QCOMPARE(w.document().bodyText(), opened ? body : before);
    QCOMPARE(w.windowTitle(), opened ? u"Verselet - "_s + path : u"Verselet - 新規作成.txt"_s);
    QCOMPARE(w.document().fileName(), opened ? path : QString());
}

void TestMainWindow::encodingChosenInTheOpenDialogReadsTheFile()
{
    // Chinese that reads as a short word of half-width katakana, too short
    // to be doubted.
    const QString path = writeFile(u"short.txt"_s, "\xD6\xD0\xCE\xC4\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.then([&](QWidget* dialog) {
        auto* encodings = named<QComboBox>(dialog, "Encoding");
        QCOMPARE(encodings->currentText(), u"自動"_s);
        encodings->setCurrentIndex(encodings->findData(int(TextEncoding::Gb18030)));
        chooseIn(qobject_cast<QFileDialog*>(dialog), path);
    });
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n中文\r\n"_s);
    // The next open reads as the bytes say again.
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\nﾖﾐﾎﾄ\r\n"_s);
    const auto* dialog = named<QFileDialog>(w, "CommonDialog1");
    QVERIFY(!named<QComboBox>(dialog, "Encoding")->isVisibleTo(dialog));
}

void TestMainWindow::filesFromOtherSystemsOpenLineForLine_data()
{
    QTest::addColumn<QString>("file"); // written as UTF-8 with LF
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("tags"); // before the fillers
    QTest::addColumn<QList<SelectionRow>>("rows");
    // An input method's wave dash and minus sign stay as they were typed;
    // a line of wave dashes keeps its seven in the (hidden) tag field, which
    // code page 932 holds in its own forms.
    QTest::newRow("wave dashes and a minus sign")
        << u"曲 \u2212 作者\n[00:00]\n\n-------\n[00:10]空に\u301C\n\u301C\u301C\u301C\u301C\u301C\u301C\u301C\u301C\u301C\n[00:20]海へ\n"_s
        << u"曲 \u2212 作者"_s << u"\r\n空に\u301C\r\n\u301C\u301C\r\n海へ"_s
        << QByteArray("-------\r\n[00:10]\r\n") + QByteArray("\x81\x60").repeated(7) +
               "\r\n[00:20]\r\n"
        << QList<SelectionRow>{{QString(), false},
                               {u"空に\u301C"_s, true},
                               {u"\u301C\u301C"_s, false},
                               {u"海へ"_s, true}};
    // A line separator inside a line stays in that line: every later line
    // keeps its own tag.
    QTest::newRow("a line separator inside a line")
        << u"h\n[00:00]\n\n-------\n[00:10]A\u2028B\n[00:20]C\n[00:30]D"_s << u"h"_s
        << u"\r\nA B\r\nC\r\nD"_s << QByteArray("-------\r\n[00:10]\r\n[00:20]\r\n[00:30]\r\n")
        << QList<SelectionRow>{
               {QString(), false}, {u"A B"_s, true}, {u"C"_s, true}, {u"D"_s, true}};
}

void TestMainWindow::filesFromOtherSystemsOpenLineForLine()
{
    QFETCH(QString, file);
    QFETCH(QString, header);
    QFETCH(QString, body);
    QFETCH(QByteArray, tags);
    QFETCH(QList<SelectionRow>, rows);
    const QString path = writeFile(u"other.txt"_s, file.toUtf8());
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    w.LoadLyricsFile(path);
    QVERIFY(script.messages.isEmpty());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(w.document().headerText(), header);
    QCOMPARE(w.document().bodyText(), body);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), withFillers(tags));

    // The line selection pairs each line the editor shows with its own tag.
    script.thenClose();
    named<QAction>(w, "リアルタイム入力")->trigger();
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(w.selectionRows(), rows);
}

void TestMainWindow::anOpenThatCannotWriteItsTagsChangesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::addColumn<QString>("message");
    // Hangul in a tag field: no folding makes it code page 932, and the tag
    // fields are shown nowhere, so the file's own line is named.
    QTest::newRow("hangul in a tag field")
        << u"曲\n[00:00]\n\n-------\n[00:05]一\n한국어 노래\n"_s.toUtf8() << 0
        << u"このファイルの6行目の1文字目「한」(U+D55C)はShift-JISで保存できない文字です。"_s;
    // The disk fills while the tag file is written: it gets back what it held.
    QTest::newRow("the disk fills") << QByteArray("title\r\n[00:00]\r\n\r\n-------\r\n[00:05]a\r\n")
                                    << 1024 << u"作業ファイル <tags> を保存できませんでした。"_s;
}

void TestMainWindow::anOpenThatCannotWriteItsTagsChangesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(int, sizeLimit);
    QFETCH(QString, message);
    const QString path = writeFile(u"song.txt"_s, file);
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.document().setHeaderText(u"前の曲"_s);
    w.document().setStartText(u"前奏"_s);
    w.document().setBodyText(kHyphens35 + u"\r\n前の歌詞"_s);
    writeBytes(WorkFolder(root()).tagFile(), "-------\r\n[00:07]\r\n");

    ModalScript script;
    script.thenMessage();
    std::optional<FileSizeLimit> limit;
    if (sizeLimit > 0)
        limit.emplace(sizeLimit);
    w.LoadLyricsFile(path);
    limit.reset();

    QVERIFY(script.done());
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text,
             u"このファイルは開けません\n"_s + path + u'\n' +
                 QString(message).replace(u"<tags>"_s, WorkFolder(root()).tagFile()));
    // The document as it was, and the tags of its lines.
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
    QCOMPARE(w.document().headerText(), u"前の曲"_s);
    QCOMPARE(w.document().startText(), u"前奏"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n前の歌詞"_s);
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), QByteArray("-------\r\n[00:07]\r\n"));
    QCOMPARE(w.cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::modelAfterLoadEqualsModelAfterUndoneEdit()
{
    const QString path = writeFile(
        u"timed.txt"_s, "a\r\nb\r\n[00:00]s\r\n\r\n------------------------------------------\r\n"
                        "[00:01]x\r\n[00:02]y\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.LoadLyricsFile(path);
    const QString body = w.document().bodyText();
    const QString header = w.document().headerText();
    QCOMPARE(body, kHyphens35 + u"\r\nx\r\ny"_s);
    QCOMPARE(header, u"a\r\nb"_s);

    named<QPlainTextEdit>(w, "Text1")->moveCursor(QTextCursor::End);
    QTest::keyClicks(named<QPlainTextEdit>(w, "Text1"), u"z"_s);
    QTest::keyClick(named<QPlainTextEdit>(w, "Text1"), Qt::Key_Return);
    QCOMPARE(w.document().bodyText(), body + u"z\r\n"_s);
    named<QPlainTextEdit>(w, "Text1")->undo();
    named<QPlainTextEdit>(w, "Text1")->undo();
    QCOMPARE(w.document().bodyText(), body);

    named<QPlainTextEdit>(w, "Text2")->moveCursor(QTextCursor::End);
    QTest::keyClick(named<QPlainTextEdit>(w, "Text2"), Qt::Key_Return);
    QCOMPARE(w.document().headerText(), header + u"\r\n"_s);
    named<QPlainTextEdit>(w, "Text2")->undo();
    QCOMPARE(w.document().headerText(), header);
}

void TestMainWindow::newAfterOpenRestoresTheEmptyDocument()
{
    const QString path = writeFile(
        u"timed.txt"_s,
        "h\r\n[00:00]s\r\n\r\n------------------------------------------\r\n[00:01]x\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenChoose(path);
    named<QAction>(w, "開く")->trigger();
    QVERIFY(script.done());
    script.thenClose();
    w.findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QCOMPARE(script.unexpected, 0);
    writeBytes(WorkFolder(root()).stagingFile(), "staged");
    QVERIFY(QFile::exists(WorkFolder(root()).textFile()));

    w.findChild<QAction*>(u"新規作成"_s)->trigger();
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
    QCOMPARE(w.document().bodyText(), kHyphens35);
    QCOMPARE(w.document().headerText(), QString());
    QCOMPARE(w.document().startText(), QString());
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), tagTemplateBytes());
    QVERIFY(!QFile::exists(WorkFolder(root()).textFile()));
    QVERIFY(!QFile::exists(WorkFolder(root()).stagingFile()));
    // The dialog keeps the name of the last file opened.
    QCOMPARE(w.document().fileName(), path);
}

void TestMainWindow::realTimeInputListsTheLines()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.document().setBodyText(kHyphens35 + u"\r\n一\r\n二"_s);
    // The line selection opens modally over the editor; closing it returns.
    ModalScript script;
    script.thenClose();
    w.findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QCOMPARE(script.seen, QStringList{u"Form2"_s});
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(readBytes(WorkFolder(root()).textFile()),
             QByteArray(35, '-') + "\r\n\x88\xEA\r\n\x93\xF1\r\n");
    QCOMPARE(w.selectionRows(),
             (QList<SelectionRow>{{kHyphens35, false}, {u"一"_s, true}, {u"二"_s, true}}));
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n一\r\n二"_s);
}

void TestMainWindow::realTimeInputRefusesWhatItCannotWrite()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    const QString notSaved = root() + u"/zem/rigth.tmptは保存できませんでした\n"
                                      u"空き容量がたりないのか、書き込み禁止の可能性があります"_s;

    // An empty text: the message, and the editor stays.
    w.document().setBodyText(QString());
    ModalScript script;
    script.thenMessage();
    named<QAction>(w, "リアルタイム入力")->trigger();
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, notSaved);
    QCOMPARE(script.messages.at(0).title, u"Verselet"_s);
    QVERIFY(!QFile::exists(WorkFolder(root()).textFile()));

    // A text file that cannot be written.
    QVERIFY(QDir().mkpath(WorkFolder(root()).textFile()));
    w.document().setBodyText(kHyphens35 + u"\r\n歌"_s);
    script.thenMessage();
    named<QAction>(w, "リアルタイム入力")->trigger();
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages.at(1).text, notSaved);
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n歌"_s);
    QVERIFY(QDir().rmdir(WorkFolder(root()).textFile()));

    // A character code page 932 cannot hold does not keep the lines from
    // being timed (for an LRC file); the finished text refuses it later.
    w.document().setBodyText(kHyphens35 + u"\r\nOK\r\n한국어"_s);
    QStringList listed;
    script.then([&listed](QWidget* selection) {
        const auto* list = selection->findChild<QListWidget*>(u"List1"_s);
        for (int i = 0; list && i < list->count(); ++i)
            listed.append(list->item(i)->text());
        selection->close();
    });
    named<QAction>(w, "リアルタイム入力")->trigger();
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(listed, (QStringList{kHyphens35, u"OK"_s, u"한국어"_s}));
    QCOMPARE(script.unexpected, 0);
}

void TestMainWindow::endAndCloseLeaveTheWorkFolder()
{
    {
        MainWindow w;
        QVERIFY(w.Form_Load());
        w.show();
        w.document().setBodyText(u"typed but never saved"_s);
        ModalScript script;
        script.thenAnswer(QMessageBox::Yes);
        QTimer::singleShot(0, &w, [&w] { w.findChild<QAction*>(u"終了"_s)->trigger(); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(script.done());
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), tagTemplateBytes());

    {
        MainWindow w;
        QVERIFY(w.Form_Load());
        w.show();
        QTimer::singleShot(0, &w, [&w] { w.close(); });
        QCOMPARE(QApplication::exec(), 0);
    }
    QCOMPARE(readBytes(WorkFolder(root()).tagFile()), tagTemplateBytes());
}

void TestMainWindow::screenshot()
{
    const QString path = writeFile(
        u"夜明けの歌.txt"_s,
        QStringLiteral("夜明けの歌\r\n作詞・作曲　ヴァースレット\r\n[00:00]（前奏）\r\n\r\n"
                       "------------------------------------------\r\n"
                       "[00:12]窓をあけたら　まだ青い空\r\n"
                       "[00:18]眠れない街に　風がひとつ\r\n"
                       "[00:25]きのうの歌を　ポケットにしまって\r\n"
                       "[--:--]はじまりの音を　数えてゆく\r\n"
                       "-------\r\n"
                       "[--:--]夜明けまで　あと少し\r\n"
                       "-----------------------------------\r\n")
            .toUtf8());
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.LoadLyricsFile(path);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage image = w.grab().toImage();
    QCOMPARE(image.size(), w.size());
    // Japanese text drew something: the body box is not a blank field.
    const QImage body = named<QPlainTextEdit>(w, "Text1")->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < body.height(); y += 2)
        for (int x = 0; x < body.width(); x += 2)
            colours.insert(body.pixel(x, y));
    QVERIFY(colours.size() > 4);

    const QString folder = QStringLiteral(SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + u"/main-window.png"_s));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
