// Start-up to the first shown main window, opening a 50 000-line timed lyrics
// text, and typing into it, headless. Prints the median and best of several
// runs.

#include "../tests/widgetnames.h"
#include "app/mainwindow.h"
#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "document/timetag.h"
#include "shell/recoveryfile.h"
#include "shell/recoverykeeper.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

struct Figure
{
    double median;
    double best;
    double worst;
};

Figure summarise(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms.at(ms.size() / 2), ms.first(), ms.last()};
}

void print(const char* what, Figure f)
{
    std::printf("  %-40s median %8.2f ms   best %8.2f ms\n", what, f.median, f.best);
}

QString writeTimedText(const QString& folder, int lines)
{
    const QStringList texts{u"夜明けの空に ひとつ星が光る"_s, u"君の声が 遠く聞こえた"_s,
                            u"Run through the night, ～ la la la ～"_s, u"①番の歌詞はここまで"_s};
    QList<TaggedLine> body{{kSeparatorTag.toString(), kSeparatorLine.toString()}};
    for (int i = 1; i < lines; ++i)
        body.append({FormatTimeTag(i * 1500), texts.at(i % texts.size())});
    const QString text = ComposeTimedText(u"タイトル\r\n作詞"_s, u"イントロ"_s, body);
    const QString path = folder + u"/long-%1.txt"_s.arg(lines);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(EncodeCp932(text).value()) < 0)
        return {};
    return path;
}

} // namespace

int main(int argc, char* argv[])
{
    // The offscreen platform's notes about window hints are not figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type != QtDebugMsg && type != QtWarningMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());

    QElapsedTimer appTimer;
    appTimer.start();
    QApplication app(argc, argv);
    const double appMs = appTimer.nsecsElapsed() / 1e6;

    QList<double> startup;
    for (int run = 0; run < 10; ++run) {
        QElapsedTimer timer;
        timer.start();
        MainWindow window;
        if (!window.Form_Load())
            return 1;
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        startup.append(timer.nsecsElapsed() / 1e6);
    }

    constexpr int kLines = 50000;
    const QString path = writeTimedText(cache.path(), kLines);
    if (path.isEmpty())
        return 1;
    MainWindow window;
    if (!window.Form_Load())
        return 1;
    window.show();
    QList<double> open;
    for (int run = 0; run < 5; ++run) {
        named<QAction>(window, "新規作成")->trigger();
        QElapsedTimer timer;
        timer.start();
        window.LoadLyricsFile(path);
        QCoreApplication::processEvents();
        open.append(timer.nsecsElapsed() / 1e6);
    }
    // The closing separator reads back as one more body line.
    if (named<QPlainTextEdit>(window, "Text1")->blockCount() != kLines + 1) {
        std::printf("FAILED: %d body lines shown\n",
                    named<QPlainTextEdit>(window, "Text1")->blockCount());
        return 1;
    }

    // Typing into the body of that text: each key goes into the document.
    const auto typeKeys = [&window] {
        QList<double> keys;
        QPlainTextEdit* const body = named<QPlainTextEdit>(window, "Text1");
        body->setFocus();
        body->moveCursor(QTextCursor::End);
        for (int i = 0; i < 21; ++i) {
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(body, Qt::Key_A);
            keys.append(timer.nsecsElapsed() / 1e6);
        }
        return summarise(keys);
    };
    // The recovery file of the document as it stands, written whole.
    const QString recovery = cache.path() + u"/bench.recovery"_s;
    const auto writeRecovery = [&window, &recovery] {
        QList<double> writes;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            if (!WriteRecoveryFile(recovery, window.document().snapshot(),
                                   QDateTime::currentDateTimeUtc()))
                return Figure{-1, -1, -1};
            writes.append(timer.nsecsElapsed() / 1e6);
        }
        return summarise(writes);
    };
    // Keys pressed just after a recovery write has started: the write is on
    // the keeper's own thread, so a key waits for it only if it had to.
    const auto typeWhileKept = [&window, &recovery] {
        RecoveryKeeper keeper(window.document(), recovery);
        keeper.setDelay(0ms);
        QPlainTextEdit* const body = named<QPlainTextEdit>(window, "Text1");
        body->moveCursor(QTextCursor::End);
        QList<double> keys;
        for (int i = 0; i < 21; ++i) {
            window.document().setHeaderText(u"見出し %1"_s.arg(i)); // unsaved work: a write is due
            QCoreApplication::processEvents();                      // and starts
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(body, Qt::Key_A);
            keys.append(timer.nsecsElapsed() / 1e6);
            keeper.waitForDisk();
        }
        return summarise(keys);
    };
    const Figure typedLong = typeKeys();
    const Figure writtenLong = writeRecovery();
    const Figure keptLong = typeWhileKept();
    window.document().markSaved(); // the keys typed are no work to keep: New asks nothing
    named<QAction>(window, "新規作成")->trigger();
    window.LoadLyricsFile(writeTimedText(cache.path(), 2000));
    const Figure typedShort = typeKeys();
    const Figure writtenShort = writeRecovery();
    const Figure keptShort = typeWhileKept();

    std::printf("start-up (offscreen; QApplication itself took %.1f ms)\n", appMs);
    std::printf("  %-40s %8.2f ms\n", "first main window shown (cold)", startup.first());
    print("main window built, loaded and shown", summarise(startup));
    std::printf("opening a timed text of %d lines (%lld bytes)\n", kLines,
                static_cast<long long>(QFileInfo(path).size()));
    print("read, recognise, fill the boxes, tag file", summarise(open));
    std::printf("typing at the end of the body\n");
    print("a key, 50 000 lines", typedLong);
    print("a key, 2 000 lines", typedShort);
    std::printf("the recovery file (written off the keystroke, on the keeper's thread)\n");
    print("one write, 50 000 lines", writtenLong);
    print("one write, 2 000 lines", writtenShort);
    print("a key while it is written, 50 000 lines", keptLong);
    print("a key while it is written, 2 000 lines", keptShort);
    std::printf("  %-40s %8.2f ms (50 000 lines), %.2f ms (2 000 lines)\n",
                "the slowest of those keys", keptLong.worst, keptShort.worst);
    // Readings of kanji are proposed on first need: nothing above opens MeCab.
    QFile maps(u"/proc/self/maps"_s);
    if (!maps.open(QIODevice::ReadOnly) || maps.readAll().contains("libmecab")) {
        std::printf("FAILED: MeCab was opened by start-up, opening or typing\n");
        return 1;
    }
    return 0;
}
