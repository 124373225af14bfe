// The exact times of a document's lines from one real-time input to the
// next: kept by Set, carried beside the tag file when the run's tags are
// saved, dropped with them, and gone after New and an open.

#include "app/mainwindow.h"
#include "realtime/lineselectiondialog.h"
#include "timing/timingwindow.h"
#include "workfiles/workfiles.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "modalscript.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

const QString kBody = QString(35, u'-') + u"\r\n一行目\r\n二行目\r\n三行目"_s;

// The exact times given, then none up to `count`.
ExactTimes firstRows(ExactTimes times, qsizetype count)
{
    times.resize(count);
    return times;
}

} // namespace

class TestExactTimes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void howTheRunEndsDecidesWhatIsKept_data();
    void howTheRunEndsDecidesWhatIsKept();
    void nextRunStartsFromTheKeptTimes();
    void newAndOpenDropThem();
    void lrcFileComesBackFromARunWithoutStamps_data();
    void lrcFileComesBackFromARunWithoutStamps();

private:
    // The timing window's part of a run: play, Set at 12.987 s and at
    // 65.432 s (the first two lyric lines), then close the window.
    void thenStampTwoLines(ModalScript& script);
    // A whole run with the two stamps, ended by the finish dialog's Command1.
    void keepARun();

    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<MainWindow> m_main;
    ScriptedDevice* m_device = nullptr;
};

void TestExactTimes::init()
{
    m_home = std::make_unique<WorkArea>();
    m_main = std::make_unique<MainWindow>();
    m_main->seams().deviceFactory = [this] {
        auto device = std::make_unique<ScriptedDevice>(QList<qint32>{240000});
        m_device = device.get();
        return device;
    };
    QVERIFY(m_main->Form_Load());
    m_main->document().setHeaderText(u"題名"_s);
    m_main->document().setBodyText(kBody);
}

void TestExactTimes::cleanup()
{
    m_main.reset();
    m_home.reset();
}

void TestExactTimes::thenStampTwoLines(ModalScript& script)
{
    script.then([this](QWidget* w) {
        auto* timing = qobject_cast<TimingWindow*>(w);
        QVERIFY(timing);
        named<QPushButton>(timing, "Command2")->click(); // ＞
        m_device->advance(12987);
        named<QPushButton>(timing, "Command6")->click(); // Set
        m_device->advance(65432 - 12987);
        named<QPushButton>(timing, "Command6")->click();
        QMetaObject::invokeMethod(timing, &QWidget::close, Qt::QueuedConnection);
    });
}

void TestExactTimes::keepARun()
{
    ModalScript script;
    script.thenClick(u"Command1"_s); // the marks as they are
    thenStampTwoLines(script);
    script.thenClick(u"Command1"_s); // 編集を保存してもどる
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
}

void TestExactTimes::howTheRunEndsDecidesWhatIsKept_data()
{
    QTest::addColumn<QStringList>("finish"); // what is done in and after the finish dialog
    QTest::addColumn<bool>("kept");
    QTest::newRow("編集を保存してもどる") << QStringList{u"Command1"_s} << true;
    QTest::newRow("編集を破棄してもどる") << QStringList{u"Command2"_s} << false;
    QTest::newRow("closed by its frame") << QStringList{u"close"_s, u"close selection"_s} << false;
    QTest::newRow("歌詞テキストを作成する, cancelled, then closed")
        << QStringList{u"Command3"_s, u"cancel"_s, u"close"_s, u"close selection"_s} << true;
    QTest::newRow("LRCファイルを作成する")
        << QStringList{u"Command4"_s, u"yes"_s, u"choose"_s} << true;
    QTest::newRow("LRCファイルを作成する, いいえ, then 編集を破棄してもどる")
        << QStringList{u"Command4"_s, u"no"_s, u"Command2"_s} << true;
}

void TestExactTimes::howTheRunEndsDecidesWhatIsKept()
{
    QFETCH(QStringList, finish);
    QFETCH(bool, kept);
    // The same lines as opened from a file: nothing is unsaved but what the
    // run keeps.
    const QString opened = m_home->filePath(u"lines.txt"_s);
    writeBytes(opened, EncodeCp932(kBody.sliced(37)).value());
    m_main->LoadLyricsFile(opened);
    QCOMPARE(m_main->document().bodyText(), kBody);
    QVERIFY(!m_main->hasUnsavedEdits());

    ModalScript script;
    script.thenClick(u"Command1"_s);
    thenStampTwoLines(script);
    for (const QString& step : finish) {
        if (step == u"close"_s || step == u"close selection"_s)
            script.thenClose();
        else if (step == u"cancel"_s)
            script.thenCancel();
        else if (step == u"yes"_s)
            script.thenAnswer(QMessageBox::Yes);
        else if (step == u"no"_s)
            script.thenAnswer(QMessageBox::No);
        else if (step == u"choose"_s)
            script.thenChoose(m_home->filePath(u"song.lrc"_s));
        else
            script.thenClick(step);
    }
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);

    // Rows 1 and 2 were stamped; the tag file has one line per row of the
    // timing list (one per body line), and the exact times run with it.
    const ExactTimes stamped = firstRows({std::nullopt, 12987, 65432}, 4);
    QCOMPARE(m_main->document().exactTimes(), kept ? stamped : ExactTimes());
    const QStringList tags =
        SplitWorkLines(QString::fromLatin1(readBytes(m_main->state().Work.tagFile())));
    QCOMPARE(tags.mid(0, 4),
             kept ? (QStringList{u"-------"_s, u"[00:12]"_s, u"[01:05]"_s, u"[--:--]"_s})
                  : (QStringList{u"-------"_s, u"[--:--]"_s, u"[--:--]"_s, u"[--:--]"_s}));
    QCOMPARE(tags.size(), kept ? 4 : 272); // the template stays when nothing was saved
    QCOMPARE(m_main->hasUnsavedEdits(), kept);
}

void TestExactTimes::nextRunStartsFromTheKeptTimes()
{
    keepARun();

    ExactTimes seen;
    ModalScript script;
    script.then([](QWidget* w) {
        // Row 2, stamped at 65.432 s, is unmarked: its time goes.
        auto* selection = qobject_cast<LineSelectionDialog*>(w);
        QVERIFY(selection);
        named<QListWidget>(selection, "List1")->item(2)->setCheckState(Qt::Unchecked);
        QMetaObject::invokeMethod(named<QPushButton>(selection, "Command1"), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    script.then([&seen](QWidget* w) {
        auto* timing = qobject_cast<TimingWindow*>(w);
        QVERIFY(timing);
        TimingLines& lines = timing->run().lines();
        seen = ExactTimesOf(timing->run()).mid(0, 4);
        // Showing the selected line writes its tag into the time field
        // again; that keeps the exact time.
        lines.selectRow(1);
        timing->ShowSelectedLine();
        QCOMPARE(named<QLineEdit>(timing, "Text1")->text(), u"[00:12]"_s);
        QCOMPARE(lines.sheet().row(1).exactTime(), ExactTime(12987));
        // A tag typed over it has its whole seconds.
        lines.selectRow(3);
        timing->ShowSelectedLine();
        named<QLineEdit>(timing, "Text1")->setText(u"[02:30]"_s);
        QCOMPARE(lines.sheet().row(3).exactTime(), ExactTime(150000));
        QMetaObject::invokeMethod(timing, &QWidget::close, Qt::QueuedConnection);
    });
    script.thenClick(u"Command1"_s);
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);

    QCOMPARE(seen, (ExactTimes{std::nullopt, 12987, std::nullopt, std::nullopt}));
    QCOMPARE(m_main->document().exactTimes(),
             (ExactTimes{std::nullopt, 12987, std::nullopt, 150000}));
}

void TestExactTimes::newAndOpenDropThem()
{
    keepARun();
    QVERIFY(!m_main->document().exactTimes().isEmpty());
    m_main->document().markSaved(); // kept tags saved: New asks nothing
    named<QAction>(m_main, "新規作成")->trigger();
    QCOMPARE(m_main->document().exactTimes(), ExactTimes());

    m_main->document().setBodyText(kBody);
    keepARun();
    QVERIFY(!m_main->document().exactTimes().isEmpty());
    const QString file = m_home->filePath(u"plain.txt"_s);
    writeBytes(file, "one\r\ntwo\r\n");
    m_main->LoadLyricsFile(file);
    QCOMPARE(m_main->document().exactTimes(), ExactTimes());
}

void TestExactTimes::lrcFileComesBackFromARunWithoutStamps_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("written");

    const QByteArray own = "[ti:\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91]\n[ar:Singer]\n[al:Album]\n"
                           "[re:Verselet]\n[00:00.00]intro\n[00:00.00]at zero\n[00:12.34]one\n"
                           "[01:05.99]two\n[100:02.50]long\n"_ba;
    QTest::newRow("a file of its own comes back byte for byte") << own << own;
    QTest::newRow("another editor's file comes back in time order")
        << "\xEF\xBB\xBF[ti:T]\r\n[by:x]\r\n[offset:+100]\r\n"
           "[00:10.22][00:30.22]<00:10.22>cho<00:11.00>rus\r\n[00:20.10]verse\r\n[00:05.10]first\r\n"_ba
        << "[ti:T]\n[by:x]\n[re:Verselet]\n[00:05.00]first\n[00:10.12]chorus\n[00:20.00]verse\n"
           "[00:30.12]chorus\n"_ba;
    QTest::newRow("a file with milliseconds keeps them")
        << "[ar:A]\r[00:01.239]a\r[00:02.5]b\r"_ba
        << "[ar:A]\n[re:Verselet]\n[00:01.239]a\n[00:02.500]b\n"_ba;
    const QByteArray blanks =
        "[re:Verselet]\n[00:00.00]\n[00:05.00]a\n[00:15.00]\n[00:20.00]b\n[00:31.00]\n"_ba;
    QTest::newRow("timed blank lines, one at zero, come back") << blanks << blanks;
    const QByteArray world = "[ti:Caf\xC3\xA9 \xE2\x99\xA5]\n[re:Verselet]\n"
                             "[00:01.00]\xC3\xA9\xE2\x80\x93\xF0\x9F\x98\x80\xED\x95\x9C\n"_ba;
    QTest::newRow("characters a timed text cannot hold are timed and come back") << world << world;
}

void TestExactTimes::lrcFileComesBackFromARunWithoutStamps()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, written);
    const QString path = m_home->filePath(u"song.lrc"_s);
    writeBytes(path, file);
    const QString again = m_home->filePath(u"again.lrc"_s);

    m_main->document().markSaved(); // the typed lyrics saved: the open asks nothing
    ModalScript script;
    script.thenChoose(path);
    named<QAction>(m_main, "開く")->trigger();
    script.thenClick(u"Command1"_s); // every timed line is marked
    script.thenClose();              // the timing window, without a stamp
    script.thenClick(u"Command4"_s);
    script.thenChoose(again);
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QVERIFY(script.messages.isEmpty());
    // Offered under the file's own name.
    QCOMPARE(script.dialogNameShown, u"song.lrc"_s);
    // With the timed track's length, which none of these files has.
    QCOMPARE(readBytes(again), QByteArray(written).replace("[re:", "[length:04:00]\n[re:"));
}

QTEST_MAIN(TestExactTimes)
#include "tst_exacttimes.moc"
