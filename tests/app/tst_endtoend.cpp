// The program as a person uses it: started the way main() starts it, driven
// through its windows by their names — open the demo lyrics, choose the demo
// disc, keep the marks, play, press Set, close, create the text, save it.

#include "app/mainwindow.h"
#include "app/program.h"
#include "settings/drivelist.h"
#include "document/textfile.h"
#include "timing/timingwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// 設定, and the demo disc chosen there: it is always the last entry.
void chooseTheDemoDisc(MainWindow& main, ModalScript& script)
{
    script.then([](QWidget* drives) {
        auto* combo = drives->findChild<QComboBox*>(u"Combo1"_s);
        combo->setCurrentIndex(combo->count() - 1);
        QMetaObject::invokeMethod(drives->findChild<QPushButton*>(u"Command1"_s),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    main.findChild<QAction*>(u"設定"_s)->trigger();
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoLyricsOnTheDemoDisc();
    void demoTimedLyricsToAnLrcFile();
};

void TestEndToEnd::demoLyricsOnTheDemoDisc()
{
    WorkArea home;
    const QString demo = DemoDiscPath();
    QVERIFY2(QFileInfo::exists(demo), qPrintable(demo));
    const QString lyrics = QFileInfo(demo).dir().filePath(u"lyrics-plain.txt"_s);
    const auto plain = ReadWorkFile(lyrics);
    QVERIFY(plain.ok());
    const QStringList lines = plain.value();
    QVERIFY(lines.size() >= 4);
    const QString target = home.filePath(u"timed.txt"_s);

    int exitCode = -1;
    const std::unique_ptr<MainWindow> main = StartVerselet(&exitCode);
    QVERIFY(main);
    QCOMPARE(exitCode, 0);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));

    // 設定: the demo disc, last in the list.
    ModalScript script;
    chooseTheDemoDisc(*main, script);
    QVERIFY(script.done());

    // 開く: the demo lyrics.
    script.thenChoose(lyrics);
    main->findChild<QAction*>(u"開く"_s)->trigger();
    QVERIFY(script.done());

    // リアルタイム入力: the marks as offered, then the timing window.
    script.thenClick(u"Command1"_s);
    script.then([](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        // Set half-way between two seconds, so the tags do not depend on a
        // few milliseconds either way.
        QTimer::singleShot(0, timing,
                           [timing] { named<QPushButton>(timing, "Command2")->click(); });
        for (int i = 0; i < 3; ++i)
            QTimer::singleShot(1500 + 1000 * i, timing,
                               [timing] { named<QPushButton>(timing, "Command6")->click(); });
        QTimer::singleShot(3800, timing, [timing] { timing->close(); });
    });
    script.thenClick(u"Command3"_s);
    script.thenChoose(target);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen, (QStringList{u"Form8"_s, u"CommonDialog1"_s, u"Form2"_s, u"Form3"_s,
                                       u"Form6"_s, u"CommonDialog1"_s}));

    // A plain text has no header and no start text; its last line end leaves
    // an empty line, offered marked, which is written as its tag alone.
    QStringList expected{QString(), u"[00:00]"_s, QString(), QString(42, u'-')};
    for (int i = 0; i < lines.size(); ++i)
        expected.append((i < 3 ? u"[00:%1]"_s.arg(i + 1, 2, 10, QLatin1Char('0')) : u"[--:--]"_s) + lines.at(i));
    expected.append(u"[--:--]"_s);
    expected.append(QString(35, u'-'));
    QCOMPARE(readBytes(target), EncodeCp932(JoinLinesCrLf(expected)).value());
}

void TestEndToEnd::demoTimedLyricsToAnLrcFile()
{
    WorkArea home;
    const QString demo = DemoDiscPath();
    QVERIFY2(QFileInfo::exists(demo), qPrintable(demo));
    // The timed demo lyrics, copied where the user keeps files.
    const QString lyrics = home.filePath(u"ひかりのステップ.txt"_s);
    QVERIFY(QFile::copy(QFileInfo(demo).dir().filePath(u"lyrics-timed.txt"_s), lyrics));
    const QString lrcFile = home.filePath(u"ひかりのステップ.lrc"_s);

    int exitCode = -1;
    const std::unique_ptr<MainWindow> main = StartVerselet(&exitCode);
    QVERIFY(main);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));

    ModalScript script;
    chooseTheDemoDisc(*main, script);
    script.thenChoose(lyrics);
    main->findChild<QAction*>(u"開く"_s)->trigger();
    QVERIFY(script.done());

    // The first two lines stamped again at about 1.5 s and 2.5 s; the other
    // lines keep the seconds of the file.
    ExactTimes stamped;
    script.thenClick(u"Command1"_s);
    script.then([&stamped](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        QTimer::singleShot(0, timing,
                           [timing] { named<QPushButton>(timing, "Command2")->click(); });
        for (int i = 0; i < 2; ++i)
            QTimer::singleShot(1500 + 1000 * i, timing,
                               [timing] { named<QPushButton>(timing, "Command6")->click(); });
        QTimer::singleShot(2800, timing, [timing, &stamped] {
            stamped = timing->session().exactTimes();
            timing->close();
        });
    });
    script.thenClick(u"Command4"_s);
    script.thenChoose(lrcFile);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen.mid(2), (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s, u"LrcDialog"_s}));
    // Offered under the name of the file opened.
    QCOMPARE(script.dialogNameShown, u"ひかりのステップ.lrc"_s);

    QVERIFY(stamped.size() > 2 && stamped.at(1) && stamped.at(2));
    const auto at = [](qint32 ms) {
        return QString::asprintf("[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms % 1000 / 10);
    };
    const QString expected = u"[ti:ひかりのステップ]\n[ar:作詞・作曲：Verselet]\n[re:Verselet]\n"
                             u"[00:00.00]（前奏）\n"_s +
                             at(*stamped.at(1)) + u"朝の窓をあけたら\n"_s + at(*stamped.at(2)) +
                             u"青い風がおどりだす\n"
                             u"[00:17.00]小さなくつをはいて\n[00:21.00]きょうも町へかけだそう\n"
                             u"[00:26.00]ラララ　ひかりのステップ\n[00:30.00]手をたたいてリズムに乗って\n"
                             u"[00:34.00]ラララ　きみとならんで\n[00:37.00]どこまでも歩いてゆこう\n"
                             u"[00:41.00]夕焼けの坂道で\n[00:46.00]また明日ねと手をふろう\n"_s;
    QCOMPARE(QString::fromUtf8(readBytes(lrcFile)), expected);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
