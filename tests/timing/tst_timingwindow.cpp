#include "settings/drivelist.h"
#include "timing/timingwindow.h"
#include "timing/waveformstrip.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "modalscript.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "timingrig.h"
#include "widgetnames.h"

#include <functional>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// Types each character as a key that carries it, as a keyboard layout or an
// input method delivers characters QTest has no key for.
void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

} // namespace

class TestTimingWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void widgetsAsTheWindowShowsThem();
    void tracksAreListedWithTheirLengths();
    void namedTracksShowTheirNames_data();
    void namedTracksShowTheirNames();
    void noDiscSaysSoOnceAndUpdateListsLater();
    void transportStates();
    void setStampsTheTimedLinesInTurn();
    void twoSetsInOneSecondGiveTheSameTag();
    void setPassingOverTheLastLinesEndsOnTheLastLine();
    void timeFieldRefusesWhatTheTagFileCannotHold();
    void setOnAnEmptyListEndsTheRun();
    void nextMovesWithoutStampingAndWraps();
    void directEditAppliesAtTheSeventhCharacter();
    void selectedLineIsShownOnItsEvents();
    void playFromTheSelectedLine();
    void endOfTrackStopsAndReArms();
    void discThatCannotBeReadOnStopsTheWindow();
    void topBringsTheSelectionToTheTop();
    void setAnswersSpaceAndEnter();
    void closingRemembersTheTrackAndAsksToFinishOnce();
    void silentPlaybackIsShown();
    void screenshot();

private:
    // A window on a device with these tracks, over a started main window.
    TimingWindow* open(QList<qint32> lengths, ScriptedDevice** device = nullptr);

    std::unique_ptr<WorkArea> m_home;
    // The track the next window starts on, as the editor remembers it.
    QString m_remembered = QStringLiteral("0");
    TimingRig m_window;
};

void TestTimingWindow::init()
{
    m_home = std::make_unique<WorkArea>();
    m_remembered = QStringLiteral("0");
}

void TestTimingWindow::cleanup()
{
    m_window.reset();
    m_home.reset();
}

TimingWindow* TestTimingWindow::open(QList<qint32> lengths, ScriptedDevice** device)
{
    auto d = std::make_unique<ScriptedDevice>(std::move(lengths));
    if (device)
        *device = d.get();
    m_window.open(std::move(d), ChosenDriveName(), m_remembered);
    return m_window.get();
}

void TestTimingWindow::widgetsAsTheWindowShowsThem()
{
    TimingWindow* w = open({60000});
    QCOMPARE(w->objectName(), u"Form3"_s);
    QCOMPARE(w->windowTitle(), u"リアルタイム入力"_s);
    QCOMPARE(w->size(), QSize(547, 507));
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[--:--]"_s);
    QCOMPARE(w->findChild<QWidget*>(u"Waveform"_s),
             static_cast<QWidget*>(named<verselet::WaveformStrip>(w, "Waveform")));
    QCOMPARE(named<verselet::WaveformStrip>(w, "Waveform")->geometry(), QRect(8, 425, 531, 74));

    struct Button
    {
        QPushButton* button;
        QString caption;
        QString tip;
        QRect place;
        bool enabled;
    };
    const QList<Button> buttons{
        {named<QPushButton>(w, "Command10"),
         u"　　▼　　　 Top"_s,
         u"歌詞リストをスクロールし選択されている位置を画面のトップにもってくる"_s,
         {160, 328, 57, 33},
         true},
        {named<QPushButton>(w, "Command6"),
         u"　　▼　　　 Set"_s,
         u"タイミングをセットし一行進む"_s,
         {224, 328, 57, 33},
         false},
        {named<QPushButton>(w, "Command7"),
         u"　　▼　　　Next"_s,
         u"タイミングはセットせず一行進む"_s,
         {288, 328, 57, 33},
         true},
        {named<QPushButton>(w, "Command1"),
         u"更新"_s,
         u"トラック情報を更新します"_s,
         {80, 368, 65, 25},
         true},
        {named<QPushButton>(w, "Command8"),
         u"＞テスト"_s,
         u"最初からテストしてみる"_s,
         {176, 368, 57, 25},
         true},
        {named<QPushButton>(w, "Command9"),
         u"=>テスト"_s,
         u"現在選択している場所からテストしてみる"_s,
         {240, 368, 57, 25},
         false},
        {named<QPushButton>(w, "Command2"),
         u"＞"_s,
         u"最初から再生します"_s,
         {360, 368, 41, 25},
         true},
        {named<QPushButton>(w, "Command5"),
         u"=>"_s,
         u"現在選択されている歌詞のタイムから再生します"_s,
         {408, 368, 41, 25},
         false},
        {named<QPushButton>(w, "Command3"), u"||"_s, u"一時停止します"_s, {456, 368, 41, 25}, true},
        {named<QPushButton>(w, "Command4"), u"□"_s, u"停止します"_s, {504, 368, 41, 25}, true},
    };
    for (const Button& b : buttons) {
        QCOMPARE(b.button->text(), b.caption);
        QCOMPARE(b.button->toolTip(), b.tip);
        QCOMPARE(b.button->geometry(), b.place);
        QCOMPARE(b.button->isEnabled(), b.enabled);
    }
    QCOMPARE(named<QListView>(w, "List1")->geometry(), QRect(0, 0, 545, 292));
    QCOMPARE(named<QListView>(w, "List1")->toolTip(), u"歌詞リスト"_s);
    QCOMPARE(named<QListView>(w, "List1")->font().pointSizeF(), 13.5);
    QCOMPARE(named<QLineEdit>(w, "Text1")->geometry(), QRect(0, 296, 65, 25));
    QCOMPARE(named<QLineEdit>(w, "Text1")->maxLength(), 7);
    QCOMPARE(named<QLineEdit>(w, "Text1")->toolTip(), u"直接タイムを書き換えます"_s);
    QCOMPARE(named<QLabel>(w, "Label3")->geometry(), QRect(67, 296, 477, 25));
    QCOMPARE(named<QLabel>(w, "Label3")->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(named<QLabel>(w, "Label3")->frameShape(), QFrame::Box);
    QCOMPARE(named<QLabel>(w, "Label1")->text(), u"再生するトラック"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->toolTip(), u"再生するトラックを選択してください"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->geometry(), QRect(0, 344, 145, 20));
    QCOMPARE(named<QLabel>(w, "Label2")->geometry(), QRect(360, 328, 185, 33));
    QCOMPARE(named<QLabel>(w, "Label2")->palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(named<QLabel>(w, "Label2")->palette().color(QPalette::WindowText),
             QColor(128, 128, 0));
    QCOMPARE(named<QLabel>(w, "Label2")->font().pointSizeF(), 21.75);
    QVERIFY(named<QLabel>(w, "Label2")->font().bold());
    QCOMPARE(named<QTimer>(w, "Timer1")->interval(), 1);
    QCOMPARE(named<QTimer>(w, "Timer1")->timerType(), Qt::PreciseTimer);
    QVERIFY(named<QTimer>(w, "Timer1")->isActive());
    // Not playing: the display reads [00:00] from the first tick on.
    QTRY_COMPARE(named<QLabel>(w, "Label2")->text(), u"[00:00]"_s);
}

void TestTimingWindow::tracksAreListedWithTheirLengths()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({245900, 60000, 6000000}, &device);
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 3);
    QCOMPARE(named<QComboBox>(w, "Combo1")->itemText(0), u"ﾄﾗｯｸ1 [04:05]"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->itemText(1), u"ﾄﾗｯｸ2 [01:00]"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->itemText(2), u"ﾄﾗｯｸ3 [100:00]"_s);
    // Opening: the drive from the drive dialog, Open, Stop, milliseconds,
    // the remembered (first) track selected, armed at its start.
    QVERIFY(!device->FileName().isEmpty());
    QCOMPARE(device->commands.mid(0, 2), (QStringList{u"Open"_s, u"Stop"_s}));
    QCOMPARE(device->TimeFormat(), 0);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), 0);
    QCOMPARE(device->Track(), 1);
    QVERIFY(device->fromPending());
    QCOMPARE(device->from(), 0);

    // A remembered index selects that track, and the device describes it.
    m_window.reset();
    m_remembered = u"2"_s;
    w = open({245900, 60000, 6000000}, &device);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), 2);
    QCOMPARE(device->Track(), 3);
    QCOMPARE(device->from(), 305900);

    // One that is not in the list selects none; no track 0 is asked for.
    m_window.reset();
    m_remembered = u"7"_s;
    w = open({245900, 60000}, &device);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), -1);
    QCOMPARE(device->Track(), 1);
    named<QPushButton>(w, "Command4")->click();
    QCOMPARE(device->Track(), 1);
}

void TestTimingWindow::namedTracksShowTheirNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("forty characters whole, a longer name cut")
        << QStringList{u"1234567890一二三四五六七八九十1234567890abcdefghij"_s,
                       u"1234567890一二三四五六七八九十1234567890abcdefghijk"_s}
        << QStringList()
        << QStringList{u"ﾄﾗｯｸ1 1234567890一二三四五六七八九十1234567890abcdefghij [04:05]"_s,
                       u"ﾄﾗｯｸ2 1234567890一二三四五六七八九十1234567890abcdefghi… [01:00]"_s};
    QTest::newRow("a percent sign in a name, a track without one")
        << QStringList{u"100%1 mix"_s, QString()} << QStringList()
        << QStringList{u"ﾄﾗｯｸ1 100%1 mix [04:05]"_s, u"ﾄﾗｯｸ2 [01:00]"_s};
    QTest::newRow("a title the tags give in place of the file's name")
        << QStringList{u"01 asa"_s, u"02 b"_s} << QStringList{u"朝の窓"_s, QString()}
        << QStringList{u"ﾄﾗｯｸ1 朝の窓 [04:05]"_s, u"ﾄﾗｯｸ2 02 b [01:00]"_s};
}

void TestTimingWindow::namedTracksShowTheirNames()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, titles);
    QFETCH(QStringList, entries);
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({245900, 60000}, &device);
    device->names = names; // a folder's files, listed by 更新
    for (const QString& title : titles) {
        TrackTags tags;
        tags.title = title;
        device->tags.append(tags);
    }
    named<QPushButton>(w, "Command1")->click();
    auto* box = named<QComboBox>(w, "Combo1");
    QCOMPARE(QStringList({box->itemText(0), box->itemText(1)}), entries);
}

void TestTimingWindow::noDiscSaysSoOnceAndUpdateListsLater()
{
    ModalScript answers;
    answers.thenMessage();
    ScriptedDevice* device = nullptr;
    m_remembered = u"1"_s;
    TimingWindow* w = open({}, &device);
    QVERIFY(answers.done());
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.messages.at(0).text,
             u"ＣＤが挿入されてないか、またはこのドライブは使用できません\n"
             u"他のＣＤと交換し、更新ボタンを押してください"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 0);

    // A disc goes in; "更新" lists it, without opening the device again.
    device->changeDisc({30000, 40000});
    named<QPushButton>(w, "Command1")->click();
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 2);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), 1);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(device->commands.count(u"Open"_s), 1);

    // Another disc in its place: its own tracks. The remembered second track
    // is not on it, so none is selected; the device then describes track 1,
    // as after opening, not the last one listed. The drive takes its time:
    // the window waits under its progress until the look answers.
    device->changeDisc({50000});
    device->holdLooks = true;
    named<QPushButton>(w, "Command1")->click();
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 2);
    auto* waiting = w->findChild<QProgressDialog*>();
    QVERIFY(waiting && QApplication::activeModalWidget() == waiting);
    device->answerLook();
    device->holdLooks = false;
    QTRY_VERIFY(!w->findChild<QProgressDialog*>());
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 1);
    QCOMPARE(named<QComboBox>(w, "Combo1")->itemText(0), u"ﾄﾗｯｸ1 [00:50]"_s);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), -1);
    QCOMPARE(device->Track(), 1);
    // The display follows the track the device describes.
    named<QPushButton>(w, "Command4")->click();
    named<QPushButton>(w, "Command2")->click();
    device->advance(2500);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:02]"_s);

    // The disc taken out: nothing is listed, and no message comes.
    named<QPushButton>(w, "Command4")->click();
    device->changeDisc({});
    named<QPushButton>(w, "Command1")->click();
    QCOMPARE(named<QComboBox>(w, "Combo1")->count(), 0);
    QCOMPARE(answers.messages.size(), 1);
    QCOMPARE(answers.unexpected, 0);
}

void TestTimingWindow::transportStates()
{
    ScriptedDevice* device = nullptr;
    m_remembered = u"1"_s;
    TimingWindow* w = open({100000, 100000}, &device);
    named<QPushButton>(w, "Command1")->click(); // 更新 selects the remembered second track again
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), 1);

    named<QPushButton>(w, "Command2")->click(); // ＞
    QVERIFY(w->run().transport().state() != Transport::State::Stopped);
    QVERIFY(named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(!named<QPushButton>(w, "Command8")->isEnabled());
    device->advance(12500);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:12]"_s);

    named<QPushButton>(w, "Command3")->click(); // || keeps the flag and the time
    QVERIFY(w->run().transport().state() != Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    device->advance(5000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:12]"_s);

    named<QPushButton>(w, "Command2")->click(); // ＞ goes on from the pause
    device->advance(3000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:15]"_s);

    named<QPushButton>(w, "Command4")->click(); // □ stops and re-arms at the track start
    QCOMPARE(w->run().transport().state(), Transport::State::Stopped);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:00]"_s);
    named<QPushButton>(w, "Command2")->click();
    device->advance(1000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:01]"_s);
    QCOMPARE(device->Position(), 101000);

    // Choosing a track stops too.
    named<QComboBox>(w, "Combo1")->setCurrentIndex(0);
    Q_EMIT named<QComboBox>(w, "Combo1")->activated(0);
    QCOMPARE(w->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!device->isPlaying());
    QCOMPARE(device->from(), 0);
}

void TestTimingWindow::setStampsTheTimedLinesInTurn()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({120000}, &device);
    w->run().lines().setRows(
        TimingRowsFromList({u"       intro"_s, u"[--:--]one"_s, u"       gap"_s, u"[--:--]two"_s}));
    w->run().lines().selectRow(2);
    named<QPushButton>(w, "Command2")->click();
    QCOMPARE(w->run().lines().sheet().selected(), -1);

    device->advance(5200);
    w->run().transport().tick();
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 1);
    device->advance(4000);
    w->run().transport().tick();
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 3);
    QCOMPARE(w->run().lines().sheet().listRows(),
             (QStringList{u"       intro"_s, u"[00:05]one"_s, u"       gap"_s, u"[00:09]two"_s}));

    // The last line is stamped: the next Set ends the run.
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 3);
    QCOMPARE(m_window->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    QVERIFY(!device->isPlaying());
    QCOMPARE(device->from(), 0);
    QCOMPARE(w->run().lines().sheet().listRows().at(3), u"[00:09]two"_s);
}

void TestTimingWindow::twoSetsInOneSecondGiveTheSameTag()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({120000}, &device);
    w->run().lines().setRows(
        TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s, u"[01:"_s, u"[--:--]c"_s}));
    named<QPushButton>(w, "Command2")->click();
    device->advance(61100);
    w->run().transport().tick();
    named<QPushButton>(w, "Command6")->click();
    device->advance(800);
    w->run().transport().tick();
    named<QPushButton>(w, "Command6")->click();
    // A line beginning with "[" whose seventh character is not "]" is
    // selected but not changed.
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 2);
    QCOMPARE(w->run().lines().sheet().listRows(),
             (QStringList{u"[01:01]a"_s, u"[01:01]b"_s, u"[01:"_s, u"[--:--]c"_s}));
}

void TestTimingWindow::setPassingOverTheLastLinesEndsOnTheLastLine()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({120000}, &device);
    w->run().lines().setRows(TimingRowsFromList({u"[--:--]one"_s, u"       gap"_s, u"-------"_s}));
    named<QPushButton>(w, "Command2")->click();
    device->advance(3000);
    w->run().transport().tick();
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 0);
    // Only lines not to be timed follow: the press passes over them to the
    // last line and the run ends at once.
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 2);
    QCOMPARE(m_window->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(!device->isPlaying());
    QCOMPARE(w->run().lines().sheet().listRows(),
             (QStringList{u"[00:03]one"_s, u"       gap"_s, u"-------"_s}));
}

void TestTimingWindow::timeFieldRefusesWhatTheTagFileCannotHold()
{
    TimingWindow* w = open({120000});
    w->run().lines().setRows(TimingRowsFromList({u"[00:10]line"_s, u"[00:20]next"_s}));
    w->run().lines().selectRow(0);
    w->ShowSelectedLine();
    QSignalSpy rejected(named<QLineEdit>(w, "Text1"), &QLineEdit::inputRejected);

    // Hangul has no code page 932 form: the key is refused, and the tag
    // typed without it is not complete, so the row keeps its tag.
    named<QLineEdit>(w, "Text1")->selectAll();
    typeText(named<QLineEdit>(w, "Text1"), u"[0\uD55C:00]"_s);
    QCOMPARE(rejected.size(), 1);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[0:00]"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:10]line"_s);
    // Pasted, the same.
    named<QLineEdit>(w, "Text1")->selectAll();
    named<QLineEdit>(w, "Text1")->insert(u"[01:\uD55C0]"_s);
    QCOMPARE(rejected.size(), 2);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:10]line"_s);

    // An input method's wave dash is taken as the one code page 932 has.
    named<QLineEdit>(w, "Text1")->selectAll();
    typeText(named<QLineEdit>(w, "Text1"), u"\u301C\u301C\u301C\u301C\u301C\u301C]"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0),
             u"\uFF5E\uFF5E\uFF5E\uFF5E\uFF5E\uFF5E]line"_s);
    QCOMPARE(rejected.size(), 2);
}

void TestTimingWindow::setOnAnEmptyListEndsTheRun()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({120000}, &device);
    named<QPushButton>(w, "Command2")->click();
    QCOMPARE(w->run().lines().sheet().selected(), -1);
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(m_window->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    named<QPushButton>(w, "Command7")->click();
    QCOMPARE(w->run().lines().sheet().selected(), -1);
    named<QPushButton>(w, "Command10")->click();
    QCOMPARE(w->run().lines().sheet().selected(), -1);
}

void TestTimingWindow::nextMovesWithoutStampingAndWraps()
{
    TimingWindow* w = open({120000});
    const QStringList rows{u"-------sep"_s, u"[00:03]first"_s, u"       skip"_s,
                           u"[--:--]second"_s};
    w->run().lines().setRows(TimingRowsFromList(rows));
    named<QPushButton>(w, "Command7")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 1);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[00:03]"_s);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"first"_s);
    QVERIFY(named<QLineEdit>(w, "Text1")->isEnabled());
    named<QPushButton>(w, "Command7")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 3);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[--:--]"_s);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"second"_s);
    // From the last line to line 0, whatever it is; the fields stay.
    named<QPushButton>(w, "Command7")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 0);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[--:--]"_s);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"second"_s);
    QCOMPARE(w->run().lines().sheet().listRows(), rows);
}

void TestTimingWindow::directEditAppliesAtTheSeventhCharacter()
{
    TimingWindow* w = open({120000});
    w->run().lines().setRows(TimingRowsFromList({u"[00:10]line"_s, u"       plain"_s}));
    w->run().lines().selectRow(0);
    w->ShowSelectedLine();
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[00:10]"_s);

    named<QLineEdit>(w, "Text1")->selectAll();
    QTest::keyClicks(named<QLineEdit>(w, "Text1"), u"[01:2"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:10]line"_s);
    QTest::keyClicks(named<QLineEdit>(w, "Text1"), u"3"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[00:10]line"_s);
    QTest::keyClicks(named<QLineEdit>(w, "Text1"), u"]"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"[01:23]line"_s);
    // Seven characters are all it takes.
    QTest::keyClicks(named<QLineEdit>(w, "Text1"), u"9"_s);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[01:23]"_s);

    // A field that does not begin with "[" still replaces the tag; the line
    // is then no longer one to be timed.
    named<QLineEdit>(w, "Text1")->setText(u"abcdef]"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"abcdef]line"_s);
    named<QLineEdit>(w, "Text1")->setText(u"[02:00]"_s);
    QCOMPARE(w->run().lines().sheet().listRows().at(0), u"abcdef]line"_s);
}

void TestTimingWindow::selectedLineIsShownOnItsEvents()
{
    TimingWindow* w = open({120000});
    w->run().lines().setRows(
        TimingRowsFromList({u"[00:10]timed"_s, u"       plain"_s, u"[--:--]more"_s}));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));

    // Moving the mouse over the list.
    w->run().lines().selectRow(0);
    QTest::mouseMove(named<QListView>(w, "List1")->viewport(), QPoint(20, 5));
    QTRY_COMPARE(named<QLabel>(w, "Label3")->text(), u"timed"_s);
    QVERIFY(named<QPushButton>(w, "Command5")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command9")->isEnabled());

    // A key in the list shows the line selected before the key moves on.
    w->run().lines().selectRow(1);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Down);
    QCOMPARE(w->run().lines().sheet().selected(), 2);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"plain"_s);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), QString());
    QVERIFY(!named<QLineEdit>(w, "Text1")->isEnabled());
    QVERIFY(!named<QPushButton>(w, "Command5")->isEnabled());
    QVERIFY(!named<QPushButton>(w, "Command9")->isEnabled());

    // A press on Set while it is disabled does nothing at all.
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QTest::mousePress(named<QPushButton>(w, "Command6"), Qt::LeftButton);
    QTest::mouseRelease(named<QPushButton>(w, "Command6"), Qt::LeftButton);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"plain"_s);
    QVERIFY(!named<QPushButton>(w, "Command5")->isEnabled());

    // While it plays, the mouse on Set shows the line before the click moves on.
    named<QPushButton>(w, "Command2")->click();
    w->run().lines().selectRow(2);
    QTest::mousePress(named<QPushButton>(w, "Command6"), Qt::LeftButton);
    QCOMPARE(named<QLabel>(w, "Label3")->text(), u"more"_s);
    QVERIFY(named<QPushButton>(w, "Command5")->isEnabled());
    QTest::mouseRelease(named<QPushButton>(w, "Command6"), Qt::LeftButton);
}

void TestTimingWindow::playFromTheSelectedLine()
{
    ScriptedDevice* device = nullptr;
    m_remembered = u"1"_s;
    TimingWindow* w = open({200000, 300000}, &device);
    w->run().lines().setRows(TimingRowsFromList({u"[01:05]here"_s, u"[--:--]next"_s}));
    w->run().lines().selectRow(0);
    w->ShowSelectedLine();
    named<QPushButton>(w, "Command5")->click();
    QCOMPARE(device->Track(), 2);
    QCOMPARE(device->Position(), 200000 + 65000);
    QVERIFY(m_window->run().transport().state() != Transport::State::Stopped);
    QVERIFY(named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(!named<QPushButton>(w, "Command8")->isEnabled());
    device->advance(2000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[01:07]"_s);
    // The selection stays: the next Set stamps the line after it.
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(w->run().lines().sheet().listRows().at(1), u"[01:07]next"_s);

    // A "[--:--]" line plays from the start of the track.
    w->run().lines().setRows(TimingRowsFromList({u"[--:--]x"_s}));
    w->run().lines().selectRow(0);
    w->ShowSelectedLine();
    named<QPushButton>(w, "Command5")->click();
    QCOMPARE(device->Position(), 200000);
}

void TestTimingWindow::endOfTrackStopsAndReArms()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({245900, 100000}, &device);
    named<QPushButton>(w, "Command2")->click();
    device->advance(244990);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[04:04]"_s);
    QVERIFY(m_window->run().transport().state() != Transport::State::Stopped);
    device->advance(20);
    w->run().transport().tick();
    // [04:05] is the entry's length: the track is over.
    QCOMPARE(m_window->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!device->isPlaying());
    QVERIFY(device->fromPending());
    QCOMPARE(device->from(), 0);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:00]"_s);
}

void TestTimingWindow::discThatCannotBeReadOnStopsTheWindow()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({60000, 60000}, &device);
    named<QComboBox>(w, "Combo1")->setCurrentIndex(1);
    Q_EMIT named<QComboBox>(w, "Combo1")->activated(1);
    named<QPushButton>(w, "Command2")->click();
    device->advance(5000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:05]"_s);

    // The image is deleted, the CD taken out: playback ends where it was.
    device->failReading();
    QCOMPARE(m_window->run().transport().state(), Transport::State::Stopped);
    QVERIFY(!named<QPushButton>(w, "Command6")->isEnabled());
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    QVERIFY(device->fromPending());
    QCOMPARE(device->from(), 60000);
    w->run().transport().tick();
    QCOMPARE(named<QLabel>(w, "Label2")->text(), u"[00:00]"_s);
}

void TestTimingWindow::topBringsTheSelectionToTheTop()
{
    TimingWindow* w = open({120000});
    QStringList rows;
    for (int i = 0; i < 100; ++i)
        rows.append(u"[--:--]line %1"_s.arg(i));
    w->run().lines().setRows(TimingRowsFromList(rows));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->run().lines().selectRow(40);
    named<QPushButton>(w, "Command10")->click();
    QCOMPARE(w->run().lines().sheet().selected(), 40);
    QCOMPARE(named<QListView>(w, "List1")->indexAt(QPoint(5, 2)).row(), 40);
    QCOMPARE(w->run().lines().sheet().listRows(), rows);
}

void TestTimingWindow::setAnswersSpaceAndEnter()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({120000}, &device);
    w->run().lines().setRows(
        TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s, u"[--:--]c"_s, u"[--:--]d"_s}));
    w->show();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    named<QPushButton>(w, "Command2")->click();
    named<QPushButton>(w, "Command6")->setFocus();
    device->advance(3000);
    w->run().transport().tick();
    QTest::keyClick(named<QPushButton>(w, "Command6"), Qt::Key_Space);
    QTest::keyClick(named<QPushButton>(w, "Command6"), Qt::Key_Return);
    QTest::keyClick(named<QPushButton>(w, "Command6"), Qt::Key_Enter);
    QCOMPARE(w->run().lines().sheet().listRows(),
             (QStringList{u"[00:03]a"_s, u"[00:03]b"_s, u"[00:03]c"_s, u"[--:--]d"_s}));
}

void TestTimingWindow::closingRemembersTheTrackAndAsksToFinishOnce()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({10000, 20000, 30000}, &device);
    named<QComboBox>(w, "Combo1")->setCurrentIndex(2);
    Q_EMIT named<QComboBox>(w, "Combo1")->activated(2);
    named<QPushButton>(w, "Command2")->click();
    device->advance(1500);
    w->show();
    // In a real-time input the window asks to close, once, and stays on
    // screen until the run is finished with it.
    int asked = 0;
    w->setFinishedByOwner(true);
    connect(w, &TimingWindow::finishRequested, this, [&asked] { ++asked; });
    w->close();
    QTest::keyClick(w, Qt::Key_Escape);
    QCOMPARE(asked, 1);
    QVERIFY(w->isVisible());
    QCOMPARE(w->run().rememberedTrack(), u"2"_s);
    // Stopped and armed at the start of the selected track.
    QVERIFY(!device->isPlaying());
    QCOMPARE(device->Track(), 3);
    QCOMPARE(device->from(), 30000);
    QVERIFY(named<QPushButton>(w, "Command8")->isEnabled());
    w->finishClosing();
    QVERIFY(!w->isVisible());

    // The next window selects the remembered track.
    m_remembered = w->run().rememberedTrack();
    m_window.reset();
    w = open({10000, 20000, 30000}, &device);
    QCOMPARE(named<QComboBox>(w, "Combo1")->currentIndex(), 2);

    // Alone, with nobody to finish a run, it simply closes.
    w->show();
    w->close();
    QVERIFY(!w->isVisible());
    QCOMPARE(w->run().rememberedTrack(), u"2"_s);
}

void TestTimingWindow::silentPlaybackIsShown()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({10000}, &device);
    w->show();
    QVERIFY(named<QLabel>(w, "SilentLabel")->isVisible());
    // It stands where no other widget of the window is.
    for (QWidget* other : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != named<QLabel>(w, "SilentLabel") && other->isVisible())
            QVERIFY2(!other->geometry().intersects(named<QLabel>(w, "SilentLabel")->geometry()),
                     qPrintable(other->objectName()));
    }
    m_window.reset();
    auto loud = std::make_unique<ScriptedDevice>(QList<qint32>{10000});
    loud->silent = false;
    ScriptedDevice* output = loud.get();
    m_window.open(std::move(loud), QString(), u"0"_s);
    m_window->show();
    QVERIFY(!named<QLabel>(m_window, "SilentLabel")->isVisible());
    // The sound output fails once playback has begun: the corner says so.
    named<QPushButton>(m_window, "Command2")->click();
    QVERIFY(!named<QLabel>(m_window, "SilentLabel")->isVisible());
    output->setSilent(true);
    QVERIFY(named<QLabel>(m_window, "SilentLabel")->isVisible());
}

void TestTimingWindow::screenshot()
{
    ScriptedDevice* device = nullptr;
    TimingWindow* w = open({245900, 198000}, &device);
    w->run().lines().setRows(TimingRowsFromList(
        {u"-------------------------------------------"_s, u"[00:12]窓をあけたら　まだ青い空"_s,
         u"[00:18]眠れない街に　風がひとつ"_s, u"[--:--]きのうの歌を　ポケットにしまって"_s,
         u"       （間奏）"_s, u"[--:--]はじまりの音を　数えてゆく"_s}));
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    named<QPushButton>(w, "Command2")->click();
    device->advance(19400);
    w->run().transport().tick();
    w->run().lines().selectRow(2);
    w->ShowSelectedLine();
    const QImage image = w->grab().toImage();
    QCOMPARE(image.size(), w->size());
    const QString folder = QStringLiteral(SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + u"/timing-window.png"_s));
}

QTEST_MAIN(TestTimingWindow)
#include "tst_timingwindow.moc"
