#include "audio/discaudiodevice.h"
#include "cd/openprogress.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "discfixtures.h"
#include "scripteddevice.h"

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Counts the key presses sent to one receiver that reach it as a filter.
struct KeyCounter final : QObject
{
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        count += watched == receiver && event->type() == QEvent::KeyPress;
        return false;
    }
    QObject* receiver = nullptr;
    int count = 0;
};

} // namespace

// Opening a disc: Open returns at once and the window keeps handling events;
// a progress over it stands from the first moment until the disc is read,
// counting the files measured. A look at a disc written anew reads it again,
// with the same progress on screen when that takes a while.
class TestOpenProgress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slowDiscShowsProgressAndKeepsTheWindowAlive();
    void quickDiscShowsItOnlyWhileItIsRead();
    void windowTakesNoInputWhileTheMediumIsLookedAt();

private:
    struct Watch
    {
        int ticks = 0;
        bool progressSeen = false;
        int lastValue = -1;
        int maximum = -1;
        bool shownAtOnce = false;
        bool stoodEscape = false;
    };
    static Watch openWatched(DiscAudioDevice& device, QWidget* window, qint64* elapsed);
};

TestOpenProgress::Watch TestOpenProgress::openWatched(DiscAudioDevice& device, QWidget* window,
                                                      qint64* elapsed)
{
    Watch watch;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&watch, window] {
        ++watch.ticks;
        if (auto* p = window->findChild<QProgressDialog*>(u"OpenProgress"_s); p && p->isVisible()) {
            watch.progressSeen = true;
            watch.lastValue = p->value();
            watch.maximum = p->maximum();
        }
    });
    poll.start();
    QElapsedTimer t;
    t.start();
    QSignalSpy opened(&device, &CdAudioDevice::opened);
    device.setCommand(u"Open"_s);
    ShowOpenProgress(device, window);
    // Open returns at once; the progress stands until the disc is read.
    if (auto* progress = window->findChild<QProgressDialog*>(u"OpenProgress"_s)) {
        watch.shownAtOnce = progress->isVisible();
        QTest::keyClick(progress, Qt::Key_Escape);
        progress->close();
        watch.stoodEscape = progress->isVisible();
    }
    opened.wait(120000);
    QTest::qWait(20);
    *elapsed = t.elapsed();
    return watch;
}

void TestOpenProgress::slowDiscShowsProgressAndKeepsTheWindowAlive()
{
    const QString sox = QStandardPaths::findExecutable(u"sox"_s);
    if (sox.isEmpty())
        QSKIP("sox is not installed; `make test` installs it");
    // MP3 files are decoded whole to measure them: a folder of long ones
    // takes a while.
    QTemporaryDir dir;
    const QString wav = dir.filePath(u"source.wav"_s);
    QVERIFY(fixtures::writeAudio(wav, 44100 * 120, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    QVERIFY(QDir().mkpath(dir.filePath(u"album"_s)));
    QProcess p;
    p.start(sox, {wav, dir.filePath(u"album/01.mp3"_s)});
    QVERIFY(p.waitForFinished(60000));
    if (p.exitCode() != 0)
        QSKIP("sox cannot write MP3 here");
    for (int i = 2; i <= 24; ++i)
        QVERIFY(QFile::copy(dir.filePath(u"album/01.mp3"_s),
                            dir.filePath(u"album/%1.mp3"_s.arg(i, 2, 10, QLatin1Char('0')))));

    QWidget window;
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DiscAudioDevice device;
    device.setFileName(dir.filePath(u"album"_s));
    qint64 elapsed = 0;
    const Watch watch = openWatched(device, &window, &elapsed);
    QCOMPARE(device.Tracks(), 24);
    // The window's timer kept running all along.
    QVERIFY2(watch.ticks >= elapsed / 20,
             qPrintable(u"%1 ticks in %2 ms"_s.arg(watch.ticks).arg(elapsed)));
    if (elapsed < 800)
        QSKIP(qPrintable(u"measuring took only %1 ms: too quick to need progress"_s.arg(elapsed)));
    QVERIFY(watch.shownAtOnce);
    QVERIFY(watch.progressSeen);
    QCOMPARE(watch.maximum, 24);
    QVERIFY(watch.lastValue >= 1);
    // It is gone once the disc is open.
    QVERIFY(!window.findChild<QProgressDialog*>(u"OpenProgress"_s));

    // A file of the album written anew: a look reads the album again, with
    // the same progress on screen once it takes a while.
    QVERIFY(fixtures::setModified(dir.filePath(u"album/07.mp3"_s),
                                  QDateTime::currentDateTime().addSecs(60)));
    bool onScreen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&onScreen, &window] {
        if (auto* p = window.findChild<QProgressDialog*>(u"OpenProgress"_s))
            onScreen = onScreen || (p->windowHandle() && p->windowHandle()->isVisible());
    });
    poll.start();
    QSignalSpy reread(&device, &CdAudioDevice::opened);
    device.lookAtTheMedium();
    ShowLookProgress(device, &window);
    QVERIFY(reread.wait(120000));
    QCOMPARE(device.Tracks(), 24);
    QVERIFY(onScreen);
}

void TestOpenProgress::quickDiscShowsItOnlyWhileItIsRead()
{
    QTemporaryDir dir;
    const QString cue = fixtures::writeBinCue(dir.path(), {75, 75});
    QWidget window;
    window.show();
    DiscAudioDevice device;
    device.setFileName(cue);
    qint64 elapsed = 0;
    const Watch watch = openWatched(device, &window, &elapsed);
    QCOMPARE(device.Tracks(), 2);
    // Shown from the first moment, gone as soon as the disc is read; Escape
    // and the close box do not take it away before.
    QVERIFY(watch.shownAtOnce);
    QVERIFY(watch.stoodEscape);
    QVERIFY(!window.findChild<QProgressDialog*>(u"OpenProgress"_s));
}

void TestOpenProgress::windowTakesNoInputWhileTheMediumIsLookedAt()
{
    // Until the look answers the window must not take a press: "＞" would
    // play a disc that may be gone, and Set would stamp [00:00].
    ScriptedDevice device({60000});
    device.setCommand(u"Open"_s);
    device.holdLooks = true;
    QWidget window;
    auto* play = new QPushButton(u"＞"_s, &window);
    auto* field = new QLineEdit(&window);
    field->move(0, 40);
    QPushButton other(u"other"_s);
    int pressed = 0;
    int otherPressed = 0;
    QObject::connect(play, &QPushButton::clicked, [&pressed] { ++pressed; });
    QObject::connect(&other, &QPushButton::clicked, [&otherPressed] { ++otherPressed; });
    window.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window) && QTest::qWaitForWindowExposed(&other));
    // A filter the application had before sees every event sent to the
    // window while it waits: none of the wait's own stands in front of it.
    KeyCounter keysToWindow;
    keysToWindow.receiver = &window;
    qApp->installEventFilter(&keysToWindow);

    device.lookAtTheMedium();
    QPointer<QProgressDialog> progress = ShowLookProgress(device, &window);
    // Input as the window system delivers it (a user's): the progress holds
    // the window by modality from the first moment, before it is on screen;
    // other windows take theirs.
    QCOMPARE(QApplication::activeModalWidget(), progress.data());
    QVERIFY(!progress->windowHandle()->isVisible());
    const auto click = [](QWidget* button) {
        QTest::mouseClick(button->window()->windowHandle(), Qt::LeftButton, {},
                          button->mapTo(button->window(), button->rect().center()));
    };
    click(play);
    field->setFocus();
    QTest::keyClick(window.windowHandle(), Qt::Key_X);
    click(&other);
    QKeyEvent sent(QEvent::KeyPress, Qt::Key_Y, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &sent);
    QCOMPARE(pressed, 0);
    QCOMPARE(field->text(), QString());
    QCOMPARE(otherPressed, 1);
    QCOMPARE(keysToWindow.count, 1);
    qApp->removeEventFilter(&keysToWindow);

    device.answerLook();
    QTRY_VERIFY(!progress);
    // Once answered, the window is the user's again.
    click(play);
    QCOMPARE(pressed, 1);
}

QTEST_MAIN(TestOpenProgress)
#include "tst_openprogress.moc"
