// Makes the README's pictures offscreen: the main window with the demo
// lyrics and with its file menu open, the timing window playing the demo disc, a test display, the
// timing window in word mode and the karaoke display it gives, the finish
// dialog and the lag calibration. With "en", the main window and the timing
// window in English (main-window-en.png, file-menu-en.png, timing-window-en.png).
// Usage: make_screenshots <folder> [en]

#include "../tests/widgetnames.h"
#include "app/mainwindow.h"
#include "audio/discaudiodevice.h"
#include "cd/calibrationwindow.h"
#include "readings/mecabreadings.h"
#include "realtime/finishdialog.h"
#include "realtime/realtimecontext.h"
#include "session/timingrun.h"
#include "settings/drivelist.h"
#include "settings/uilanguage.h"
#include "testdisplay/testdisplaywindow.h"
#include "timing/timingwindow.h"
#include "workfiles/timinglist.h"
#include "workfiles/workfiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

bool save(QWidget& widget, const QString& path)
{
    QTest::qWait(50);
    const bool ok = widget.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

void waitUntil(TimingWindow& timing, qint32 trackMs)
{
    QElapsedTimer t;
    t.start();
    while (timing.run().device().Position() - timing.run().device().TrackPosition() < trackMs &&
           t.elapsed() < 20000)
        QTest::qWait(5);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CACHE_HOME", (home.path() + u"/cache"_s).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + u"/config"_s).toLocal8Bit());
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_screenshots <folder> [en]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool english = argc > 2 && QByteArray(argv[2]) == "en";
    SetUiLanguage(english ? UiLanguage::English : UiLanguage::Japanese);
    const QString suffix = english ? u"-en.png"_s : u".png"_s;
    QDir().mkpath(folder);

    const QString demo = DemoDiscPath();
    const QString lyrics = QFileInfo(demo).dir().filePath(u"lyrics-timed.txt"_s);
    if (!QFileInfo::exists(demo) || !QFileInfo::exists(lyrics)) {
        std::fprintf(stderr, "the demo disc is not built: %s\n", qPrintable(demo));
        return 1;
    }

    MainWindow main;
    if (!main.Form_Load())
        return 1;
    main.LoadLyricsFile(lyrics);
    main.show();
    bool ok = save(main, folder + u"/main-window"_s + suffix);

    // The file menu open over the window, its keys beside its items.
    if (auto* fileMenu = main.findChild<QMenu*>(u"ファイル"_s)) {
        const QRect item = main.menuBar()->actionGeometry(fileMenu->menuAction());
        fileMenu->popup(main.menuBar()->mapToGlobal(item.bottomLeft()));
        QTest::qWait(50);
        QPixmap picture = main.grab();
        QPainter painter(&picture);
        painter.drawPixmap(main.mapFromGlobal(fileMenu->pos()), fileMenu->grab());
        painter.end();
        fileMenu->hide();
        const QString path = folder + u"/file-menu"_s + suffix;
        const bool saved = picture.save(path);
        std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
        ok = saved && ok;
    }

    // A real-time input with every line as loaded, on the demo disc.
    const auto rows = PrepareLineSelection(main.state().Work, main.document().bodyText());
    if (!rows)
        return 1;
    QList<bool> marks;
    for (const SelectionRow& row : rows.value())
        marks.append(row.marked);
    const auto timingRows = BuildTimingList(main.state().Work, marks);
    if (!timingRows)
        return 1;
    // Word mode proposes the readings of the kanji, as the program does.
    MecabReadings readings;
    TimingRun run(std::make_unique<DiscAudioDevice>(), ChosenDriveName(),
                  main.RememberedTrackIndex(), &readings);
    TimingWindow timing(run);
    timing.run().lines().setRows(TimingRowsFromList(timingRows.value()));
    timing.show();
    // The disc is read while the window is up; its waveform is read ahead.
    QElapsedTimer opening;
    opening.start();
    while (timing.run().isOpening() && opening.elapsed() < 20000)
        QTest::qWait(10);
    QTest::qWait(300);
    named<QPushButton>(&timing, "Command2")->click();
    waitUntil(timing, 13400);
    timing.run().lines().selectRow(2);
    timing.ShowSelectedLine();
    // Slowed down to three quarters, the way a fast line is timed.
    named<QComboBox>(timing, "Speed")->setCurrentIndex(3);
    ok = save(timing, folder + u"/timing-window"_s + suffix) && ok;
    if (english)
        return ok ? 0 : 1;
    named<QComboBox>(timing, "Speed")
        ->setCurrentIndex(int(named<QComboBox>(timing, "Speed")->count() - 1));
    named<QPushButton>(&timing, "Command4")->click();

    // The test display from the second line, a moment after it begins.
    timing.run().lines().selectRow(2);
    TestDisplayWindow display(TestDisplayWindow::Start::FromSelectedLine, timing.run(),
                              main.document().startText(), &timing);
    display.show();
    waitUntil(timing, 13300);
    QTest::qWait(100);
    ok = save(display, folder + u"/test-display.png"_s) && ok;
    display.close();

    // Word mode: the first line stamped mora by mora as it is sung (朝《あ|さ》
    // の窓《ま|ど》をあけたら), then the first two of the second line's.
    named<QCheckBox>(timing, "WordMode")->click();
    named<QPushButton>(&timing, "Command2")->click();
    const QList<qint32> sung{9000, 9450, 9900, 10300, 10800, 11250, 11700, 12150, 13000, 13450};
    // Pressed with the mouse, as a user would: the line is shown as it is
    // when the button goes down.
    for (const qint32 at : sung) {
        waitUntil(timing, at);
        QTest::mouseClick(named<QPushButton>(&timing, "Command6"), Qt::LeftButton);
    }
    waitUntil(timing, 13600);
    ok = save(timing, folder + u"/word-mode.png"_s) && ok;
    named<QPushButton>(&timing, "Command4")->click();

    // The karaoke display of that first line, half-way through it.
    timing.run().lines().selectRow(timing.run().lines().sheet().nextSegment().row - 1);
    TestDisplayWindow karaoke(TestDisplayWindow::Start::FromSelectedLine, timing.run(),
                              main.document().startText(), &timing);
    karaoke.show();
    waitUntil(timing, 10600);
    ok = save(karaoke, folder + u"/karaoke-display.png"_s) && ok;
    karaoke.close();
    named<QCheckBox>(timing, "WordMode")->click();

    // The finish dialog, and the lag calibration of the drive dialog.
    RealtimeContext context;
    context.work = main.state().Work;
    FinishDialog finish(context, timing.run().lines().sheet().rows(),
                        timing.run().transport().tracks().playing(), &timing);
    finish.show();
    ok = save(finish, folder + u"/finish-dialog.png"_s) && ok;
    finish.close();
    CalibrationWindow calibration(MakeSilentOutput, &main);
    calibration.show();
    ok = save(calibration, folder + u"/calibration.png"_s) && ok;
    return ok ? 0 : 1;
}
