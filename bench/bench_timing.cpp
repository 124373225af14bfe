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
#include <QListView>
#include <QListWidget>
#include <QPushButton>
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
    window.run().lines().setRows(TimingRowsFromList(rows));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    // The disc is read as the run starts: its tracks come before playback.
    if (!QTest::qWaitFor([&run] { return !run.isOpening(); }, 60000) || !run.hasTracks()) {
        std::printf("FAILED: the disc image was not read\n");
        return 1;
    }

    named<QPushButton>(&window, "Command2")->click();
    QTest::qWait(200);
    std::printf("timing window, disc image, silent engine (%s)\n",
                disc->isSilent() ? "no audio output" : "audio output");

    // One tick, called directly, many times.
    constexpr int kTicks = 200000;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kTicks; ++i)
        window.run().transport().tick();
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
        const int row = window.run().lines().sheet().selected();
        const bool stamped =
            row >= 0 && !window.run().lines().sheet().listRows().at(row).startsWith(u"[--:--]"_s);
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
        window.run().lines().set();
        direct.append(c.nsecsElapsed() / 1e6);
    }
    std::sort(direct.begin(), direct.end());
    std::printf("  Set's handler alone               median %5.3f ms\n",
                direct.at(direct.size() / 2));
    std::sort(delays.begin(), delays.end());
    std::printf(
        "  Set click to stamped row             median %5.3f ms, worst %5.3f ms (target 2)\n",
        delays.at(delays.size() / 2), delays.last());
    named<QPushButton>(&window, "Command4")->click();

    // A long list: Space on the list to the stamped row, and what the steps
    // kept for undo add to the memory of the process.
    constexpr int kLongList = 50000;
    QStringList longRows;
    longRows.reserve(kLongList);
    for (int i = 0; i < kLongList; ++i)
        longRows.append(u"[--:--]歌詞の行 %1　ひかりのステップ"_s.arg(i));
    window.run().lines().setRows(TimingRowsFromList(longRows));
    named<QPushButton>(&window, "Command2")->click();
    QListView* const list = named<QListView>(window, "List1");
    list->setFocus();
    QList<double> spaces;
    const auto pressSpaces = [&](int count) {
        for (int i = 0; i < count; ++i) {
            QElapsedTimer press;
            press.start();
            QTest::keyClick(list, Qt::Key_Space);
            spaces.append(press.nsecsElapsed() / 1e6);
        }
        const int row = window.run().lines().sheet().selected();
        return row >= 0 &&
               !window.run().lines().sheet().listRows().at(row).startsWith(u"[--:--]"_s);
    };
    // The first presses grow what any run would (the list's rows shown).
    if (!pressSpaces(20))
        return 1;
    constexpr int kMeasured = 200;
    const qint64 rss0 = residentBytes();
    if (!pressSpaces(kMeasured))
        return 1;
    const qint64 rss1 = residentBytes();
    if (!pressSpaces(10000 - 20 - kMeasured))
        return 1;
    const qint64 rss2 = residentBytes();
    std::sort(spaces.begin(), spaces.end());
    std::printf("  %d-line list: Space to stamped row   median %5.3f ms, worst %5.3f ms\n",
                kLongList, spaces.at(spaces.size() / 2), spaces.last());
    std::printf("  %d-line list: memory one Space adds  %7.1f KB (before: about 7 MB)\n", kLongList,
                double(rss1 - rss0) / kMeasured / 1024.0);
    std::printf("  %d-line list: after 10 000 Spaces    %7.1f MB more than after 20\n", kLongList,
                double(rss2 - rss0) / (1024.0 * 1024.0));
    named<QPushButton>(&window, "Command4")->click();
    return 0;
}
