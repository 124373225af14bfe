// The lyrics a run leaves when it does not end normally, offered back at the
// next start: through the main window's start-up, and through real copies of
// the program, one killed while it has unsaved work.

#include "app/mainwindow.h"
#include "app/program.h"
#include "app/recoveryoffer.h"
#include "app/statusline.h"
#include "document/recoveryformat.h"
#include "shell/recoveryfile.h"
#include "workfiles/workfiles.h"

#include <QAction>
#include <QApplication>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <ctime>

#include <unistd.h>

#include "modalscript.h"
#include "testfiles.h"
#include "timedrows.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

const LyricsSnapshot kLeft{u"夏の歌\r\n作者"_s,
                           u"はじまり"_s,
                           u"-----------------------------------\r\n一行目 Ünï\r\n二行目"_s,
                           {u"-------"_s, u"[00:12]"_s, u"[--:--]"_s},
                           {std::nullopt, 12345},
                           u"/home/u/夏.txt"_s,
                           {{}, {u"一行目 Ünï"_s, {0, 1, 2}, {12345, 12800}, {}}}};
// 2026/12/08 05:50 UTC, 14:50 in Tokyo, where these tests live.
const QDateTime kUpdated(QDate(2026, 12, 8), QTime(5, 50, 12), Qt::UTC);

// Keys that type any character, as an input method hands them over.
void typeInto(QWidget* box, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    writeBytes(path, bytes);
}

// The body the recovery file holds, "" for none.
QString keptBody()
{
    const RecoveryFound found = ReadRecoveryFile(RecoveryFilePath());
    return found.kind == RecoveryFound::Readable ? found.recovered.lyrics.bodyText : QString();
}

} // namespace

class TestRecovery final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { m_home = std::make_unique<WorkArea>(); }
    void cleanup() { m_home.reset(); }
    void startUpOffersWhatTheLastRunLeft_data();
    void startUpOffersWhatTheLastRunLeft();
    void aKilledCopyLosesNothing();
    void unsavedLyricsGoOnlyWhenTheUserSaysSo_data();
    void unsavedLyricsGoOnlyWhenTheUserSaysSo();
    void aFileThatCannotBeWrittenIsShownUntilOneIs();
    void aDeclinedFileThatCannotGoIsToldOf();

private:
    std::unique_ptr<WorkArea> m_home;
};

void TestRecovery::initTestCase()
{
    qputenv("TZ", "Asia/Tokyo");
    tzset();
}

enum class Left
{
    Kept,
    Gone,
    SetAside
};

void TestRecovery::startUpOffersWhatTheLastRunLeft_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("otherCopyRuns");
    QTest::addColumn<int>("answer"); // a QMessageBox button; Ok for a message
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("restored");
    QTest::addColumn<Left>("left");
    const QByteArray good = FormatRecovery(kLeft, kUpdated);
    const QString question =
        u"前回、保存されていない歌詞がありました（最終更新 2026/12/08 14:50）。復元しますか？"_s;
    QTest::newRow("はい") << good << false << int(QMessageBox::Yes) << question << true
                          << Left::Kept;
    QTest::newRow("いいえ") << good << false << int(QMessageBox::No) << question << false
                            << Left::Gone;
    QTest::newRow("damaged") << good.first(40) << false << int(QMessageBox::Ok)
                             << u"前回の歌詞を復元するファイル"_s << false << Left::SetAside;
    QTest::newRow("from a later version")
        << QByteArray(good).replace("recovery " + QByteArray::number(kRecoveryVersion),
                                    "recovery 7")
        << false << int(QMessageBox::Ok) << u"前回の歌詞を復元するファイル"_s << false
        << Left::SetAside;
    // The running copy's file is its own: a second copy neither reads nor
    // removes it.
    QTest::newRow("another copy runs") << good << true << int(QMessageBox::Ok)
                                       << u"＠は既にに起動されています。"_s << false << Left::Kept;
    QTest::newRow("the last run ended normally")
        << QByteArray() << false << 0 << QString() << false << Left::Gone;
}

void TestRecovery::startUpOffersWhatTheLastRunLeft()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, otherCopyRuns);
    QFETCH(int, answer);
    QFETCH(QString, asked);
    QFETCH(bool, restored);
    QFETCH(Left, left);
    const QString path = RecoveryFilePath();
    if (!file.isEmpty())
        writeFile(path, file);
    QLockFile running(m_home->cacheFolder() + u"/verselet.lock"_s);
    if (otherCopyRuns)
        QVERIFY(QDir().mkpath(m_home->cacheFolder()) && running.tryLock(0));

    ModalScript script;
    if (answer)
        script.thenAnswer(QMessageBox::StandardButton(answer));
    {
        MainWindow w;
        QCOMPARE(w.Form_Load(), !otherCopyRuns);
        QCOMPARE(script.messages.size(), answer ? 1 : 0);
        QCOMPARE(script.unexpected, 0);
        if (answer) {
            QVERIFY2(script.messages.at(0).text.startsWith(asked),
                     qPrintable(script.messages.at(0).text));
            if (answer == QMessageBox::Yes)
                QCOMPARE(script.messages.at(0).defaultButton, u"はい"_s);
        }
        if (restored) {
            QCOMPARE(w.document().snapshot(), kLeft);
            QCOMPARE(named<QPlainTextEdit>(w, "Text2")->toPlainText(), u"夏の歌\n作者"_s);
            QCOMPARE(readBytes(w.state().Work.tagFile()),
                     QByteArray("-------\r\n[00:12]\r\n[--:--]\r\n"));
            QVERIFY(w.hasUnsavedEdits());
            QCOMPARE(w.windowTitle(), u"Verselet - /home/u/夏.txt"_s);
        } else if (!otherCopyRuns) {
            QCOMPARE(w.document().bodyText(), QString(35, u'-'));
            QCOMPARE(readBytes(w.state().Work.tagFile()), tagTemplateBytes());
        }
        const QString folder = QFileInfo(path).path();
        const QStringList aside =
            QDir(folder).entryList({u"lyrics.recovery.damaged-*"_s}, QDir::Files);
        QCOMPARE(QFile::exists(path), left == Left::Kept);
        QCOMPARE(aside.size(), left == Left::SetAside ? 1 : 0);
        if (left == Left::Kept)
            QCOMPARE(readBytes(path), file);
        if (left == Left::SetAside)
            QCOMPARE(readBytes(folder + u'/' + aside.at(0)), file);
    }
    // A window that goes unclosed leaves restored lyrics, unsaved work, to
    // the next start; a copy never touches another's.
    QCOMPARE(QFile::exists(path), otherCopyRuns || restored);
}

void TestRecovery::aKilledCopyLosesNothing()
{
    const QString kept = m_home->filePath(u"kept.recovery"_s);
    const QString back = m_home->filePath(u"back.recovery"_s);
    QProcess typing;
    typing.start(QCoreApplication::applicationFilePath(), {u"--type"_s, kept});
    QVERIFY(typing.waitForStarted());
    QByteArray said;
    while (!said.contains("kept\n") && typing.waitForReadyRead(60000))
        said += typing.readAllStandardOutput();
    QVERIFY2(said.contains("kept\n"), typing.readAllStandardError().constData());
    const QByteArray tagsBefore = readBytes(WorkFolder(m_home->root).tagFile());
    typing.kill();
    QVERIFY(typing.waitForFinished());
    QCOMPARE(typing.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFile::exists(RecoveryFilePath()));

    QProcess next;
    next.start(QCoreApplication::applicationFilePath(), {u"--restore"_s, back});
    QVERIFY(next.waitForFinished(60000));
    QCOMPARE(next.exitStatus(), QProcess::NormalExit);
    QVERIFY2(next.exitCode() == 0, next.readAllStandardError().constData());
    const auto typed = ParseRecovery(readBytes(kept));
    const auto restored = ParseRecovery(readBytes(back));
    QVERIFY(typed.ok() && restored.ok());
    QVERIFY(typed.value().lyrics.bodyText.endsWith(u"\r\n夏の歌 Ünï"_s));
    QCOMPARE(typed.value().lyrics.headerText, u"題"_s);
    QCOMPARE(restored.value().lyrics, typed.value().lyrics);
    QCOMPARE(readBytes(WorkFolder(m_home->root).tagFile()), tagsBefore);
    QCOMPARE(tagsBefore, QByteArray("-------\r\n[00:01]\r\n"));
    // The restoring copy ended normally: nothing is left to offer.
    QVERIFY(!QFile::exists(RecoveryFilePath()));
}

void TestRecovery::unsavedLyricsGoOnlyWhenTheUserSaysSo_data()
{
    QTest::addColumn<QString>("command"); // a menu item, "" for the window's close box
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("bodyAfter"); // "" when the program ends
    const QString end = u"編集中の歌詞を閉じて、Verseletを終了しますか？"_s;
    QTest::newRow("the close box") << QString() << end << QString();
    QTest::newRow("終了") << u"終了"_s << end << QString();
    QTest::newRow("新規作成") << u"新規作成"_s << u"編集中の歌詞を閉じて、新規作成しますか？"_s
                              << QString(35, u'-');
    QTest::newRow("開く") << u"開く"_s << u"編集中の歌詞を閉じて、ファイルを開きますか？"_s
                          << QString(35, u'-') + u"\r\nほかの歌\r\n"_s;
}

void TestRecovery::unsavedLyricsGoOnlyWhenTheUserSaysSo()
{
    QFETCH(QString, command);
    QFETCH(QString, question);
    QFETCH(QString, bodyAfter);
    const QString other = m_home->filePath(u"other.txt"_s);
    writeBytes(other, "\x82\xD9\x82\xA9\x82\xCC\x89\xCC\r\n"); // ほかの歌
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    typeInto(named<QPlainTextEdit>(w, "Text1"), u"夏の歌"_s);
    const QString typed = w.document().bodyText();
    QTRY_COMPARE_WITH_TIMEOUT(keptBody(), typed, 10000);

    const auto run = [&w, command] {
        command.isEmpty() ? void(w.close()) : w.findChild<QAction*>(command)->trigger();
    };
    ModalScript script;
    script.thenAnswer(QMessageBox::No);
    script.thenAnswer(QMessageBox::Yes);
    if (command == u"開く"_s)
        script.thenChoose(other);
    // いいえ: the program runs on as it was. はい: the command goes its way,
    // and a program that did not end is closed, asking nothing more.
    bool unchanged = false;
    QTimer::singleShot(0, &w, [&] {
        run();
        unchanged = w.isVisible() && w.document().bodyText() == typed && keptBody() == typed;
        QTimer::singleShot(0, &w, [&] {
            run();
            if (w.isVisible())
                w.close();
        });
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(unchanged);
    QVERIFY(script.done());
    QCOMPARE(script.messages.size(), 2);
    QCOMPARE(script.messages.at(1).text, question);
    QCOMPARE(script.messages.at(0).defaultButton, u"いいえ"_s);
    if (!bodyAfter.isEmpty())
        QCOMPARE(w.document().bodyText(), bodyAfter);
    QVERIFY(!QFile::exists(RecoveryFilePath()));
}

void TestRecovery::aFileThatCannotBeWrittenIsShownUntilOneIs()
{
    // A file where the data folder should be.
    const QString blocker = m_home->path() + u"/data/verselet"_s;
    writeFile(blocker, "in the way");
    MainWindow w;
    QVERIFY(w.Form_Load());
    w.show();
    ModalScript script;
    script.thenMessage();
    typeInto(named<QPlainTextEdit>(w, "Text1"), u"夏の歌"_s);
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 10000);
    QCOMPARE(
        script.messages.at(0).text,
        u"保存されていない歌詞を、復元用のフォルダ "_s + blocker +
            u"/recovery に書き込めませんでした。\nフォルダのあるべき場所にファイルがあります。\n"
            u"書き込めるようになるまで、ウィンドウの下の行にそう表示します。"_s);
    QCOMPARE(w.statusLine()->recoveryText(), u"復元用ファイルを書き込めません"_s);
    QCOMPARE(w.windowTitle(), u"Verselet - 新規作成.txt"_s);

    QVERIFY(QFile::remove(blocker));
    typeInto(named<QPlainTextEdit>(w, "Text1"), u"秋の歌"_s);
    QTRY_COMPARE_WITH_TIMEOUT(w.statusLine()->recoveryText(), QString(), 10000);
    QCOMPARE(keptBody(), w.document().bodyText());
    QCOMPARE(script.unexpected, 0);
}

void TestRecovery::aDeclinedFileThatCannotGoIsToldOf()
{
    // Readable, but in a folder this user may not change: root may, so the
    // offer is made as nobody.
    if (geteuid() != 0)
        QSKIP("taking another user's part needs root");
    const QString path = RecoveryFilePath();
    writeFile(path, FormatRecovery(kLeft, kUpdated));
    QVERIFY(QFile::setPermissions(m_home->path(), QFileDevice::Permissions(0x7755)));
    LyricsDocument document;
    ModalScript script;
    script.thenAnswer(QMessageBox::No);
    script.thenMessage();
    QCOMPARE(seteuid(65534), 0);
    const RecoveryOutcome outcome = OfferRecovery(nullptr, path, document, m_home->work);
    QCOMPARE(seteuid(0), 0);
    QCOMPARE(outcome, RecoveryOutcome::Declined);
    QVERIFY(script.done());
    QCOMPARE(script.messages.at(1).text,
             u"前回の歌詞を復元するファイル "_s + path +
                 u" を削除できませんでした。\n次回の起動時にも、復元するかどうかを尋ねます。"_s);
    QCOMPARE(readBytes(path), FormatRecovery(kLeft, kUpdated));
}

// The two copies of aKilledCopyLosesNothing, started as this program with
// the test's environment:
//   --type KEPT     types into a new document and keeps tags, and once the
//                   recovery file holds all of it writes its own state to KEPT
//                   and says "kept"; then waits to be killed.
//   --restore BACK  starts, answers the question with はい, writes the state
//                   it restored to BACK and ends normally, letting the
//                   restored lyrics go (0 when they were unsaved work).
int main(int argc, char* argv[])
{
    if (argc == 3 && (qstrcmp(argv[1], "--type") == 0 || qstrcmp(argv[1], "--restore") == 0)) {
        QApplication app(argc, argv);
        const QString out = QString::fromLocal8Bit(argv[2]);
        if (qstrcmp(argv[1], "--restore") == 0) {
            ModalScript script;
            script.thenAnswer(QMessageBox::Yes);
            int code = 1;
            const auto window = StartVerselet(&code);
            if (!window || script.messages.size() != 1)
                return 2;
            writeBytes(out, FormatRecovery(window->document().snapshot(),
                                           QDateTime::currentDateTimeUtc()));
            const bool unsaved = window->hasUnsavedEdits();
            script.thenAnswer(QMessageBox::Yes);
            window->close();
            return unsaved && script.messages.size() == 2 ? 0 : 3;
        }
        int code = 1;
        const auto window = StartVerselet(&code);
        if (!window)
            return 2;
        QPlainTextEdit* body = named<QPlainTextEdit>(*window, "Text1");
        body->moveCursor(QTextCursor::End);
        QTest::keyClick(body, Qt::Key_Return);
        typeInto(body, u"夏の歌 Ünï"_s);
        typeInto(named<QPlainTextEdit>(*window, "Text2"), u"題"_s);
        const QStringList tags{u"-------"_s, u"[00:01]"_s};
        if (!WriteTagFile(window->state().Work, tags))
            return 4;
        window->document().keepTags(TimedRows(tags, {std::nullopt, 1250}));
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            const LyricsSnapshot now = window->document().snapshot();
            const RecoveryFound found = ReadRecoveryFile(RecoveryFilePath());
            if (found.kind != RecoveryFound::Readable || found.recovered.lyrics != now)
                return;
            poll.stop();
            writeBytes(out, FormatRecovery(now, found.recovered.updated));
            std::fputs("kept\n", stdout);
            std::fflush(stdout);
        });
        poll.start(50);
        return QApplication::exec();
    }
    QApplication app(argc, argv);
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
