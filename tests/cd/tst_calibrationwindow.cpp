#include "cd/calibration.h"
#include "cd/calibrationwindow.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "modalscript.h"
#include "testfiles.h"

#include <atomic>
#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// What the test lets the output play: everything up to `allowed` is heard at
// once, nothing after it, so the position heard is exactly where the test put
// it.
struct Feed
{
    std::atomic<qint64> allowed{0};
    std::atomic<qint64> handed{0};
    std::atomic<qint64> calls{0}; // of writableFrames()
};

class SteppedOutput final : public AudioOutput
{
public:
    SteppedOutput(std::shared_ptr<Feed> feed, bool starts)
        : m_feed(std::move(feed)), m_starts(starts)
    {
    }
    bool start() override
    {
        m_feed->handed = 0;
        return m_starts;
    }
    void stop() override {}
    qint64 writableFrames() override
    {
        ++m_feed->calls;
        return std::max<qint64>(0, m_feed->allowed - m_feed->handed);
    }
    qint64 write(const qint16*, qint64 count) override
    {
        m_feed->handed += count;
        return count;
    }
    qint64 heldFrames() override { return 0; }
    bool isSilent() const override { return false; }

private:
    std::shared_ptr<Feed> m_feed;
    bool m_starts;
};

AudioOutputFactory steppedOutputs(std::shared_ptr<Feed> feed, bool starts = true)
{
    return [feed, starts] { return std::make_unique<SteppedOutput>(feed, starts); };
}

AudioOutputFactory silentOutputs()
{
    return [] { return MakeSilentOutput(); };
}

// The first frame at which the heard position reads as `ms` milliseconds.
qint64 frameOfMs(qint32 ms)
{
    return (qint64(ms) * kFrameRate + 999) / 1000;
}

// Lets the output play up to `frame` and waits until the player has said so:
// once everything up to it was handed over, the output thread's next round
// begins only after it published what was heard.
bool hearUpTo(Feed& feed, qint64 frame)
{
    feed.allowed = frame;
    if (!QTest::qWaitFor([&] { return feed.handed == frame; }, 5000))
        return false;
    const qint64 calls = feed.calls;
    return QTest::qWaitFor([&] { return feed.calls >= calls + 2; }, 5000);
}

void typeInto(QSpinBox* spin, const QString& text)
{
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
}

const QString kNoSoundShown =
    u"音声を出力できないため、測定できません。\n補正値は数値を入力して設定できます。"_s;

struct Press
{
    int click; // index of the click it answers, or follows
    qint32 lagMs;
};

} // namespace

Q_DECLARE_METATYPE(QList<Press>)

class TestCalibrationWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void widgetsHaveTheirNamesAndTexts();
    void openingShowsTheSavedOffset_data();
    void openingShowsTheSavedOffset();
    void typedOffsetIsSavedByOk_data();
    void typedOffsetIsSavedByOk();
    void resetSetsZeroButOnlyOkWrites();
    void offsetThatCannotBeSavedIsToldAndTheWindowStays();
    void measuringNeedsSound_data();
    void measuringNeedsSound();
    void spaceAtTheClicksGivesTheMedianLag_data();
    void spaceAtTheClicksGivesTheMedianLag();

private:
    QString calibration() const { return m_home->configFolder() + u"/calibration.dat"_s; }
    QString config() const { return m_home->configFolder() + u"/config.dat"_s; }

    std::unique_ptr<WorkArea> m_home;
};

void TestCalibrationWindow::init()
{
    m_home = std::make_unique<WorkArea>();
    QVERIFY(m_home->dir.isValid());
    QVERIFY(QDir().mkpath(m_home->configFolder()));
    // The drive choice beside it is never touched.
    writeBytes(config(), " 2 \r\n");
}

void TestCalibrationWindow::cleanup()
{
    QCOMPARE(readBytes(config()), QByteArray(" 2 \r\n"));
    m_home.reset();
}

void TestCalibrationWindow::widgetsHaveTheirNamesAndTexts()
{
    CalibrationWindow w(silentOutputs());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.objectName(), u"Calibration"_s);
    QCOMPARE(w.windowTitle(), u"タイミング補正"_s);
    QCOMPARE(w.findChild<QSpinBox*>(u"OffsetSpin"_s), w.OffsetSpin);
    QCOMPARE(w.findChild<QPushButton*>(u"Command1"_s), w.Command1);
    QCOMPARE(w.findChild<QPushButton*>(u"Command2"_s), w.Command2);
    QCOMPARE(w.findChild<QPushButton*>(u"Measure"_s), w.Measure);
    QCOMPARE(w.Command1->text(), u"OK"_s);
    QCOMPARE(w.Command2->text(), u"リセット"_s);
    QCOMPARE(w.Measure->text(), u"測定開始"_s);
    QVERIFY(w.Command1->isDefault());
    QCOMPARE(w.OffsetSpin->minimum(), -500);
    QCOMPARE(w.OffsetSpin->maximum(), 500);
    QCOMPARE(w.OffsetSpin->suffix(), u" ms"_s);
    QVERIFY(w.Instructions->text().contains(u"スペースキー"_s));

    // Fixed in size, and everything in it shows whole.
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), w.minimumSize());
    for (QWidget* child : w.findChildren<QWidget*>()) {
        if (child->isWindow() || !child->isVisible() || child->parentWidget() != &w)
            continue;
        QVERIFY2(w.rect().contains(child->geometry()), qPrintable(child->objectName()));
        QVERIFY2(child->width() >= child->minimumSizeHint().width(),
                 qPrintable(child->objectName()));
    }
    QVERIFY(w.ResultLabel->width() >=
            w.ResultLabel->fontMetrics().horizontalAdvance(u"補正 -500 ms (±999)"_s));
}

void TestCalibrationWindow::openingShowsTheSavedOffset_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("shown");
    QTest::newRow("no file") << false << QByteArray() << 0;
    QTest::newRow("early") << true << QByteArray("-120\r\n") << -120;
    QTest::newRow("late") << true << QByteArray("215\r\n") << 215;
    QTest::newRow("out of range") << true << QByteArray("600\r\n") << 0;
    QTest::newRow("broken") << true << QByteArray("?\r\n") << 0;
}

void TestCalibrationWindow::openingShowsTheSavedOffset()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, bytes);
    QFETCH(int, shown);
    if (exists)
        writeBytes(calibration(), bytes);
    CalibrationWindow w(silentOutputs());
    QCOMPARE(w.OffsetSpin->value(), shown);
    QCOMPARE(w.OffsetSpin->text(), QString::number(shown) + u" ms"_s);
    // Opening writes nothing.
    QCOMPARE(QFileInfo::exists(calibration()), exists);
}

void TestCalibrationWindow::typedOffsetIsSavedByOk_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("late") << u"132"_s << QByteArray("132\r\n");
    QTest::newRow("early") << u"-45"_s << QByteArray("-45\r\n");
    QTest::newRow("none") << u"0"_s << QByteArray("0\r\n");
    QTest::newRow("the latest there is") << u"500"_s << QByteArray("500\r\n");
}

void TestCalibrationWindow::typedOffsetIsSavedByOk()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, bytes);
    writeBytes(calibration(), "77\r\n");
    CalibrationWindow w(silentOutputs());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    typeInto(w.OffsetSpin, typed);
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), bytes);
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Accepted));
}

void TestCalibrationWindow::resetSetsZeroButOnlyOkWrites()
{
    writeBytes(calibration(), "77\r\n");
    CalibrationWindow w(silentOutputs());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.OffsetSpin->value(), 77);
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(w.OffsetSpin->value(), 0);
    QVERIFY(w.isVisible());
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));

    // Closed without OK: nothing is written.
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isHidden());
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));

    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray("0\r\n"));
}

void TestCalibrationWindow::offsetThatCannotBeSavedIsToldAndTheWindowStays()
{
    // A folder where the file should be.
    QVERIFY(QDir().mkpath(calibration()));
    CalibrationWindow w(silentOutputs());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    typeInto(w.OffsetSpin, u"40"_s);

    ModalScript script;
    script.thenMessage();
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text, u"補正値を保存できませんでした\n"_s + calibration());
    QCOMPARE(script.messages.first().title, u"Verselet"_s);
    QVERIFY(w.isVisible());
    QCOMPARE(w.OffsetSpin->value(), 40);
    QVERIFY(QFileInfo(calibration()).isDir());
}

void TestCalibrationWindow::measuringNeedsSound_data()
{
    QTest::addColumn<bool>("silentClock");
    // Refused before anything plays.
    QTest::newRow("the silent clock") << true;
    // The output fails as the clicks start: the player falls back on the clock.
    QTest::newRow("an output that cannot start") << false;
}

void TestCalibrationWindow::measuringNeedsSound()
{
    QFETCH(bool, silentClock);
    auto feed = std::make_shared<Feed>();
    CalibrationWindow w(silentClock ? silentOutputs() : steppedOutputs(feed, false));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    ModalScript script;
    script.thenMessage();
    QTest::mouseClick(w.Measure, Qt::LeftButton);
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.size(), 1);
    QCOMPARE(script.messages.first().text, kNoSoundShown);
    QVERIFY(!w.isMeasuring());
    QCOMPARE(w.Measure->text(), u"測定開始"_s);
    QCOMPARE(w.ResultLabel->text(), QString());

    // Typing the offset still works.
    QVERIFY(w.OffsetSpin->isEnabled());
    QVERIFY(w.Command1->isEnabled());
    typeInto(w.OffsetSpin, u"-60"_s);
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray("-60\r\n"));
}

void TestCalibrationWindow::spaceAtTheClicksGivesTheMedianLag_data()
{
    QTest::addColumn<QList<Press>>("presses");
    QTest::addColumn<bool>("playsOut"); // or is stopped after the last press
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("message");

    const QList<qint32> late = {150, 160, 140, 170, 130, 155, 145, 165,
                                150, 150, 175, 125, 160, 140, 150, 150};
    QList<Press> everyClick;
    for (int i = 0; i < late.size(); ++i)
        everyClick.append({i, late.at(i)});
    QTest::newRow("every click, played out")
        << everyClick << true << u"補正 +150 ms (±10)"_s << 150 << QString();

    // Lags -20 -35 -10 -25 -30 -15 -40 -20 -25 -30 on the first ten clicks;
    // a press 400 ms from every click and a second press on click 4 are not
    // counted.
    QTest::newRow("early, with strays and a double press")
        << QList<Press>{{0, -400}, {0, -20}, {1, -35}, {2, -10}, {2, 400}, {3, -25}, {4, -30},
                        {4, 50},   {5, -15}, {6, -40}, {7, -20}, {8, -25}, {9, -30}}
        << true << u"補正 -25 ms (±5)"_s << -25 << QString();

    QTest::newRow("eight presses, stopped") << QList<Press>{{0, 100}, {1, 110}, {2, 120}, {3, 130},
                                                            {4, 140}, {5, 150}, {6, 160}, {7, 170}}
                                            << false << u"補正 +135 ms (±20)"_s << 135 << QString();

    const QString tooFew =
        u"クリック音に合わせて押された回数が足りないため、測定できませんでした。\n"
        u"(7 回、8 回以上必要です)"_s;
    QTest::newRow("seven presses, stopped")
        << QList<Press>{{0, 100}, {1, 100}, {2, 100}, {3, 100}, {4, 100}, {5, 100}, {6, 100}}
        << false << QString() << 33 << tooFew;
    QTest::newRow("seven presses and strays, played out")
        << QList<Press>{{0, 100}, {1, 100}, {2, 100}, {3, 100}, {4, 100},
                        {5, 100}, {6, 100}, {7, 360}, {8, -360}}
        << true << QString() << 33 << tooFew;
}

void TestCalibrationWindow::spaceAtTheClicksGivesTheMedianLag()
{
    QFETCH(QList<Press>, presses);
    QFETCH(bool, playsOut);
    QFETCH(QString, result);
    QFETCH(int, offset);
    QFETCH(QString, message);
    writeBytes(calibration(), "33\r\n");
    auto feed = std::make_shared<Feed>();
    CalibrationWindow w(steppedOutputs(feed));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.OffsetSpin->value(), 33);

    // A message nobody expects is answered and counted, so that a run that
    // ends too early fails the test instead of waiting on it.
    ModalScript script;
    if (!message.isEmpty())
        script.thenMessage();
    QTest::mouseClick(w.Measure, Qt::LeftButton);
    QVERIFY(w.isMeasuring());
    QCOMPARE(w.Measure->text(), u"停止"_s);
    QVERIFY(!w.OffsetSpin->isEnabled());
    QVERIFY(!w.Command1->isEnabled());
    QVERIFY(!w.Command2->isEnabled());
    const QList<qint32> clicks = w.clickTimes();
    QCOMPARE(clicks.size(), 16);

    // The focus is on the button that started the run: Space there is an
    // answer, not a click of the button.
    w.Measure->setFocus();
    for (const Press& press : presses) {
        QVERIFY(hearUpTo(*feed, frameOfMs(clicks.at(press.click) + press.lagMs)));
        QTest::keyClick(w.Measure, Qt::Key_Space);
    }
    QVERIFY(w.isMeasuring());
    QCOMPARE(w.ResultLabel->text(), u"測定中... %1 回"_s.arg(presses.size()));

    QCOMPARE(script.seen, QStringList());
    if (playsOut)
        feed->allowed = MsToFrames(clicks.last() + 1000);
    else
        QTest::mouseClick(w.Measure, Qt::LeftButton);
    QTRY_VERIFY(!w.isMeasuring());
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    if (!message.isEmpty()) {
        QCOMPARE(script.messages.size(), 1);
        QCOMPARE(script.messages.first().text, message);
    }
    QCOMPARE(w.ResultLabel->text(), result);
    QCOMPARE(w.OffsetSpin->value(), offset);
    QCOMPARE(w.Measure->text(), u"測定開始"_s);
    QVERIFY(w.OffsetSpin->isEnabled());
    QVERIFY(w.Command1->isEnabled());
    // Measuring writes nothing; OK does.
    QCOMPARE(readBytes(calibration()), QByteArray("33\r\n"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray::number(offset) + "\r\n");
}

QTEST_MAIN(TestCalibrationWindow)
#include "tst_calibrationwindow.moc"
