// How exact a stamp is and how soon it shows. A timing window plays a disc
// image through a PulseAudio null sink of its own; Set is pressed from the
// keyboard (Space on the focused button) right after the sink's monitor has
// delivered, and the exact time kept for the row is held against what the
// sink had rendered by then. Then the time from a key press (Set, a nudge)
// to the repainted row of the list. The same again in word mode, where each
// Space stamps a segment.

#include "audio/discaudiodevice.h"
#include "audiosink/sinkoutput.h"
#include "session/timingrun.h"
#include "timing/timingwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "../tests/discfixtures.h"
#include "../tests/pulsenullsink.h"
#include "../tests/sinkmonitor.h"
#include "../tests/widgetnames.h"
#include "benchclock.h"

#include <cstdio>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Counts the paints of a widget.
class PaintCounter final : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QStringList untimedRows(int count)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(u"[--:--]歌詞の行 %1"_s.arg(i));
    return rows;
}

// The time the last press kept: the selected line's, or in word mode the
// segment's it stamped.
ExactTime lastStamp(const TimingLines& lines)
{
    const TimingSheet& sheet = lines.sheet();
    const int row = sheet.selected();
    if (row < 0)
        return std::nullopt;
    return lines.wordMode() ? sheet.row(row).words().timeOf(std::max(sheet.segment() - 1, 0))
                            : sheet.row(row).exactTime();
}

// Exact time kept minus the position the sink had rendered, one per Set.
QList<double> stampsAgainstTheSink(TimingWindow& window, SinkMonitor& monitor, int presses)
{
    QList<double> diffs;
    QPushButton* const setButton = named<QPushButton>(window, "Command6");
    setButton->setFocus();
    QElapsedTimer t;
    t.start();
    qint64 lastPress = 0;
    while (diffs.size() < presses && t.elapsed() < 40000) {
        QTest::qWait(1);
        // The sink's count is exact right after a delivery; one press every
        // 20 ms or so, after the stream has settled.
        if (!monitor.poll() || monitor.renderedMs() < 0 || t.elapsed() < 500 ||
            t.elapsed() - lastPress < 20)
            continue;
        const double rendered = monitor.renderedMs();
        QTest::keyClick(setButton, Qt::Key_Space);
        lastPress = t.elapsed();
        const ExactTime exact = lastStamp(window.run().lines());
        if (!exact) {
            std::printf("FAILED: Set kept no exact time for row %d\n",
                        window.run().lines().sheet().selected());
            return {};
        }
        diffs.append(*exact - rendered);
    }
    return diffs;
}

// From a key press to the changed row painted again, in ms.
QList<double> pressToRepaint(TimingWindow& window, QWidget* focus, Qt::Key key, int presses)
{
    PaintCounter counter;
    named<QListView>(window, "List1")->viewport()->installEventFilter(&counter);
    focus->setFocus();
    QList<double> delays;
    for (int i = 0; i < presses; ++i) {
        QTest::qWait(5);
        const int before = counter.paints;
        QElapsedTimer t;
        t.start();
        QTest::keyClick(focus, key);
        while (counter.paints == before && t.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (counter.paints == before) {
            std::printf("FAILED: the list was not painted after the key\n");
            return {};
        }
        delays.append(t.nsecsElapsed() / 1e6);
    }
    named<QListView>(window, "List1")->viewport()->removeEventFilter(&counter);
    return delays;
}

} // namespace

int main(int argc, char* argv[])
{
    ShowOnlyFailures();
    PulseNullSink pulse;
    const bool pulseUp = pulse.start();
    OffscreenHome home;
    QApplication app(argc, argv);

    const QString image = fixtures::writeBinCue(home.path(), {75 * 60, 75 * 60});
    std::printf("stamps from the keyboard (Space on Set), disc image\n");
    if (!pulseUp) {
        std::printf("  the null sink cannot be started here: %s\n", qPrintable(pulse.why()));
        return 0;
    }
    SinkMonitor monitor;
    if (!monitor.start()) {
        std::printf("  the sink's monitor cannot be recorded: %s\n", qPrintable(monitor.why()));
        return 0;
    }

    TimingRun run(std::make_unique<DiscAudioDevice>(SystemAudioOutputs()), image, u"0"_s);
    TimingWindow window(run);
    window.run().lines().setRows(TimingRowsFromList(untimedRows(600)));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    QTest::qWait(200);
    if (window.run().device().isSilent()) {
        std::printf("  no audio output: nothing to hold the stamps against\n");
        return 0;
    }
    for (const bool words : {false, true}) {
        if (words) {
            std::printf("word mode: Space stamps one segment\n");
            named<QCheckBox>(window, "WordMode")->click();
            window.run().lines().setRows(TimingRowsFromList(untimedRows(600)));
        }
        named<QPushButton>(&window, "Command2")->click(); // ＞ from the track start
        const QList<double> diffs = stampsAgainstTheSink(window, monitor, 200);
        if (diffs.isEmpty())
            return 1;
        QList<double> absolute;
        for (double d : diffs)
            absolute.append(std::abs(d));
        std::printf("  exact time kept - sink's rendered audio at the press: median %+6.1f ms, "
                    "|diff| median %5.1f ms, 95th %5.1f ms over %lld Sets (target 5 at the 95th)\n",
                    Quantile(diffs, 0.5), Quantile(absolute, 0.5), Quantile(absolute, 0.95),
                    static_cast<long long>(diffs.size()));

        // A new list, the track playing on.
        window.run().lines().setRows(TimingRowsFromList(untimedRows(600)));
        named<QPushButton>(&window, "Command2")->click();
        const QList<double> delays =
            pressToRepaint(window, named<QPushButton>(window, "Command6"), Qt::Key_Space, 200);
        if (delays.isEmpty())
            return 1;
        std::printf(
            "  Space (Set) to repainted row:  median %5.3f ms, 95th %5.3f ms, worst %5.3f ms "
            "(target 2 at the median)\n",
            Quantile(delays, 0.5), Quantile(delays, 0.95), Quantile(delays, 1.0));
        // A nudge of the stamped row (or segment), from the list.
        const QList<double> nudges =
            pressToRepaint(window, named<QListView>(window, "List1"), Qt::Key_Right, 200);
        if (nudges.isEmpty())
            return 1;
        std::printf(
            "  → (nudge) to repainted row:    median %5.3f ms, 95th %5.3f ms, worst %5.3f ms\n",
            Quantile(nudges, 0.5), Quantile(nudges, 0.95), Quantile(nudges, 1.0));
    }
    named<QPushButton>(&window, "Command4")->click();
    return 0;
}
