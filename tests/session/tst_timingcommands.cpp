#include "session/timingcommands.h"

#include <QSet>
#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestTimingCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysGiveTheirCommands_data();
    void keysGiveTheirCommands();
    void eachKeyAndNameIsOneCommand();
};

void TestTimingCommands::keysGiveTheirCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("command");
    QTest::newRow("Space") << int(Qt::Key_Space) << 0 << u"set"_s;
    QTest::newRow("Shift+Space") << int(Qt::Key_Space) << int(Qt::ShiftModifier) << u"set-end"_s;
    QTest::newRow("the keypad's arrow is an arrow")
        << int(Qt::Key_Left) << int(Qt::KeypadModifier) << u"nudge-back"_s;
    QTest::newRow("Alt+→") << int(Qt::Key_Right) << int(Qt::AltModifier) << u"nudge-on-fine"_s;
    QTest::newRow("Shift+R retakes too") << int(Qt::Key_R) << int(Qt::ShiftModifier) << u"retake"_s;
    QTest::newRow("Ctrl+Shift+Z redoes")
        << int(Qt::Key_Z) << int(Qt::ControlModifier | Qt::ShiftModifier) << u"redo"_s;
    QTest::newRow("Ctrl+↓") << int(Qt::Key_Down) << int(Qt::ControlModifier) << u"slower"_s;
    QTest::newRow("a plain ↓ moves in the list") << int(Qt::Key_Down) << 0 << QString();
    QTest::newRow("Ctrl+Space is no command")
        << int(Qt::Key_Space) << int(Qt::ControlModifier) << QString();
    QTest::newRow("Ctrl+R is no retake") << int(Qt::Key_R) << int(Qt::ControlModifier) << QString();
}

void TestTimingCommands::keysGiveTheirCommands()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, command);
    const TimingCommand* given =
        TimingCommandForKey(QKeyCombination(Qt::KeyboardModifiers(modifiers), Qt::Key(key)));
    QCOMPARE(given ? given->name : QString(), command);
}

void TestTimingCommands::eachKeyAndNameIsOneCommand()
{
    QSet<QString> names;
    QSet<int> keys;
    for (const TimingCommand& command : TimingCommands()) {
        QVERIFY2(!names.contains(command.name), qPrintable(command.name));
        names.insert(command.name);
        QCOMPARE(TimingCommandNamed(command.name), &command);
        QVERIFY(command.canRun && command.run);
        for (const QKeyCombination key : command.keys) {
            QVERIFY2(!keys.contains(key.toCombined()), qPrintable(command.name));
            keys.insert(key.toCombined());
        }
    }
    QCOMPARE(TimingCommandNamed(u"no such command"_s), nullptr);
}

QTEST_GUILESS_MAIN(TestTimingCommands)
#include "tst_timingcommands.moc"
