// The main window's menu items that open other windows: the help, the About
// window and the drive dialog, each over the main window; Save and Save As,
// and the keys of every item.

#include "app/mainwindow.h"
#include "app/recentmenu.h"
#include "app/statusline.h"
#include "cd/drivedialog.h"
#include "settings/datafiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "fakedesktop.h"
#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

QAction* menuAction(MainWindow* w, const QString& name)
{
    return w->findChild<QAction*>(name);
}

const QByteArray kHyphens35(35, '-');

// A timed text as the program writes it: 歌 in the header, 前奏 at the start,
// 一行目 at 5 s and ～ untimed.
const QByteArray kTimedText = "\x89\xCC\r\n[00:00]\x91\x4F\x91\x74\r\n\r\n" + kHyphens35 +
                              "\r\n[00:05]\x88\xEA\x8D\x73\x96\xDA\r\n[--:--]\x81\x60\r\n" +
                              kHyphens35 + "\r\n";

} // namespace

class TestMainMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<WorkArea>();
        QVERIFY(QDir().mkpath(m_home->configFolder()));
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_home.reset();
    }

    void helpMenuItemReportsAFailedLaunchEveryTime();
    void aboutMenuItemShowsTheWindowCentredAndModal();
    void settingsItemOpensTheDialogModally();
    void saveWritesTheDocumentInItsForm_data();
    void saveWritesTheDocumentInItsForm();
    void aCharacterTheFormCannotHoldWritesNothing();
    void recentFilesAreThoseOpenedAndSaved();
    void keysTriggerTheirItems_data();
    void keysTriggerTheirItems();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestMainMenu::helpMenuItemReportsAFailedLaunchEveryTime()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    const QString body = w.document().bodyText();
    FakeDesktop desktop;
    desktop.answer = false;
    w.seams().helpLauncher = desktop.launcher();
    ModalScript script;
    script.thenMessage();
    script.thenMessage();

    menuAction(&w, u"ヘルプ"_s)->trigger();
    menuAction(&w, u"ヘルプ"_s)->trigger();

    const QUrl document = QUrl::fromLocalFile(HelpFilePath());
    QVERIFY(QFileInfo(document.toLocalFile()).isFile());
    QCOMPARE(desktop.opened, (QList<QUrl>{document, document}));
    QCOMPARE(script.messages.size(), 2);
    for (const testmodal::Message& s : script.messages) {
        QCOMPARE(s.text, u"31エラー"_s);
        QCOMPARE(s.title, u"Verselet"_s);
        QCOMPARE(s.icon, QMessageBox::Critical);
        QCOMPARE(s.owner, u"Form1"_s);
    }
    QCOMPARE(script.unexpected, 0);
    // The main window stays as it was.
    QCOMPARE(w.document().bodyText(), body);
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
}

void TestMainMenu::aboutMenuItemShowsTheWindowCentredAndModal()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.move(40, 30);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    FakeDesktop desktop;
    desktop.answer = false;
    w.seams().helpLauncher = desktop.launcher();

    QAction* about = menuAction(&w, u"バージョン情報"_s);
    QVERIFY(about);
    QCOMPARE(about->text(), u"ﾊﾞｰｼﾞｮﾝ情報(&A)"_s);

    ModalScript script;
    QString name, title, version;
    QRect geometry;
    bool modal = false;
    script.then([&](QWidget* window) {
        name = window->objectName();
        title = window->windowTitle();
        geometry = window->geometry();
        modal = window->isModal();
        if (auto* label = window->findChild<QLabel*>(u"Label1"_s))
            version = label->text();
        // The link of the window opens the document the way the menu does:
        // through the main window's launcher.
        auto* link = window->findChild<QLabel*>(u"Hyperlink1"_s);
        if (link)
            QMetaObject::invokeMethod(
                link,
                [link] {
                    Q_EMIT link->linkActivated(QUrl::fromLocalFile(HelpFilePath()).toString());
                },
                Qt::QueuedConnection);
    });
    script.thenMessage();
    script.thenClose();
    // Should a step not come, the window is closed all the same: the test
    // then fails on what it saw instead of waiting for ever.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] {
        for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i)
            QApplication::activeModalWidget()->close();
    });
    watchdog.start(10000);

    about->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(name, u"Form7"_s);
    QCOMPARE(title, u"ﾊﾞｰｼﾞｮﾝ情報"_s);
    QCOMPARE(version, u"Verselet Ver 1.03"_s);
    QVERIFY(modal);
    QCOMPARE(geometry.size(), QSize(311, 80));
    const QPoint offset = geometry.center() - w.geometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));
    QCOMPARE(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(HelpFilePath())});
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages[0].text, u"31エラー"_s);
    QCOMPARE(script.messages[0].owner, u"Form7"_s);
}

void TestMainMenu::settingsItemOpensTheDialogModally()
{
    writeBytes(m_home->configFolder() + u"/discs.txt"_s, "/a.cue\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    ModalScript script;
    QPointer<DriveDialog> shown;
    bool modal = false;
    QPoint offCentre;
    script.then([&](QWidget* widget) {
        shown = qobject_cast<DriveDialog*>(widget);
        QVERIFY(shown);
        modal = shown->isModal();
        offCentre = shown->frameGeometry().center() - w.frameGeometry().center();
        named<QComboBox>(shown, "Combo1")->setCurrentIndex(1);
        QTest::mouseClick(named<QPushButton>(shown, "Command1"), Qt::LeftButton);
    });
    QAction* item = w.findChild<QAction*>(u"設定"_s);
    QVERIFY(item);
    item->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), u"Form8"_s);
    QVERIFY(modal);
    QCOMPARE(shown->parentWidget(), &w);
    QVERIFY2(offCentre.manhattanLength() <= 2,
             qPrintable(u"%1,%2"_s.arg(offCentre.x()).arg(offCentre.y())));
    QCOMPARE(readBytes(m_home->configFolder() + u"/config.dat"_s), QByteArray(" 1 \r\n"));
    QVERIFY(shown->isHidden());
    QCOMPARE(w.driveDialog(), shown.data());
    QCOMPARE(w.driveDialog()->selectedDriveName(),
             named<QComboBox>(shown, "Combo1")->itemData(1).toString());
}

QTEST_MAIN(TestMainMenu)
void TestMainMenu::saveWritesTheDocumentInItsForm_data()
{
    QTest::addColumn<QString>("opened"); // "" for a new document
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("item");
    // The filter chosen in Save As, "" when no dialog may come.
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("kind"); // the status line's form after it

    QTest::newRow("timed text saved over itself")
        << u"song.txt"_s << kTimedText << u"上書き保存"_s << QString() << u"song.txt"_s
        << kTimedText << u"歌詞テキスト（Shift-JIS）"_s;
    // Read as UTF-8, written as the timed text is: code page 932.
    QTest::newRow("UTF-8 timed text saved as code page 932")
        << u"utf8.txt"_s << "t\r\n[00:00]\r\n" + kHyphens35 + "\r\n[00:05]\xE4\xB8\x80\r\n"
        << u"上書き保存"_s << QString() << u"utf8.txt"_s
        << "t\r\n[00:00]\r\n\r\n" + kHyphens35 + "\r\n[00:05]\x88\xEA\r\n" + kHyphens35 + "\r\n"
        << u"歌詞テキスト（Shift-JIS）"_s;
    QTest::newRow("LRC saved over itself, milliseconds kept")
        << u"song.lrc"_s << QByteArray("[ti:T]\n[00:01.250]a\n[00:02.000]b\n") << u"上書き保存"_s
        << QString() << u"song.lrc"_s
        << QByteArray("[ti:T]\n[re:Verselet]\n[00:01.250]a\n[00:02.000]b\n") << u"LRC（UTF-8）"_s;
    // 〜 (U+301C) keeps its words.
    QTest::newRow("enhanced LRC saved over itself")
        << u"words.lrc"_s << QByteArray("[00:01.00]<00:01.00>\xE3\x80\x9C<00:01.50>la<00:02.00>\n")
        << u"上書き保存"_s << QString() << u"words.lrc"_s
        << QByteArray("[re:Verselet]\n[00:01.00]<00:01.00>\xE3\x80\x9C<00:01.50>la<00:02.00>\n")
        << u"拡張LRC（UTF-8）"_s;
    QTest::newRow("plain text asks for a name")
        << u"plain.txt"_s << QByteArray("a\r\nb\r\n") << u"上書き保存"_s
        << u"歌詞テキスト (*.txt)"_s << u"timed.txt"_s
        << "\r\n[00:00]\r\n\r\n" + QByteArray(42, '-') + "\r\n[--:--]a\r\n[--:--]b\r\n[--:--]\r\n" +
               kHyphens35 + "\r\n"
        << u"歌詞テキスト（Shift-JIS）"_s;
    // Saved as a timed text over itself, it would lose its word times.
    QTest::newRow("karaoke text asks for a name")
        << u"karaoke.txt"_s << QByteArray("[00:01:00]a[00:01:50]b[00:02:00]\r\n") << u"上書き保存"_s
        << u"歌詞テキスト (*.txt)"_s << u"timed.txt"_s
        << "\r\n[00:00]\r\n\r\n" + QByteArray(42, '-') + "\r\n[00:01]ab\r\n" + kHyphens35 + "\r\n"
        << u"歌詞テキスト（Shift-JIS）"_s;
    QTest::newRow("timed text saved as LRC")
        << u"song.txt"_s << kTimedText << u"名前を付けて保存"_s << u"LRCファイル (*.lrc)"_s
        << u"song.lrc"_s
        << QByteArray("[ti:\xE6\xAD\x8C]\n[re:Verselet]\n[00:00.00]\xE5\x89\x8D\xE5\xA5\x8F\n"
                      "[00:05.00]\xE4\xB8\x80\xE8\xA1\x8C\xE7\x9B\xAE\n")
        << u"LRC（UTF-8）"_s;
    QTest::newRow("new document saved as enhanced LRC")
        << QString() << QByteArray() << u"名前を付けて保存"_s
        << u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s << u"new.lrc"_s
        << QByteArray("[re:Verselet]\n") << u"拡張LRC（UTF-8）"_s;
}

void TestMainMenu::saveWritesTheDocumentInItsForm()
{
    QFETCH(QString, opened);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, item);
    QFETCH(QString, filter);
    QFETCH(QString, target);
    QFETCH(QByteArray, written);
    QFETCH(QString, kind);
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    if (!opened.isEmpty()) {
        writeBytes(m_home->filePath(opened), bytes);
        w.openFile(m_home->filePath(opened));
    }
    // Unsaved work, which the save ends.
    LyricsDocument& document = w.document();
    document.setHeaderText(document.headerText());
    document.setBodyText(document.bodyText() + u"\r\n"_s);
    document.setBodyText(document.bodyText().chopped(2));
    document.setStartText(document.startText() + u"x"_s);
    document.setStartText(document.startText().chopped(1));
    // The tags kept again, each row with its line's text, time and words.
    const QStringList lines = document.bodyText().split(u"\r\n"_s);
    TimingRows rows;
    for (int i = 0; i < document.tagLines().size(); ++i)
        rows.append(TimingRow::fromListRow(document.tagLines().at(i) + lines.value(i),
                                           document.exactTimes().value(i),
                                           document.wordTimes().value(i)));
    document.keepTags(rows);
    QVERIFY(w.hasUnsavedEdits());
    const QString path = m_home->filePath(target);
    if (!filter.isEmpty())
        script.thenChoose(path, filter);
    // An LRC file leaves ～ out, which it asks about first.
    if (opened == u"song.txt"_s && target.endsWith(u".lrc"_s))
        script.thenAnswer(QMessageBox::Yes);

    menuAction(&w, item)->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(readBytes(path), written);
    QVERIFY(!w.hasUnsavedEdits());
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.saveTarget(), path);
    QTRY_COMPARE(w.statusLine()->savedText(), u"保存済み"_s);
    QCOMPARE(w.statusLine()->kindText(), kind);
    if (!filter.isEmpty())
        QCOMPARE(script.dialogFilters,
                 (QStringList{u"歌詞テキスト (*.txt)"_s, u"LRCファイル (*.lrc)"_s,
                              u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s}));
}

void TestMainMenu::aCharacterTheFormCannotHoldWritesNothing()
{
    MainWindow w;
    QVERIFY(w.Form_Load());
    const QString path = m_home->filePath(u"heart.txt"_s);
    writeBytes(path, "before");
    w.document().setBodyText(w.document().bodyText() + u"\r\nlove \u2665 you"_s);
    QTRY_COMPARE(w.statusLine()->linesText(), u"歌詞 1 行、タイムあり 0 行"_s);
    QCOMPARE(w.statusLine()->savedText(), u"未保存の変更あり"_s);
    ModalScript script;
    script.thenChoose(path, u"歌詞テキスト (*.txt)"_s);
    script.thenAnswer(QMessageBox::Yes); // replace the file that is there
    script.thenMessage();
    menuAction(&w, u"名前を付けて保存"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 2);
    QVERIFY2(script.messages.at(1).text.startsWith(u"歌詞の2行目の6文字目"_s),
             qPrintable(script.messages.at(1).text));
    QCOMPARE(readBytes(path), QByteArray("before"));
    QVERIFY(w.hasUnsavedEdits());
    QCOMPARE(w.saveTarget(), QString());
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);
}

void TestMainMenu::recentFilesAreThoseOpenedAndSaved()
{
    const QString first = m_home->filePath(u"first.txt"_s);
    const QString second = m_home->filePath(u"second.lrc"_s);
    const QString saved = m_home->filePath(u"saved.txt"_s);
    writeBytes(first, kTimedText);
    writeBytes(second, "[00:01.00]a\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    QMenu* recent = w.findChild<QMenu*>(u"最近使ったファイル"_s);
    QVERIFY(recent);
    QVERIFY(w.findChild<QMenu*>(u"ファイル"_s)->actions().contains(recent->menuAction()));
    const auto items = [recent] {
        recent->popup(QPoint());
        recent->hide();
        QStringList texts;
        for (const QAction* item : recent->actions())
            texts.append(item->text());
        return texts;
    };
    w.openFile(first);
    w.openFile(second);
    ModalScript script;
    script.thenChoose(saved, u"歌詞テキスト (*.txt)"_s);
    menuAction(&w, u"名前を付けて保存"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(items(), (QStringList{u"&1 "_s + saved, u"&2 "_s + second, u"&3 "_s + first}));

    // An item opens its file; one whose file is gone says so and leaves.
    QVERIFY(QFile::remove(second));
    script.thenMessage();
    recent->findChild<QAction*>(u"最近使ったファイル2"_s)->trigger();
    QVERIFY(script.done());
    QVERIFY2(script.messages.last().text.contains(second), qPrintable(script.messages.last().text));
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + saved);
    QCOMPARE(items(), (QStringList{u"&1 "_s + saved, u"&2 "_s + first}));
    recent->findChild<QAction*>(u"最近使ったファイル2"_s)->trigger();
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + first);
    QCOMPARE(items(), (QStringList{u"&1 "_s + first, u"&2 "_s + saved}));
    QCOMPARE(script.unexpected, 0);
}

void TestMainMenu::keysTriggerTheirItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QKeySequence>("key");
    QTest::newRow("new") << u"新規作成"_s << QKeySequence(u"Ctrl+N"_s);
    QTest::newRow("open") << u"開く"_s << QKeySequence(u"Ctrl+O"_s);
    QTest::newRow("save") << u"上書き保存"_s << QKeySequence(u"Ctrl+S"_s);
    QTest::newRow("save as") << u"名前を付けて保存"_s << QKeySequence(u"Ctrl+Shift+S"_s);
    QTest::newRow("quit") << u"終了"_s << QKeySequence(u"Ctrl+Q"_s);
    QTest::newRow("quit, Alt+F4") << u"終了"_s << QKeySequence(u"Alt+F4"_s);
    QTest::newRow("real-time input") << u"リアルタイム入力"_s << QKeySequence(u"Ctrl+R"_s);
    QTest::newRow("help") << u"ヘルプ"_s << QKeySequence(u"F1"_s);
}

void TestMainMenu::keysTriggerTheirItems()
{
    QFETCH(QString, item);
    QFETCH(QKeySequence, key);
    MainWindow w;
    QVERIFY(w.Form_Load());
    FakeDesktop desktop;
    w.seams().helpLauncher = desktop.launcher();
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    // Typed lyrics, so that ending asks first and may be refused.
    w.document().setBodyText(w.document().bodyText() + u"\r\n歌"_s);
    QAction* action = menuAction(&w, item);
    QVERIFY(action->shortcuts().contains(key));
    QSignalSpy triggered(action, &QAction::triggered);
    // Whatever the item opens is cancelled; ending is refused.
    ModalScript script;
    script.then([](QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->button(QMessageBox::No))
            box->button(QMessageBox::No)->click();
        else if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
    });

    QTest::keySequence(&w, key);

    QCOMPARE(triggered.size(), 1);
    QVERIFY(w.isVisible());
    QCOMPARE(w.document().bodyText(), kHyphens35 + u"\r\n歌"_s);
}

#include "tst_mainmenu.moc"
