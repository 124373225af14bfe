#include "document/lyricsdocument.h"
#include "realtime/realtimecontext.h"
#include "realtime/realtimeinput.h"
#include "testdisplay/karaokelabel.h"
#include "testdisplay/testdisplaywindow.h"
#include "timing/timingwindow.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "modalscript.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

class TestTestDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void windowLooksAsItShould();
    void fromTheBeginningShowsTheStartTextThenEachLine();
    void fromTheSelectedLinePlaysFromItsTag();
    void aLineTimedWordByWordFillsAsItIsSung();
    void closesWhenTheTrackIsOver();
    void frameCloseStopsAndReArms();
    void openedFromTheTimingWindowsButtons();
    void screenshot();

private:
    // The timing window's clock and display move on by `ms`, then the
    // display ticks.
    void tick(TestDisplayWindow& display, qint64 ms);

    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<LyricsDocument> m_document;
    TimingRig m_timing;
    ScriptedDevice* m_device = nullptr;
};

void TestTestDisplay::init()
{
    m_home = std::make_unique<WorkArea>();
    m_document = std::make_unique<LyricsDocument>();
    m_document->setStartText(u"（前奏）"_s);
    auto device = std::make_unique<ScriptedDevice>(QList<qint32>{30000, 65500});
    m_device = device.get();
    m_timing.open(std::move(device), QString(), u"1"_s);
    m_timing->run().lines().setRows(
        TimingRowsFromList({u"-------"_s + QString(35, u'-'), u"[00:02]いち"_s, u"[00:02]に"_s,
                            u"       （間奏）"_s, u"[01:05]さん"_s}));
}

void TestTestDisplay::cleanup()
{
    m_timing.reset();
    m_document.reset();
    m_home.reset();
}

void TestTestDisplay::tick(TestDisplayWindow& display, qint64 ms)
{
    m_device->advance(ms);
    m_timing->run().transport().tick();
    display.onTick();
}

void TestTestDisplay::windowLooksAsItShould()
{
    TestDisplayWindow display(TestDisplayWindow::Start::FromBeginning, m_timing->run(),
                              m_document->startText(), m_timing.get());
    QCOMPARE(display.objectName(), u"Form4"_s);
    QCOMPARE(display.windowTitle(), u"テスト表示"_s);
    QCOMPARE(display.size(), QSize(544, 57));
    QCOMPARE(named<QFrame>(display, "Shape1")->geometry(), QRect(8, 8, 529, 41));
    QCOMPARE(named<QLabel>(display, "Label1")->geometry(), QRect(8, 16, 529, 25));
    QCOMPARE(named<QLabel>(display, "Label1")->alignment(), Qt::AlignCenter);
    QCOMPARE(named<QLabel>(display, "Label1")->palette().color(QPalette::WindowText),
             QColor(255, 255, 192));
    QCOMPARE(named<QLabel>(display, "Label1")->palette().color(QPalette::Window),
             QColor(Qt::black));
    QVERIFY(named<QLabel>(display, "Label1")->font().bold());
    QCOMPARE(named<QLabel>(display, "Label1")->font().pointSizeF(), 13.5);
    QCOMPARE(named<QTimer>(display, "Timer1")->interval(), 100);
    TestDisplayWindow fromLine(TestDisplayWindow::Start::FromSelectedLine, m_timing->run(),
                               m_document->startText(), m_timing.get());
    QCOMPARE(fromLine.objectName(), u"Form5"_s);
    QCOMPARE(fromLine.windowTitle(), u"テスト表示"_s);
    QCOMPARE(named<QTimer>(fromLine, "Timer1")->interval(), 10);
}

void TestTestDisplay::fromTheBeginningShowsTheStartTextThenEachLine()
{
    m_timing->run().lines().selectRow(3);
    TestDisplayWindow display(TestDisplayWindow::Start::FromBeginning, m_timing->run(),
                              m_document->startText(), m_timing.get());
    // Opening: Set on, the test button off, playing from the track start,
    // nothing selected, the start text shown.
    QVERIFY(named<QTimer>(display, "Timer1")->isActive());
    QVERIFY(!named<QPushButton>(m_timing, "Command8")->isEnabled());
    QVERIFY(named<QPushButton>(m_timing, "Command6")->isEnabled());
    QVERIFY(m_timing->run().transport().state() != Transport::State::Stopped);
    QCOMPARE(m_timing->run().lines().sheet().selected(), -1);
    QVERIFY(m_device->isPlaying());
    QCOMPARE(m_device->Position(), 30000);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"（前奏）"_s);

    tick(display, 1500);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"（前奏）"_s);
    tick(display, 600); // [00:02]: one line per tick
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"いち"_s);
    tick(display, 100);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"に"_s);
    tick(display, 62000);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"に"_s);
    tick(display, 1000); // [01:05]
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"さん"_s);
    QCOMPARE(display.ShownLineIndex, 4);
}

void TestTestDisplay::fromTheSelectedLinePlaysFromItsTag()
{
    m_timing->run().lines().selectRow(4);
    TestDisplayWindow display(TestDisplayWindow::Start::FromSelectedLine, m_timing->run(),
                              m_document->startText(), m_timing.get());
    QCOMPARE(display.ShownLineIndex, 3);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), QString());
    QCOMPARE(m_device->Position(), 30000 + 65000);
    QCOMPARE(m_timing->run().lines().sheet().selected(), 4);
    tick(display, 10);
    QCOMPARE(named<QLabel>(display, "Label1")->text(), u"さん"_s);
}

void TestTestDisplay::aLineTimedWordByWordFillsAsItIsSung()
{
    m_timing->run().lines().setRows(
        {TimingRow::fromListRow(u"[01:02]さん"_s, 62000,
                                {u"さん"_s, {0, 1}, {62000, 63000}, 64000}),
         TimingRow::fromListRow(u"[01:04]plain"_s)});
    m_timing->run().lines().selectRow(0);
    TestDisplayWindow display(TestDisplayWindow::Start::FromSelectedLine, m_timing->run(),
                              m_document->startText(), m_timing.get());
    auto* line = named<KaraokeLabel>(display, "Label1");
    tick(display, 500);
    QCOMPARE(line->text(), u"さん"_s);
    QCOMPARE(line->sung(), (SungPoint{0, 0.5}));
    tick(display, 1500); // [01:04]: a line without word times shows plain
    QCOMPARE(line->text(), u"plain"_s);
    QCOMPARE(line->sung().unit, -1);
    const int plainHeight = display.height();

    // A song with readings stands taller, for the readings above its lines;
    // the line fills mora by mora.
    m_timing->run().lines().setRows({TimingRow::fromListRow(
        u"[01:02]世界"_s, 62000,
        {u"世界"_s, {0}, {62000, 62500, 62800}, 63000, {{0, 2, u"せかい"_s, {0, 1, 2}}}})});
    m_timing->run().lines().selectRow(0);
    TestDisplayWindow furigana(TestDisplayWindow::Start::FromSelectedLine, m_timing->run(),
                               m_document->startText(), m_timing.get());
    QVERIFY(furigana.height() > plainHeight);
    auto* ruby = named<KaraokeLabel>(furigana, "Label1");
    tick(furigana, 600);
    QCOMPARE(ruby->text(), u"世界"_s);
    QCOMPARE(ruby->sung().unit, 1);
}

void TestTestDisplay::closesWhenTheTrackIsOver()
{
    ModalScript script;
    TestDisplayWindow display(TestDisplayWindow::Start::FromBeginning, m_timing->run(),
                              m_document->startText(), m_timing.get());
    display.show();
    tick(display, 64900);
    QVERIFY(display.isVisible());
    // The timing window sees [01:05], the length of the track, stops and
    // re-arms; the display's tick sees it too and closes.
    tick(display, 200);
    QVERIFY(!display.isVisible());
    QCOMPARE(m_timing->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!m_device->isPlaying());
    QVERIFY(!named<QTimer>(display, "Timer1")->isActive());

    // The display ends with the track even when none of its own ticks falls
    // while the time reads the track's length: the session says so.
    TestDisplayWindow late(TestDisplayWindow::Start::FromBeginning, m_timing->run(),
                           m_document->startText(), m_timing.get());
    late.show();
    m_device->advance(65100);
    m_timing->run().transport().tick();
    m_timing->run().transport().tick();
    QVERIFY(!late.isVisible());
    QVERIFY(!named<QTimer>(late, "Timer1")->isActive());
}

void TestTestDisplay::frameCloseStopsAndReArms()
{
    TestDisplayWindow display(TestDisplayWindow::Start::FromSelectedLine, m_timing->run(),
                              m_document->startText(), m_timing.get());
    display.show();
    tick(display, 3000);
    display.close();
    QVERIFY(!named<QPushButton>(m_timing, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(m_timing, "Command8")->isEnabled());
    QVERIFY(!m_device->isPlaying());
    QVERIFY(m_device->fromPending());
    QCOMPARE(m_device->from(), 30000);
    QCOMPARE(m_timing->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!named<QTimer>(display, "Timer1")->isActive());
}

void TestTestDisplay::openedFromTheTimingWindowsButtons()
{
    // In a real-time input, over the timing window it runs.
    RealtimeContext context;
    context.work = m_home->work;
    context.document = m_document.get();
    context.makeDevice = [] { return std::make_unique<ScriptedDevice>(QList<qint32>{30000}); };
    QStringList opened;
    ModalScript script;
    script.then([](QWidget* timing) {
        QMetaObject::invokeMethod(timing->findChild<QPushButton*>(u"Command8"_s),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    script.then([&opened](QWidget* display) {
        opened.append(display->objectName() + u' ' + display->parentWidget()->objectName());
        QMetaObject::invokeMethod(display, &QWidget::close, Qt::QueuedConnection);
    });
    script.then([](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        timing->run().lines().selectRow(1);
        timing->ShowSelectedLine();
        QMetaObject::invokeMethod(named<QPushButton>(timing, "Command9"), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    script.then([&opened](QWidget* display) {
        opened.append(display->objectName() + u' ' + display->parentWidget()->objectName());
        QMetaObject::invokeMethod(display, &QWidget::close, Qt::QueuedConnection);
    });
    script.thenClose();              // the timing window
    script.thenClick(u"Command2"_s); // 編集を破棄してもどる
    QVERIFY(RealtimeInput(context).runTiming(TimingRowsFromList({u"[00:01]a"_s, u"[00:02]b"_s}),
                                             nullptr));
    QCOMPARE(script.seen,
             (QStringList{u"Form3"_s, u"Form4"_s, u"Form3"_s, u"Form5"_s, u"Form3"_s, u"Form6"_s}));
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(opened, (QStringList{u"Form4 Form3"_s, u"Form5 Form3"_s}));
}

void TestTestDisplay::screenshot()
{
    TestDisplayWindow display(TestDisplayWindow::Start::FromBeginning, m_timing->run(),
                              m_document->startText(), m_timing.get());
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
    tick(display, 2100);
    const QImage image = display.grab().toImage();
    QCOMPARE(image.size(), QSize(544, 57));
    const QString folder = QStringLiteral(SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + u"/test-display.png"_s));
}

QTEST_MAIN(TestTestDisplay)
#include "tst_testdisplay.moc"
