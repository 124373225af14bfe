// The program at home on the desktop: started with a file, given a file by
// a drop, and handed a file by a second copy started with one.

#include "app/handover.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "modalscript.h"
#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

const QByteArray kTimed = "title\r\n[00:00]intro\r\n\r\n------------------------------------------\r\n"
                          "[00:05]one\r\n[--:--]two\r\n-----------------------------------\r\n";
const QString kTimedBody = QString(35, u'-') + u"\r\none\r\ntwo\r\n"_s + QString(28, u'-');

// Drops `data` on `target` as a drag over it would.
void drop(QWidget* target, QMimeData* data)
{
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fileArgumentOpensAsTheOpenCommandDoes_data();
    void fileArgumentOpensAsTheOpenCommandDoes();
    void droppedFileOpensAndDroppedTextIsTyped();
    void secondCopyHandsItsFileOver();
    void secondCopyIsRefusedDuringARealTimeInput();
    void silentCopyIsNoAnswer();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestDesktop::init() { m_home = std::make_unique<WorkArea>(); }

void TestDesktop::cleanup() { m_home.reset(); }

void TestDesktop::fileArgumentOpensAsTheOpenCommandDoes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("argument"); // %1: the file's absolute path
    QTest::addColumn<QString>("kept");     // the save dialog's name, %1 as above, %2 without its extension
    QTest::newRow("a path") << u"song.txt"_s << u"%1"_s << u"%1"_s;
    QTest::newRow("a file URL") << u"歌 1.txt"_s << u"url"_s << u"%1"_s;
    QTest::newRow("an LRC file keeps a .txt name") << u"song.lrc"_s << u"%1"_s << u"%2.txt"_s;
}

void TestDesktop::fileArgumentOpensAsTheOpenCommandDoes()
{
    QFETCH(QString, name);
    QFETCH(QString, argument);
    QFETCH(QString, kept);
    const QString path = m_home->filePath(name);
    writeBytes(path, name.endsWith(u".lrc"_s) ? "[ti:title]\n[00:00.00]intro\n[00:05.00]one\n"_ba : kTimed);
    const QString given = argument == u"url"_s ? QUrl::fromLocalFile(path).toString() : argument.arg(path);

    int exitCode = -1;
    const std::unique_ptr<MainWindow> w = StartVerselet(&exitCode, FileArgument({u"verselet"_s, given}));
    QVERIFY(w);
    QCOMPARE(exitCode, 0);
    QCOMPARE(w->windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w->headerText(), u"title"_s);
    QCOMPARE(w->startText(), u"intro"_s);
    QVERIFY(w->bodyText().startsWith(QString(35, u'-') + u"\r\none"_s));
    QCOMPARE(w->dialogFileName(), QString(kept).replace(u"%1"_s, path).replace(u"%2"_s, path.chopped(4)));

    QCOMPARE(FileArgument({u"verselet"_s}), QString());
}

void TestDesktop::droppedFileOpensAndDroppedTextIsTyped()
{
    const QString path = m_home->filePath(u"dropped.txt"_s);
    writeBytes(path, kTimed);
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    // Text first: it goes into the box, the document stays new.
    auto* text = new QMimeData;
    text->setText(u"歌詞の一行"_s);
    drop(w.Text1->viewport(), text);
    QVERIFY2(w.bodyText().contains(u"歌詞の一行"_s), qPrintable(w.bodyText()));
    QVERIFY(!w.windowTitle().contains(path));
    delete text;

    // A file, dropped on the header box: opened as the open command would.
    auto* file = new QMimeData;
    file->setUrls({QUrl::fromLocalFile(path)});
    file->setText(path); // file managers give its name as text too
    drop(w.Text2->viewport(), file);
    delete file;
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.bodyText(), kTimedBody);
    QCOMPARE(w.headerText(), u"title"_s);
    QCOMPARE(w.dialogFileName(), path);
}

void TestDesktop::secondCopyHandsItsFileOver()
{
    const QString path = m_home->filePath(u"handed.txt"_s);
    writeBytes(path, kTimed);
    MainWindow running;
    QVERIFY(running.Form_Load());

    ModalScript script; // no message is expected
    MainWindow second;
    second.setFileToHandOver(path);
    QVERIFY(!second.Form_Load());
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(running.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(running.bodyText(), kTimedBody);
    QCOMPARE(running.dialogFileName(), path);
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
}

void TestDesktop::secondCopyIsRefusedDuringARealTimeInput()
{
    const QString path = m_home->filePath(u"refused.txt"_s);
    writeBytes(path, kTimed);
    MainWindow running;
    QVERIFY(running.Form_Load());
    running.setBodyText(QString(35, u'-') + u"\r\n書きかけ"_s);
    const QString caption = running.windowTitle();

    int exitCode = -1;
    bool started = true;
    Handover answer = Handover::Opened;
    ModalScript script;
    script.then([&](QWidget* selection) {
        // The line selection is up: a second copy started with a file. Run
        // outside the script's step, so that the script answers its message.
        QTimer::singleShot(0, selection, [&, selection] {
            answer = HandOverFile(HandoverSocketPath(m_home->cacheFolder()), path);
            MainWindow second;
            second.setFileToHandOver(path);
            started = second.Form_Load();
            exitCode = second.exitCode();
            selection->close();
        });
    });
    script.thenMessage(); // the second copy's: the program runs already
    running.リアルタイム入力_Click();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(answer, Handover::Refused); // the running copy says it is busy
    QVERIFY(!started);
    QCOMPARE(exitCode, 1);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, u"＠は既にに起動されています。"_s);
    // Nothing was opened, then or later.
    QTest::qWait(50);
    QCOMPARE(running.windowTitle(), caption);
    QCOMPARE(running.bodyText(), QString(35, u'-') + u"\r\n書きかけ"_s);
}

void TestDesktop::silentCopyIsNoAnswer()
{
    // A copy that takes the connection and never answers, and none at all.
    const QString socket = HandoverSocketPath(m_home->cacheFolder());
    QLocalServer mute;
    QLocalServer::removeServer(socket);
    QVERIFY(mute.listen(socket));
    QElapsedTimer t;
    t.start();
    QCOMPARE(HandOverFile(socket, u"/nowhere.txt"_s, 2000), Handover::NoAnswer);
    QVERIFY(t.elapsed() >= 1900);
    QVERIFY(t.elapsed() < 5000);
    mute.close();
    t.restart();
    QCOMPARE(HandOverFile(socket, u"/nowhere.txt"_s, 2000), Handover::NoAnswer);
    QVERIFY(t.elapsed() < 1000);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
