// The timing keys, pressed offscreen in the real window: Space, the arrows,
// R, S and undo/redo, wherever the focus is but in the time field.

#include "timing/timingwindow.h"

#include "session/timinglistmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "scripteddevice.h"
#include "testfiles.h"
#include "timedrows.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

class TestTimingKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void spaceIsSetWhereverTheFocusIs();
    void arrowsNudgeAndUpDownStillMove();
    void retakeThenSetStampsTheLineAgain();
    void shiftFromHereAndUndoRedoChains();
    void theTimeFieldKeepsItsKeys();
    void heldKeysRepeatOnlyToNudge_data();
    void heldKeysRepeatOnlyToNudge();
    void aHeldArrowIsOneStep();
    void wordModeInTheWindow();
    void wordModeRetakeAndNextLeadSpaceToTheLineTheyReach();
    void ctrlUpAndDownStepTheSpeed();

private:
    // A shown, active window playing track 1 of two minutes, on these rows.
    TimingWindow* play(const QStringList& rows, const ExactTimes& exact = {});
    struct State
    {
        QStringList rows;
        ExactTimes exact;
        int selected;
        bool operator==(const State&) const = default;
    };
    State state() const
    {
        const TimingSheet& sheet = m_window->run().lines().sheet();
        return {sheet.listRows(), ExactTimesOf(m_window->run()), sheet.selected()};
    }

    std::unique_ptr<WorkArea> m_home;
    TimingRig m_window;
    ScriptedDevice* m_device = nullptr;
};

void TestTimingKeys::init()
{
    m_home = std::make_unique<WorkArea>();
}

void TestTimingKeys::cleanup()
{
    m_window.reset();
    m_home.reset();
}

TimingWindow* TestTimingKeys::play(const QStringList& rows, const ExactTimes& exact)
{
    auto device = std::make_unique<ScriptedDevice>(QList<qint32>{120000});
    m_device = device.get();
    m_window.open(std::move(device), QString(), u"0"_s);
    TimingWindow* w = m_window.get();
    w->run().lines().setRows(TimedRows(rows, exact));
    w->show();
    QApplication::setActiveWindow(w);
    if (!QTest::qWaitForWindowActive(w))
        return nullptr;
    named<QPushButton>(w, "Command2")->click();
    return w;
}

void TestTimingKeys::spaceIsSetWhereverTheFocusIs()
{
    TimingWindow* w = play({u"[--:--]a"_s, u"[--:--]b"_s});
    QVERIFY(w);
    // On "＞", Space is Set, not a second "＞" (which would start again).
    named<QPushButton>(w, "Command2")->setFocus();
    m_device->advance(4200);
    const QStringList commands = m_device->commands;
    QTest::keyClick(named<QPushButton>(w, "Command2"), Qt::Key_Space);
    QCOMPARE(state(), (State{{u"[00:04]a"_s, u"[--:--]b"_s}, {4200, std::nullopt}, 0}));
    QCOMPARE(m_device->commands, commands);
    // From the list, too.
    named<QListView>(w, "List1")->setFocus();
    m_device->advance(1000);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Space);
    QCOMPARE(state(), (State{{u"[00:04]a"_s, u"[00:05]b"_s}, {4200, 5200}, 1}));
    // Stopped, Set cannot be pressed: Space presses nothing, not even "□"
    // under the focus.
    named<QPushButton>(w, "Command4")->click();
    named<QPushButton>(w, "Command4")->setFocus();
    const State stopped = state();
    const int stops = int(m_device->commands.count(u"Stop"_s));
    QTest::keyClick(named<QPushButton>(w, "Command4"), Qt::Key_Space);
    QCOMPARE(state(), stopped);
    QCOMPARE(m_device->commands.count(u"Stop"_s), stops);
}

void TestTimingKeys::arrowsNudgeAndUpDownStillMove()
{
    TimingWindow* w = play({u"[00:11]a"_s, u"[00:12]b"_s, u"[--:--]c"_s}, {std::nullopt, 12950});
    QVERIFY(w);
    named<QListView>(w, "List1")->setFocus();
    w->run().lines().selectRow(1);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right); // 13.050 s: over the second
    QCOMPARE(state(), (State{{u"[00:11]a"_s, u"[00:13]b"_s, u"[--:--]c"_s},
                             {std::nullopt, 13050, std::nullopt},
                             1}));
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[00:13]"_s); // the field shows the new tag
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left);
    QCOMPARE(state(), (State{{u"[00:11]a"_s, u"[00:11]b"_s, u"[--:--]c"_s},
                             {std::nullopt, 11950, std::nullopt},
                             1}));
    QCOMPARE(named<QListView>(w, "List1")->currentIndex().row(), 1);
    // Alt: a hundredth.
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right, Qt::AltModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(state().exact.at(1), ExactTime(11960));
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left, Qt::AltModifier);
    // Whole seconds move from the second.
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Up);
    QCOMPARE(w->run().lines().sheet().selected(), 0);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Left);
    QCOMPARE(state().exact.at(0), ExactTime(10900));
    // A line without a time stays as it is.
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Down);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Down);
    QCOMPARE(w->run().lines().sheet().selected(), 2);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right);
    QCOMPARE(w->run().lines().sheet().listRows().at(2), u"[--:--]c"_s);
}

void TestTimingKeys::retakeThenSetStampsTheLineAgain()
{
    TimingWindow* w = play({u"[00:05]a"_s, u"[00:09]b"_s, u"[00:20]c"_s}, {5000, 9400, 20000});
    QVERIFY(w);
    named<QPushButton>(w, "Command4")->click(); // stopped: R plays by itself
    named<QListView>(w, "List1")->setFocus();
    w->run().lines().selectRow(1);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_R);
    QVERIFY(m_device->isPlaying());
    QCOMPARE(m_device->Position(), 6400);
    QCOMPARE(w->run().lines().sheet().selected(), 0);
    QVERIFY(named<QPushButton>(w, "Command6")->isEnabled());
    m_device->advance(3300);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Space);
    QCOMPARE(state(),
             (State{{u"[00:05]a"_s, u"[00:09]b"_s, u"[00:20]c"_s}, {5000, 9700, 20000}, 1}));
}

void TestTimingKeys::shiftFromHereAndUndoRedoChains()
{
    TimingWindow* w = play({u"[--:--]a"_s, u"[--:--]b"_s, u"[--:--]c"_s});
    QVERIFY(w);
    named<QListView>(w, "List1")->setFocus();
    QList<State> states{state()};
    for (const int at : {1000, 2000, 3000}) {
        m_device->advance(at - m_device->Position());
        QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Space);
        states.append(state());
    }
    // Sung 0.5 s later than stamped, from b on: S on b at 2.5 s.
    w->run().lines().selectRow(1);
    m_device->advance(2500 - m_device->Position());
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_S);
    QCOMPARE(state(),
             (State{{u"[00:01]a"_s, u"[00:02]b"_s, u"[00:03]c"_s}, {1000, 2500, 3500}, 1}));
    states.append(state());

    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(state().exact, states.at(3).exact);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(state(), states.at(1));
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(state(), states.at(2));
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Z,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(state().exact, states.at(4).exact);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Y,
                    Qt::ControlModifier); // nothing more to redo
    QCOMPARE(state().exact, states.at(4).exact);
    QVERIFY(m_device->isPlaying());
}

void TestTimingKeys::theTimeFieldKeepsItsKeys()
{
    TimingWindow* w = play({u"[00:12]a"_s, u"[--:--]b"_s}, {12300});
    QVERIFY(w);
    w->run().lines().selectRow(0);
    // A nudge undone: there is something to redo.
    named<QListView>(w, "List1")->setFocus();
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Right);
    QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(w->run().lines().history().canRedo());
    const State before = state();

    named<QLineEdit>(w, "Text1")->setFocus();
    named<QLineEdit>(w, "Text1")->selectAll();
    // Typed over the tag: the field's own characters and arrows; Space
    // finds the field full, and Ctrl+Y means nothing to it.
    QTest::keyClicks(named<QLineEdit>(w, "Text1"), u"[00:2"_s);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Left);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Right);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_S);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_R);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Space);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Z,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(named<QLineEdit>(w, "Text1")->text(), u"[00:2sr"_s);
    QCOMPARE(state(), before);
    // Ctrl+Z is the field's undo; the line is not touched.
    QTest::keyClick(named<QLineEdit>(w, "Text1"), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(named<QLineEdit>(w, "Text1")->text() != u"[00:2sr"_s);
    QCOMPARE(state(), before);
    QVERIFY(w->run().lines().history().canRedo());
}

void TestTimingKeys::heldKeysRepeatOnlyToNudge_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("onSet"); // pressed on the Set button, else on the list
    QTest::addColumn<bool>("repeats");
    QTest::newRow("Space") << int(Qt::Key_Space) << false << false;
    QTest::newRow("Return on Set") << int(Qt::Key_Return) << true << false;
    QTest::newRow("R") << int(Qt::Key_R) << false << false;
    QTest::newRow("S") << int(Qt::Key_S) << false << false;
    QTest::newRow("an arrow") << int(Qt::Key_Right) << false << true;
}

void TestTimingKeys::heldKeysRepeatOnlyToNudge()
{
    QFETCH(int, key);
    QFETCH(bool, onSet);
    QFETCH(bool, repeats);
    TimingWindow* w = play({u"[00:10]a"_s, u"[--:--]b"_s, u"[--:--]c"_s}, {10000});
    QVERIFY(w);
    QWidget* target = onSet ? static_cast<QWidget*>(named<QPushButton>(w, "Command6"))
                            : named<QListView>(w, "List1");
    target->setFocus();
    w->run().lines().selectRow(0);
    m_device->advance(12000);
    const State before = state();
    const QString text = key == Qt::Key_Space    ? u" "_s
                         : key == Qt::Key_Return ? u"\r"_s
                                                 : QString();
    // What the keyboard sends while a key is held down, then a new press.
    QKeyEvent held(QEvent::KeyPress, key, Qt::NoModifier, text, true);
    QApplication::sendEvent(target, &held);
    QCOMPARE(state() != before, repeats);
    QKeyEvent pressed(QEvent::KeyPress, key, Qt::NoModifier, text, false);
    QApplication::sendEvent(target, &pressed);
    QVERIFY(state() != before);
}

void TestTimingKeys::aHeldArrowIsOneStep()
{
    TimingWindow* w = play({u"[00:05]x"_s, u"[00:10]ab cd"_s});
    QVERIFY(w);
    // The second line's words both begin at 10 s: the first is held there.
    LineWords words = LineWords::split(u"ab cd"_s);
    words.times = {10000, 10000};
    w->run().lines().setRows({TimingRow::fromListRow(u"[00:05]x"_s, 5000),
                              TimingRow::fromListRow(u"[00:10]ab cd"_s, 10000, words)});
    auto* list = named<QListView>(w, "List1");
    list->setFocus();
    w->run().lines().selectRow(0);
    QTest::keyClick(list, Qt::Key_Right);
    for (int n = 0; n < 29; ++n) {
        QKeyEvent held(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(list, &held);
    }
    QCOMPARE(state().exact.at(0), ExactTime(8000));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(state().exact.at(0), ExactTime(5000));
    QVERIFY(!w->run().lines().history().canUndo());
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(state().exact.at(0), ExactTime(5100));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);

    // A nudge its neighbour holds back changes nothing: no step, and what
    // was undone can still be made again.
    named<QCheckBox>(w, "WordMode")->click();
    list->setFocus();
    w->run().lines().selectRow(1);
    QTest::keyClick(list, Qt::Key_Right);
    QCOMPARE(w->run().lines().sheet().row(1).words().times, (ExactTimes{10000, 10000}));
    QVERIFY(!w->run().lines().history().canUndo());
    QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(state().exact.at(0), ExactTime(5100));
}

void TestTimingKeys::wordModeInTheWindow()
{
    TimingWindow* w = play({u"[--:--]きょうは"_s, u"[--:--]next"_s});
    QVERIFY(w);
    auto* wordMode = named<QCheckBox>(w, "WordMode");
    auto* split = named<QLineEdit>(w, "SegmentText");
    QVERIFY(!wordMode->isChecked());
    QVERIFY(split->isHidden());
    wordMode->click();
    QVERIFY(split->isVisible() && named<QLabel>(w, "Label3")->isHidden());

    // The list marks where Set stamps next; Set and Space stamp the same way.
    const QModelIndex first = named<QListView>(w, "List1")->model()->index(0, 0);
    QCOMPARE(first.data(TimingListModel::kNextSegmentRole).toPoint(), QPoint(7, 2)); // きょ
    m_device->advance(1000);
    named<QPushButton>(w, "Command6")->click();
    QCOMPARE(split->text(), u"きょ|う|は"_s);
    QCOMPARE(first.data(TimingListModel::kNextSegmentRole).toPoint(), QPoint(9, 1)); // う
    m_device->advance(500);
    QTest::keyClick(w, Qt::Key_Space);
    m_device->advance(500);
    QTest::keyClick(w, Qt::Key_Space);
    m_device->advance(300);
    QTest::keyClick(w, Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(w->run().lines().sheet().row(0).words().times, (ExactTimes{1000, 1500, 2000}));
    QCOMPARE(w->run().lines().sheet().row(0).words().end, ExactTime(2300));
    QVERIFY(!first.data(TimingListModel::kNextSegmentRole).isValid());

    // Only the bars change there: a typed letter is taken back, a bar taken
    // out is a new split (and the old times go with the old split).
    split->setFocus();
    QTest::keyClick(split, Qt::Key_End);
    QTest::keyClick(split, Qt::Key_A);
    QCOMPARE(split->text(), u"きょ|う|は"_s);
    QTest::keyClick(split, Qt::Key_Home);
    QTest::keyClick(split, Qt::Key_Right);
    QTest::keyClick(split, Qt::Key_Right);
    QTest::keyClick(split, Qt::Key_Delete);
    QCOMPARE(w->run().lines().sheet().row(0).words().starts, (SegmentStarts{0, 3}));
    QCOMPARE(w->run().lines().sheet().row(0).words().times, ExactTimes{});
    QCOMPARE(w->run().lines().sheet().row(0).exactTime(), ExactTime(1000));

    // A line longer than a line edit holds by default shows whole.
    named<QListView>(w, "List1")->setFocus();
    w->run().lines().setRows(TimingRowsFromList({u"[--:--]"_s + QString(40000, u'あ')}));
    w->run().lines().selectRow(0);
    QCOMPARE(split->text().size(), 40000 + 39999); // and a bar between every two
}

void TestTimingKeys::wordModeRetakeAndNextLeadSpaceToTheLineTheyReach()
{
    // Timed line by line, then word by word: R and Space on "c" stamp it
    // again; Next passes over "d", where the mark stands, and Space stamps "e".
    TimingWindow* w =
        play({u"[00:01]a"_s, u"[00:02]b"_s, u"[00:05]c"_s, u"[--:--]d"_s, u"[--:--]e"_s},
             {1000, 2000, 5000});
    QVERIFY(w);
    named<QCheckBox>(w, "WordMode")->click();
    auto* list = named<QListView>(w, "List1");
    w->run().lines().selectRow(2);
    QTest::keyClick(list, Qt::Key_R);
    QCOMPARE(m_device->Position(), 2000);
    m_device->advance(3100);
    QTest::keyClick(list, Qt::Key_Space);
    QTest::mouseClick(named<QPushButton>(w, "Command7"), Qt::LeftButton);
    m_device->advance(900);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(state(),
             (State{{u"[00:01]a"_s, u"[00:02]b"_s, u"[00:05]c"_s, u"[--:--]d"_s, u"[00:06]e"_s},
                    {1000, 2000, 5100, std::nullopt, 6000},
                    4}));
}

void TestTimingKeys::ctrlUpAndDownStepTheSpeed()
{
    TimingWindow* w = play({u"[--:--]a"_s});
    QVERIFY(w);
    auto* speed = named<QComboBox>(w, "Speed");
    QCOMPARE(speed->currentText(), u"100 %"_s);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(named<QListView>(w, "List1"), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(speed->currentText(), u"75 %"_s);
    QCOMPARE(m_device->speed, 0.75);
    QTest::keyClick(w, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(m_device->speed, 0.8);
    QCOMPARE(w->run().lines().sheet().selected(), -1); // no line moved to
    // The next window starts at the speed chosen last.
    m_window.reset();
    QVERIFY(play({u"[--:--]a"_s}));
    QCOMPARE(named<QComboBox>(m_window.get(), "Speed")->currentText(), u"80 %"_s);
    QCOMPARE(m_device->speed, 0.8);
}

QTEST_MAIN(TestTimingKeys)
#include "tst_timingkeys.moc"
