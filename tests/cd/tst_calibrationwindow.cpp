#include "audio/disc.h"
#include "cd/calibrationwindow.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

#include <atomic>
#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// The output hears at once whatever the test allows and nothing after it, so
// the position heard is exactly where the test put it.
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
    bool start() override { return m_starts; }
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

// Lets the output play up to the first frame that reads as `ms`, and waits
// until the player says so: once everything was handed over, the output
// thread's next round begins only after it published what was heard.
bool hearUpTo(Feed& feed, qint32 ms)
{
    const qint64 frame = (qint64(ms) * kFrameRate + 999) / 1000;
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

struct Press
{
    int click; // the click it answers, or follows
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

    void typedOrResetOffsetIsWrittenOnlyByOk();
    void measuringNeedsSound_data();
    void measuringNeedsSound();
    void spaceAtTheClicksGivesTheMedianLag_data();
    void spaceAtTheClicksGivesTheMedianLag();

private:
    QString calibration() const { return m_home->configFolder() + u"/calibration.dat"_s; }
    QString config() const { return m_home->configFolder() + u"/config.dat"_s; }
    void show(QWidget& w)
    {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

    std::unique_ptr<WorkArea> m_home;
    AudioOutputFactory m_silent = [] { return MakeSilentOutput(); };
};

void TestCalibrationWindow::init()
{
    m_home = std::make_unique<WorkArea>();
    QVERIFY(QDir().mkpath(m_home->configFolder()));
    writeBytes(config(), " 2 \r\n");
    writeBytes(calibration(), "77\r\n");
}

void TestCalibrationWindow::cleanup()
{
    // The drive choice beside it is never touched.
    QCOMPARE(readBytes(config()), QByteArray(" 2 \r\n"));
    m_home.reset();
}

void TestCalibrationWindow::typedOrResetOffsetIsWrittenOnlyByOk()
{
    CalibrationWindow w(m_silent);
    show(w);
    QCOMPARE(named<QSpinBox>(w, "OffsetSpin")->text(), u"77 ms"_s);
    QTest::mouseClick(named<QPushButton>(w, "Command2"), Qt::LeftButton);
    QCOMPARE(named<QSpinBox>(w, "OffsetSpin")->value(), 0);
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isHidden());
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));

    show(w);
    typeInto(named<QSpinBox>(w, "OffsetSpin"), u"-45"_s);
    QTest::mouseClick(named<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray("-45\r\n"));
    QCOMPARE(w.result(), int(QDialog::Accepted));

    // A folder in the file's place: the user is told, the window stays.
    QVERIFY(QFile::remove(calibration()) && QDir().mkpath(calibration()));
    show(w);
    ModalScript script;
    script.thenMessage();
    QTest::mouseClick(named<QPushButton>(w, "Command1"), Qt::LeftButton);
    QVERIFY(script.done());
    QCOMPARE(script.messages.value(0).text, u"補正値を保存できませんでした\n"_s + calibration());
    QVERIFY(w.isVisible());
}

void TestCalibrationWindow::measuringNeedsSound_data()
{
    QTest::addColumn<bool>("silentClock");
    QTest::newRow("refused on the silent clock") << true;
    // The player falls back on the clock as the clicks start.
    QTest::newRow("stopped when the output cannot start") << false;
}

void TestCalibrationWindow::measuringNeedsSound()
{
    QFETCH(bool, silentClock);
    CalibrationWindow w(silentClock ? m_silent : steppedOutputs(std::make_shared<Feed>(), false));
    show(w);
    ModalScript script;
    script.thenMessage();
    QTest::mouseClick(named<QPushButton>(w, "Measure"), Qt::LeftButton);
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.value(0).text,
             u"音声を出力できないため、測定できません。\n補正値は数値を入力して設定できます。"_s);
    QVERIFY(!w.isMeasuring());

    // Typing the offset still works.
    typeInto(named<QSpinBox>(w, "OffsetSpin"), u"-60"_s);
    QTest::mouseClick(named<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray("-60\r\n"));
}

void TestCalibrationWindow::spaceAtTheClicksGivesTheMedianLag_data()
{
    QTest::addColumn<QList<Press>>("presses");
    QTest::addColumn<bool>("playsOut"); // or is stopped after the last press
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("offset");

    QList<Press> late;
    const QList<qint32> lags = {150, 160, 140, 170, 130, 155, 145, 165,
                                150, 150, 175, 125, 160, 140, 150, 150};
    for (int i = 0; i < lags.size(); ++i)
        late.append({i, lags.at(i)});
    QTest::newRow("every click, played out") << late << true << u"補正 +150 ms (±10)"_s << 150;

    // -20 -35 -10 -25 -30 -15 -40 -20 on the first eight clicks, a median of
    // -22.5; a press 400 ms from every click and a second press on click 4
    // do not count.
    QTest::newRow("early, with a stray and a double press, stopped")
        << QList<Press>{{0, -20}, {1, -35}, {2, -10}, {2, 400}, {3, -25},
                        {4, -30}, {4, 50},  {5, -15}, {6, -40}, {7, -20}}
        << false << u"補正 -23 ms (±8)"_s << -23;

    QTest::newRow("seven, played out: the old offset stays")
        << QList<Press>{{0, 100}, {1, 100}, {2, 100}, {3, 100}, {4, 100}, {5, 100}, {6, 100}}
        << true << QString() << 77;
}

void TestCalibrationWindow::spaceAtTheClicksGivesTheMedianLag()
{
    QFETCH(QList<Press>, presses);
    QFETCH(bool, playsOut);
    QFETCH(QString, result);
    QFETCH(int, offset);
    auto feed = std::make_shared<Feed>();
    CalibrationWindow w(steppedOutputs(feed));
    show(w);

    // A message nobody expects is answered and counted, so that a run that
    // ends too early fails instead of waiting on it.
    ModalScript script;
    if (result.isEmpty())
        script.thenMessage();
    QTest::mouseClick(named<QPushButton>(w, "Measure"), Qt::LeftButton);
    QVERIFY(w.isMeasuring());
    QVERIFY(!named<QPushButton>(w, "Command1")->isEnabled());
    const QList<qint32> clicks = w.clickTimes();
    // The focus stays on the button that started the run: Space there is an
    // answer, not a click of the button.
    named<QPushButton>(w, "Measure")->setFocus();
    for (const Press& press : presses) {
        QVERIFY(hearUpTo(*feed, clicks.at(press.click) + press.lagMs));
        QTest::keyClick(named<QPushButton>(w, "Measure"), Qt::Key_Space);
    }
    QVERIFY(w.isMeasuring());
    QCOMPARE(script.seen, QStringList());

    if (playsOut)
        feed->allowed = MsToFrames(clicks.last() + 1000);
    else
        QTest::mouseClick(named<QPushButton>(w, "Measure"), Qt::LeftButton);
    QTRY_VERIFY(!w.isMeasuring());
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    if (result.isEmpty()) {
        QCOMPARE(script.messages.value(0).text,
                 u"クリック音に合わせて押された回数が足りないため、測定できませんでした。\n"
                 u"(7 回、8 回以上必要です)"_s);
    }
    QCOMPARE(named<QLabel>(w, "ResultLabel")->text(), result);
    QCOMPARE(named<QSpinBox>(w, "OffsetSpin")->value(), offset);
    // Measuring writes nothing; OK does.
    QCOMPARE(readBytes(calibration()), QByteArray("77\r\n"));
    QTest::mouseClick(named<QPushButton>(w, "Command1"), Qt::LeftButton);
    QCOMPARE(readBytes(calibration()), QByteArray::number(offset) + "\r\n");
}

QTEST_MAIN(TestCalibrationWindow)
#include "tst_calibrationwindow.moc"
