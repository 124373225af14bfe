#include "session/timingcommands.h"
#include "session/timingrun.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "scripteddevice.h"
#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;

class TestTimingCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysGiveTheirCommands_data();
    void keysGiveTheirCommands();
    void eachKeyAndNameIsOneCommand();
    void whatCanRunFollowsTheRun_data();
    void whatCanRunFollowsTheRun();
    void theHelpListsEveryKey_data();
    void theHelpListsEveryKey();
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

void TestTimingCommands::whatCanRunFollowsTheRun_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("canRun");
    QTest::newRow("Set while stopped") << u""_s << u"set"_s << false;
    QTest::newRow("Set while playing") << u"play"_s << u"set"_s << true;
    QTest::newRow("Set while paused") << u"play pause"_s << u"set"_s << false;
    QTest::newRow("Set while a test plays") << u"test"_s << u"set"_s << true;
    QTest::newRow("the end of a line while playing") << u"play"_s << u"set-end"_s << true;
    QTest::newRow("a test while stopped") << u""_s << u"test"_s << true;
    QTest::newRow("a test while playing") << u"play"_s << u"test"_s << false;
    QTest::newRow("=> with no line") << u""_s << u"play-from-line"_s << false;
    QTest::newRow("=> from a timed line") << u"select0"_s << u"play-from-line"_s << true;
    QTest::newRow("=> from a separator") << u"select1"_s << u"play-from-line"_s << false;
    QTest::newRow("=>テスト from a timed line") << u"select0"_s << u"test-from-line"_s << true;
    QTest::newRow("=>テスト from a separator") << u"select1"_s << u"test-from-line"_s << false;
    QTest::newRow("a nudge, whatever plays") << u""_s << u"nudge-on"_s << true;
}

void TestTimingCommands::whatCanRunFollowsTheRun()
{
    QFETCH(QString, setUp);
    QFETCH(QString, command);
    QFETCH(bool, canRun);
    testfiles::WorkArea home;
    ScriptedRun scripted({60000}, u"0"_s);
    TimingRun& run = scripted.run;
    run.lines().setRows(TimingRowsFromList({u"[00:01]a"_s, u"-------"_s, u"[--:--]b"_s}));
    for (const QString& step : setUp.split(u' ', Qt::SkipEmptyParts)) {
        if (step == u"play")
            run.play();
        else if (step == u"pause")
            run.transport().pause();
        else if (step == u"test")
            run.beginTest(true);
        else if (step.startsWith(u"select"))
            run.lines().selectRow(step.mid(6).toInt());
    }
    QCOMPARE(TimingCommandNamed(command)->canRun(run), canRun);
}

namespace {

// A key as the help writes it: "Ctrl+Shift+Z", "Alt+←", "Space".
QString helpSpelling(QKeyCombination key)
{
    QString text;
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (mods & Qt::ControlModifier)
        text += u"Ctrl+"_s;
    if (mods & Qt::AltModifier)
        text += u"Alt+"_s;
    if (mods & Qt::ShiftModifier)
        text += u"Shift+"_s;
    switch (key.key()) {
    case Qt::Key_Space:
        return text + u"Space"_s;
    case Qt::Key_Left:
        return text + u"←"_s;
    case Qt::Key_Right:
        return text + u"→"_s;
    case Qt::Key_Up:
        return text + u"↑"_s;
    case Qt::Key_Down:
        return text + u"↓"_s;
    default:
        return text + QChar(key.key());
    }
}

} // namespace

void TestTimingCommands::theHelpListsEveryKey_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("place");
    QTest::newRow("Japanese") << u"index.html"_s << u"タイミング入力"_s;
    QTest::newRow("English") << u"index.en.html"_s << u"Timing window"_s;
}

void TestTimingCommands::theHelpListsEveryKey()
{
    QFETCH(QString, file);
    QFETCH(QString, place);
    QFile help(QStringLiteral(SOURCE_DATA_DIR) + u"/help/"_s + file);
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(help.readAll());
    const QString keys = page.mid(page.indexOf(u"<section id=\"keys\">"_s));
    // The keys of the rows for the timing window, as the help spells them.
    QSet<QString> listed;
    static const QRegularExpression row(u"<tr><td>([^<]*)</td><td>([^<]*)</td>"_s);
    for (const QRegularExpressionMatch& match : row.globalMatch(keys)) {
        if (match.captured(2).startsWith(place) && !match.captured(2).contains(u"一覧"_s))
            for (const QString& key : match.captured(1).split(u" / "_s))
                listed.insert(key.trimmed());
    }
    QSet<QString> commands;
    for (const TimingCommand& command : TimingCommands()) {
        for (const QKeyCombination key : command.keys) {
            const QString text = helpSpelling(key);
            QVERIFY2(listed.contains(text), qPrintable(command.name + u": "_s + text));
            commands.insert(text);
        }
    }
    // Beside the commands the window closes on Esc, and Enter presses Set.
    listed.subtract(commands);
    QCOMPARE(listed, (QSet<QString>{u"Esc"_s, u"Enter"_s}));
}

QTEST_GUILESS_MAIN(TestTimingCommands)
#include "tst_timingcommands.moc"
