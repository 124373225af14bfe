// The waveform strip in the real timing window, offscreen: a click plays
// there or pauses there, a mark dragged moves its line's time as one step,
// the wheel zooms around the pointer and a zoomed view follows the play head.

#include "settings/calibration.h"
#include "timing/timingwindow.h"
#include "timing/waveformstrip.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <limits>

#include "scripteddevice.h"
#include "testfiles.h"
#include "timedrows.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

class TestWaveform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void clickPausesOrPlaysThere();
    void markDraggedIsOneStep();
    void segmentTickDraggedStaysBetweenItsNeighbours();
    void wheelZoomsAroundThePointerAndTheViewFollows();
    void wheelStepsOfAnySizeZoom_data();
    void wheelStepsOfAnySizeZoom();
    void calibratedLagComesOffTheStamps();

private:
    // A shown window on a device of two tracks, 60 s and 120 s, with the
    // second chosen (or the one `track` says).
    TimingWindow* open(const QStringList& rows, const ExactTimes& exact = {},
                       const QString& track = u"1"_s);

    std::unique_ptr<WorkArea> m_home;
    TimingRig m_window;
    ScriptedDevice* m_device = nullptr;
};

void TestWaveform::init()
{
    m_home = std::make_unique<WorkArea>();
}

void TestWaveform::cleanup()
{
    m_window.reset();
    m_home.reset();
}

TimingWindow* TestWaveform::open(const QStringList& rows, const ExactTimes& exact,
                                 const QString& track)
{
    auto device = std::make_unique<ScriptedDevice>(QList<qint32>{60000, 120000});
    m_device = device.get();
    m_window.open(std::move(device), QString(), track);
    TimingWindow* w = m_window.get();
    w->run().lines().setRows(TimedRows(rows, exact));
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return nullptr;
    return w;
}

void TestWaveform::clickPausesOrPlaysThere()
{
    TimingWindow* w = open({u"[--:--]a"_s});
    QVERIFY(w);
    WaveformStrip* strip = named<verselet::WaveformStrip>(w, "Waveform");
    QCOMPARE(strip->viewStart(), 0);
    QCOMPARE(strip->viewSpan(), 120000); // the whole track
    // The first track, listed before the last: still its own length.
    m_window.reset();
    w = open({u"[--:--]a"_s}, {}, u"0"_s);
    QVERIFY(w);
    strip = named<verselet::WaveformStrip>(w, "Waveform");
    QCOMPARE(strip->viewSpan(), 60000);
    named<QComboBox>(w, "Combo1")->setCurrentIndex(1);
    Q_EMIT named<QComboBox>(w, "Combo1")->activated(1);
    QCOMPARE(strip->viewSpan(), 120000);
    // Stopped: a click pauses at that point.
    const int x = strip->xAt(30000);
    const qint32 at = strip->timeAt(x);
    QVERIFY(std::abs(at - 30000) < 300);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(x, 30));
    QVERIFY(!m_device->isPlaying());
    QVERIFY(m_device->fromPending());
    QCOMPARE(m_device->from(), 60000 + at);
    QVERIFY(w->run().transport().state() != Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    QCOMPARE(w->run().transport().headPosition(), at);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(),
             u"[00:%1]"_s.arg(at / 1000, 2, 10, QLatin1Char('0')));
    // "＞" goes on from there.
    named<QPushButton>(w, "Command2")->click();
    QVERIFY(m_device->isPlaying());
    QCOMPARE(m_device->Position(), 60000 + at);
    // Playing: a click plays from the point clicked, and Set goes on.
    m_device->advance(2000);
    const int later = strip->xAt(90000);
    QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(later, 30));
    QVERIFY(m_device->isPlaying());
    QCOMPARE(m_device->Position(), 60000 + strip->timeAt(later));
    QVERIFY(named<QPushButton>(w, "Command6")->isEnabled());
}

void TestWaveform::markDraggedIsOneStep()
{
    TimingWindow* w = open({u"[00:10]a"_s, u"[00:40]b"_s, u"[--:--]c"_s}, {10500, 40250});
    QVERIFY(w);
    WaveformStrip* strip = named<verselet::WaveformStrip>(w, "Waveform");
    const int from = strip->xAt(40250);
    const int to = strip->xAt(50000);
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(from + 1, 30));
    QTest::mouseMove(strip, QPoint(from + 20, 30));
    QTest::mouseMove(strip, QPoint(to, 30));
    // Nothing moves until the mark is let go.
    QCOMPARE(w->run().lines().sheet().row(1).exactTime(), ExactTime(40250));
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(to, 30));
    const qint32 moved = strip->timeAt(to);
    QCOMPARE(w->run().lines().sheet().row(1).exactTime(), ExactTime(moved));
    QCOMPARE(w->run().lines().sheet().listRows().at(1), u"[00:%1]b"_s.arg(moved / 1000));
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:10]a"_s);
    QCOMPARE(w->run().transport().state(),
             Transport::State::Stopped); // a drag is no click: still stopped
    w->run().lines().undo();
    QCOMPARE(w->run().lines().sheet().listRows().at(1), u"[00:40]b"_s);
    QCOMPARE(w->run().lines().sheet().row(1).exactTime(), ExactTime(40250));
    QVERIFY(!w->run().lines().history().canUndo());
}

void TestWaveform::segmentTickDraggedStaysBetweenItsNeighbours()
{
    TimingWindow* w = open({});
    QVERIFY(w);
    w->run().lines().setRows({TimingRow::fromListRow(
        u"[00:10]ab cd ef"_s, 10000, {u"ab cd ef"_s, {0, 3, 6}, {10000, 20000, 30000}, 40000})});
    WaveformStrip* strip = named<verselet::WaveformStrip>(w, "Waveform");
    const int low = strip->height() - 2;
    // Past the next segment: held at it, and drawn there while it is dragged.
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(strip->xAt(20000), low));
    QTest::mouseMove(strip, QPoint(strip->xAt(20000) + 10, low));
    QTest::mouseMove(strip, QPoint(strip->xAt(35000), low));
    const QImage drawn = strip->grab().toImage();
    for (int x = strip->xAt(20000) - 2; x < strip->xAt(40000) - 2; ++x) {
        if (x < strip->xAt(30000) - 2 || x > strip->xAt(30000) + 2)
            QCOMPARE(drawn.pixelColor(x, low), QColor(16, 16, 16));
    }
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(strip->xAt(45000), low));
    QCOMPARE(w->run().lines().sheet().row(0).words().times, (ExactTimes{10000, 30000, 30000}));
    const auto drag = [strip, low](qint32 from, qint32 to) {
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(strip->xAt(from), low));
        QTest::mouseMove(strip, QPoint(strip->xAt(from) + 10, low));
        QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(strip->xAt(to), low));
    };
    drag(30000, 5000); // before the line: held at the first segment, the line's
    QCOMPARE(w->run().lines().sheet().row(0).words().times, (ExactTimes{10000, 10000, 30000}));
    QCOMPARE(w->run().lines().sheet().row(0).exactTime(), ExactTime(10000));
    // The end moves too, held after the last segment.
    drag(40000, 20000);
    QCOMPARE(w->run().lines().sheet().row(0).words().end, ExactTime(30000));
    for (int step = 0; step < 3; ++step)
        w->run().lines().undo();
    QCOMPARE(w->run().lines().sheet().row(0).words().times, (ExactTimes{10000, 20000, 30000}));
    QCOMPARE(w->run().lines().sheet().row(0).words().end, ExactTime(40000));
}

void TestWaveform::wheelZoomsAroundThePointerAndTheViewFollows()
{
    TimingWindow* w = open({u"[--:--]a"_s});
    QVERIFY(w);
    WaveformStrip* strip = named<verselet::WaveformStrip>(w, "Waveform");
    const auto wheel = [strip](int x, int steps) {
        QWheelEvent event(QPointF(x, 30), strip->mapToGlobal(QPointF(x, 30)), QPoint(),
                          QPoint(0, 120 * steps), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(strip, &event);
    };
    const int x = strip->width() / 4;
    const qint32 under = strip->timeAt(x);
    wheel(x, 3);
    QVERIFY(strip->viewSpan() < 120000 / 1.9);
    QVERIFY(std::abs(strip->timeAt(x) - under) <= strip->viewSpan() / strip->width() + 1);
    wheel(x, -20); // not wider than the track
    QCOMPARE(strip->viewStart(), 0);
    QCOMPARE(strip->viewSpan(), 120000);
    wheel(0, 8);
    const qint32 span = strip->viewSpan();
    QCOMPARE(strip->viewStart(), 0);

    // Playing past the view, the view turns the page.
    named<QPushButton>(w, "Command2")->click();
    m_device->advance(span + 5000);
    QTRY_VERIFY(strip->viewStart() > 0);
    const qint32 head = w->run().transport().headPosition();
    QVERIFY(head >= strip->viewStart() && head < strip->viewStart() + strip->viewSpan());
    QCOMPARE(strip->viewSpan(), span);
}

void TestWaveform::wheelStepsOfAnySizeZoom_data()
{
    // A notch is 120; touchpads and fine wheels send parts of one.
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<qint32>("span"); // of the 120 s track, to 10 ms
    QTest::newRow("a notch") << QList<int>{120} << 96000;
    QTest::newRow("eight touchpad steps") << QList<int>(8, 15) << 96000;
    QTest::newRow("a fine wheel's thirds") << QList<int>{40, 40, 40} << 96000;
    QTest::newRow("in by notches, out by small steps")
        << QList<int>{360} + QList<int>(24, -15) << 120000;
    QTest::newRow("the largest delta") << QList<int>{std::numeric_limits<int>::max()} << 1000;
    QTest::newRow("the smallest delta")
        << QList<int>{600, std::numeric_limits<int>::min()} << 120000;
}

void TestWaveform::wheelStepsOfAnySizeZoom()
{
    QFETCH(QList<int>, deltas);
    QFETCH(qint32, span);
    TimingWindow* w = open({u"[--:--]a"_s});
    QVERIFY(w);
    WaveformStrip* strip = named<verselet::WaveformStrip>(w, "Waveform");
    const QPointF at(strip->width() / 2, 30);
    for (const int delta : deltas) {
        QWheelEvent event(at, strip->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(strip, &event);
    }
    QVERIFY2(std::abs(strip->viewSpan() - span) <= 10,
             qPrintable(QString::number(strip->viewSpan())));
    QVERIFY(strip->viewStart() >= 0 && strip->viewStart() + strip->viewSpan() <= 120000);
}

void TestWaveform::calibratedLagComesOffTheStamps()
{
    QVERIFY(WriteCalibration(132));
    TimingWindow* w = open({u"[--:--]a"_s, u"[--:--]b"_s});
    QVERIFY(w);
    QCOMPARE(w->run().transport().lag(), 132);
    named<QPushButton>(w, "Command2")->click();
    m_device->advance(4100);
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().row(0).exactTime(), ExactTime(3968));
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:03]a"_s);
    // Shown in the strip's corner.
    const QImage picture = named<verselet::WaveformStrip>(w, "Waveform")->grab().toImage();
    QImage without;
    m_window.reset();
    QVERIFY(WriteCalibration(0));
    w = open({u"[--:--]a"_s, u"[--:--]b"_s});
    QCOMPARE(w->run().transport().lag(), 0);
    without = named<verselet::WaveformStrip>(w, "Waveform")->grab().toImage();
    const QRect corner(picture.width() - 80, 0, 80, 16);
    QVERIFY(picture.copy(corner) != without.copy(corner));
}

QTEST_MAIN(TestWaveform)
#include "tst_waveform.moc"
