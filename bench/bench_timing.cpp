// The timing window at work on a disc image with the silent engine: the cost
// of one timer tick (position read, format, compare), the CPU the window takes
// while a track plays for 5 s, and the delay from a Set click to the stamped
// row.

#include "app/mainwindow.h"
#include "audio/discaudiodevice.h"
#include "session/timingrun.h"
#include "timing/timingwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "../tests/discfixtures.h"
#include "../tests/widgetnames.h"
#include "benchclock.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace verselet;
using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    ShowOnlyFailures();
    OffscreenHome home;
    QApplication app(argc, argv);

    const QString image = fixtures::writeBinCue(home.path(), {75 * 60, 75 * 60});
    MainWindow main;
    if (!main.Form_Load())
        return 1;
    auto device = std::make_unique<DiscAudioDevice>();
    DiscAudioDevice* disc = device.get();
    TimingRun run(std::move(device), image, main.RememberedTrackIndex());
    TimingWindow window(run);
    QStringList rows;
    for (int i = 0; i < 400; ++i)
        rows.append(u"[--:--]歌詞の行 %1"_s.arg(i));
    window.setTimingRows(rows);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    window.onPlayClicked();
    QTest::qWait(200);
    std::printf("timing window, disc image, silent engine (%s)\n",
                disc->isSilent() ? "no audio output" : "audio output");

    // One tick, called directly, many times.
    constexpr int kTicks = 200000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kTicks; ++i)
        window.onTick();
    std::printf("  one timer tick                       %7.2f us (target 20)\n",
                double(t.nsecsElapsed()) / kTicks / 1000.0);

    // The window left alone while the track plays.
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    int ticksSeen = 0;
    const QString before = named<QLabel>(window, "Label2")->text();
    while (wall.elapsed() < 5000) {
        QTest::qWait(50);
        ++ticksSeen;
    }
    const double cpu = cpuSeconds() - cpu0;
    std::printf("  CPU while playing 5 s                %7.2f %% of one core (target 3); display "
                "%s -> %s\n",
                100.0 * cpu / (wall.nsecsElapsed() / 1e9), qPrintable(before),
                qPrintable(named<QLabel>(window, "Label2")->text()));

    // From the press of Set to the stamped row.
    QList<double> delays;
    QPushButton* const setButton = named<QPushButton>(window, "Command6");
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer click;
        click.start();
        QTest::mouseClick(setButton, Qt::LeftButton);
        const int row = window.session().selectedRow();
        const bool stamped = row >= 0 && !window.session().rows().at(row).startsWith(u"[--:--]"_s);
        delays.append(click.nsecsElapsed() / 1e6);
        if (!stamped) {
            std::printf("FAILED: Set did not stamp row %d\n", row);
            return 1;
        }
    }
    QList<double> direct;
    for (int i = 0; i < 50; ++i) {
        QElapsedTimer c;
        c.start();
        window.onSetClicked();
        direct.append(c.nsecsElapsed() / 1e6);
    }
    std::sort(direct.begin(), direct.end());
    std::printf("  Set's handler alone               median %5.3f ms\n",
                direct.at(direct.size() / 2));
    std::sort(delays.begin(), delays.end());
    std::printf(
        "  Set click to stamped row             median %5.3f ms, worst %5.3f ms (target 2)\n",
        delays.at(delays.size() / 2), delays.last());
    window.onStopClicked();
    return 0;
}
