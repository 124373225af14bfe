// The program as a person uses it: started the way main() starts it, driven
// through its windows by their names — open the demo lyrics, choose the demo
// disc, keep the marks, play, press Set, close, create the text, save it.

#include "app/mainwindow.h"
#include "app/program.h"
#include "cd/drivelist.h"
#include "document/textfile.h"
#include "timing/timingwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "modalscript.h"
#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoLyricsOnTheDemoDisc();
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
    script.then([](QWidget* drives) {
        auto* combo = drives->findChild<QComboBox*>(u"Combo1"_s);
        combo->setCurrentIndex(combo->count() - 1);
        QMetaObject::invokeMethod(drives->findChild<QPushButton*>(u"Command1"_s),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    main->findChild<QAction*>(u"設定"_s)->trigger();
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
        QTimer::singleShot(0, timing, [timing] { timing->Command2->click(); });
        for (int i = 0; i < 3; ++i)
            QTimer::singleShot(1500 + 1000 * i, timing, [timing] { timing->Command6->click(); });
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

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
