// The program at home on the desktop: started with a file, given a file by
// a drop, and handed a file by a second copy started with one.

#include "app/handover.h"
#include "app/mainwindow.h"
#include "app/program.h"
#include "shell/startup.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <vector>

#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

const QByteArray kTimed =
    "title\r\n[00:00]intro\r\n\r\n------------------------------------------\r\n"
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
    void fileFromOutsideAsksBeforeReplacingEdits_data();
    void fileFromOutsideAsksBeforeReplacingEdits();
    void secondCopyHandsItsFileOver();
    void handedOverPathsArriveWhole_data();
    void handedOverPathsArriveWhole();
    void filesFromOutsideOpenOneAfterAnother();
    void secondCopyIsRefusedDuringARealTimeInput();
    void handOverWaitsUntilItsDeadline();
    void copiesStartedTogetherLoseNoFile();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestDesktop::init()
{
    m_home = std::make_unique<WorkArea>();
}

void TestDesktop::cleanup()
{
    m_home.reset();
}

void TestDesktop::fileArgumentOpensAsTheOpenCommandDoes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("argument"); // %1: the file's absolute path
    QTest::addColumn<QString>(
        "kept"); // the save dialog's name, %1 as above, %2 without its extension
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
    writeBytes(path, name.endsWith(u".lrc"_s) ? "[ti:title]\n[00:00.00]intro\n[00:05.00]one\n"_ba
                                              : kTimed);
    const QString given =
        argument == u"url"_s ? QUrl::fromLocalFile(path).toString() : argument.arg(path);

    int exitCode = -1;
    const std::unique_ptr<MainWindow> w =
        StartVerselet(&exitCode, FileArgument({u"verselet"_s, given}));
    QVERIFY(w);
    QCOMPARE(exitCode, 0);
    QCOMPARE(w->windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w->document().headerText(), u"title"_s);
    QCOMPARE(w->document().startText(), u"intro"_s);
    QVERIFY(w->document().bodyText().startsWith(QString(35, u'-') + u"\r\none"_s));
    QCOMPARE(w->document().fileName(),
             QString(kept).replace(u"%1"_s, path).replace(u"%2"_s, path.chopped(4)));

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
    drop(named<QPlainTextEdit>(w, "Text1")->viewport(), text);
    QVERIFY2(w.document().bodyText().contains(u"歌詞の一行"_s),
             qPrintable(w.document().bodyText()));
    QVERIFY(!w.windowTitle().contains(path));
    delete text;

    // A file, dropped on the header box: opened as the open command would,
    // once the user has said the typing may go.
    auto* file = new QMimeData;
    file->setUrls({QUrl::fromLocalFile(path)});
    file->setText(path); // file managers give its name as text too
    ModalScript script;
    script.thenAnswer(QMessageBox::Yes);
    drop(named<QPlainTextEdit>(w, "Text2")->viewport(), file);
    delete file;
    QTRY_VERIFY(script.done());
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.at(0).text, u"編集中の歌詞を閉じて、このファイルを開きますか？"_s);
    QCOMPARE(script.messages.at(0).defaultButton, u"いいえ"_s);
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(w.document().bodyText(), kTimedBody);
    QCOMPARE(w.document().headerText(), u"title"_s);
    QCOMPARE(w.document().fileName(), path);
}

void TestDesktop::fileFromOutsideAsksBeforeReplacingEdits_data()
{
    QTest::addColumn<bool>("handedOver"); // else dropped
    QTest::addColumn<QString>("typed");   // into the body of an opened file; "" for nothing
    QTest::addColumn<int>("answer");      // to the question, when there is one
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("opens");
    QTest::newRow("dropped on the file as opened") << false << QString() << 0 << false << true;
    QTest::newRow("dropped on edits, いいえ")
        << false << u"書きかけ"_s << int(QMessageBox::No) << true << false;
    QTest::newRow("handed over onto edits, いいえ")
        << true << u"書きかけ"_s << int(QMessageBox::No) << true << false;
    QTest::newRow("handed over onto edits, はい")
        << true << u"書きかけ"_s << int(QMessageBox::Yes) << true << true;
    QTest::newRow("an edit typed back as it was") << true << u"two"_s << 0 << false << true;
}

void TestDesktop::fileFromOutsideAsksBeforeReplacingEdits()
{
    QFETCH(bool, handedOver);
    QFETCH(QString, typed);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, opens);
    const QString first = m_home->filePath(u"first.txt"_s);
    const QString next = m_home->filePath(u"next.txt"_s);
    writeBytes(first, kTimed);
    writeBytes(next, "plain words\r\n");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.openFile(first);
    QVERIFY(!w.hasUnsavedEdits());
    const QString body = QString(kTimedBody).replace(u"two"_s, typed.isEmpty() ? u"two"_s : typed);
    w.document().setBodyText(body);

    ModalScript script;
    if (asked)
        script.thenAnswer(QMessageBox::StandardButton(answer));
    if (handedOver) {
        QCOMPARE(HandOverFile(HandoverSocketPath(m_home->cacheFolder()), next), Handover::Opened);
    } else {
        auto* file = new QMimeData;
        file->setUrls({QUrl::fromLocalFile(next)});
        drop(named<QPlainTextEdit>(w, "Text1")->viewport(), file);
        delete file;
    }
    // The file opens once the answer or the drop has gone.
    QTest::qWait(50);
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + (opens ? next : first));
    QCOMPARE(w.document().bodyText(), opens ? QString(35, u'-') + u"\r\nplain words\r\n"_s : body);
    QCOMPARE(w.document().fileName(), opens ? next : first);
}

void TestDesktop::secondCopyHandsItsFileOver()
{
    const QString path = m_home->filePath(u"handed.txt"_s);
    writeBytes(path, kTimed);
    MainWindow running;
    QVERIFY(running.Form_Load());

    ModalScript script; // no message is expected
    MainWindow second;
    QVERIFY(!second.Form_Load(path));
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(running.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(running.document().bodyText(), kTimedBody);
    QCOMPARE(running.document().fileName(), path);
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
}

void TestDesktop::handedOverPathsArriveWhole_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("a line break") << u"two\nlines.txt"_s;
    QTest::newRow("a carriage return and a tab") << u"cr\r\ttab.txt"_s;
    QTest::newRow("what looks encoded") << u"%0A%25.txt"_s;
    QTest::newRow("blanks at both ends") << u" 歌 .txt "_s;
}

void TestDesktop::handedOverPathsArriveWhole()
{
    QFETCH(QString, name);
    const QString path = m_home->filePath(name);
    writeBytes(path, kTimed);
    MainWindow running;
    QVERIFY(running.Form_Load());
    ModalScript script; // a path cut short would not open: no message is expected
    QCOMPARE(HandOverFile(HandoverSocketPath(m_home->cacheFolder()), path), Handover::Opened);
    QTRY_COMPARE(running.windowTitle(), u"Verselet - "_s + path);
    QCOMPARE(running.document().bodyText(), kTimedBody);
    QCOMPARE(script.unexpected, 0);
}

void TestDesktop::filesFromOutsideOpenOneAfterAnother()
{
    // Two files arrive in one turn of the event loop; the first one cannot
    // be opened and says so, and the second waits for it to end.
    const QString binary = m_home->filePath(u"binary.txt"_s);
    const QString plain = m_home->filePath(u"plain.txt"_s);
    writeBytes(binary, QByteArray("no\0text", 7));
    writeBytes(plain, kTimed);
    MainWindow w;
    QVERIFY(w.Form_Load());
    ModalScript script;
    script.thenMessage();
    QTimer::singleShot(0, &w, [&w, binary] { w.openFromDesktop(binary); });
    QTimer::singleShot(0, &w, [&w, plain] { w.openFromDesktop(plain); });
    QTRY_VERIFY(script.done());
    QTRY_COMPARE(w.windowTitle(), u"Verselet - "_s + plain);
    QTest::qWait(50);
    QCOMPARE(w.windowTitle(), u"Verselet - "_s + plain);
    QCOMPARE(w.document().bodyText(), kTimedBody);
    QCOMPARE(w.document().fileName(), plain);
    QCOMPARE(script.unexpected, 0);
}

void TestDesktop::secondCopyIsRefusedDuringARealTimeInput()
{
    const QString path = m_home->filePath(u"refused.txt"_s);
    writeBytes(path, kTimed);
    MainWindow running;
    QVERIFY(running.Form_Load());
    running.document().setBodyText(QString(35, u'-') + u"\r\n書きかけ"_s);
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
            started = second.Form_Load(path);
            exitCode = second.exitCode();
            selection->close();
        });
    });
    script.thenMessage(); // the second copy's: the program runs already
    named<QAction>(running, "リアルタイム入力")->trigger();
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
    QCOMPARE(running.document().bodyText(), QString(35, u'-') + u"\r\n書きかけ"_s);
}

void TestDesktop::handOverWaitsUntilItsDeadline()
{
    const QString socket = HandoverSocketPath(m_home->cacheFolder());
    // Nobody listening, all along: no answer, once the time is up.
    QElapsedTimer t;
    t.start();
    QCOMPARE(HandOverFile(socket, u"/nowhere.txt"_s, 1000), Handover::NoAnswer);
    QVERIFY(t.elapsed() >= 900);
    QVERIFY(t.elapsed() < 4000);

    // A copy that takes the connection and never answers.
    QLocalServer mute;
    QLocalServer::removeServer(socket);
    QVERIFY(mute.listen(socket));
    t.restart();
    QCOMPARE(HandOverFile(socket, u"/nowhere.txt"_s, 1000), Handover::NoAnswer);
    QVERIFY(t.elapsed() >= 900);
    mute.close();

    // The running copy starts listening only once its window is built: a
    // copy that asked before is answered then.
    QString taken;
    HandoverServer late([] { return true; }, [&taken](const QString& file) { taken = file; });
    QTimer::singleShot(300, &late, [&late, socket] { QVERIFY(late.listen(socket)); });
    t.restart();
    QCOMPARE(HandOverFile(socket, u"/late.txt"_s, 2000), Handover::Opened);
    QVERIFY(t.elapsed() >= 250);
    QTRY_COMPARE(taken, u"/late.txt"_s);
}

void TestDesktop::copiesStartedTogetherLoseNoFile()
{
    // "Open with" on several files starts a copy for each at once: one runs,
    // and every other hands its file over and ends, however they meet.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int i = 0; i < 4; ++i) {
            const QString file = m_home->filePath(u"song%1-%2.txt"_s.arg(round).arg(i));
            writeBytes(file, kTimed);
            auto copy = std::make_unique<QProcess>();
            copy->setProcessEnvironment(environment);
            copy->start(QStringLiteral(VERSELET_PROGRAM), {file});
            copies.push_back(std::move(copy));
        }
        const auto ended = [&copies] {
            return std::count_if(copies.begin(), copies.end(),
                                 [](const auto& c) { return c->state() == QProcess::NotRunning; });
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), 3, 20000);
        QTest::qWait(200); // and the fourth runs on
        int handedOver = 0;
        for (const auto& copy : copies) {
            if (copy->state() == QProcess::NotRunning &&
                copy->exitStatus() == QProcess::NormalExit && copy->exitCode() == 0)
                ++handedOver;
            copy->kill();
            copy->waitForFinished(5000);
        }
        QCOMPARE(handedOver, 3);
    }
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
