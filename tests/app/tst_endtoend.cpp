// The program as a person uses it: started the way main() starts it, driven
// through its windows by their names — open the demo lyrics, choose the demo
// disc, keep the marks, play, press Set, close, create the text, save it.

#include "app/mainwindow.h"
#include "app/program.h"
#include "document/textfile.h"
#include "readings/mecabreadings.h"
#include "settings/drivelist.h"
#include "timing/timingwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakereadings.h"
#include "modalscript.h"
#include "testfiles.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

namespace {

// 設定, and the demo disc chosen there: it is always the last entry.
void chooseTheDemoDisc(MainWindow& main, ModalScript& script)
{
    script.then([](QWidget* drives) {
        auto* combo = drives->findChild<QComboBox*>(u"Combo1"_s);
        combo->setCurrentIndex(combo->count() - 1);
        QMetaObject::invokeMethod(drives->findChild<QPushButton*>(u"Command1"_s),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    main.findChild<QAction*>(u"設定"_s)->trigger();
}

// The program started, the demo disc chosen and the timed demo lyrics,
// copied where the user keeps files, opened; null when any of it fails.
std::unique_ptr<MainWindow> startWithTheTimedDemo(WorkArea& home, ModalScript& script)
{
    const QString lyrics = home.filePath(u"ひかりのステップ.txt"_s);
    if (!QFile::copy(QFileInfo(DemoDiscPath()).dir().filePath(u"lyrics-timed.txt"_s), lyrics))
        return nullptr;
    int exitCode = -1;
    std::unique_ptr<MainWindow> main = StartVerselet(&exitCode);
    if (!main || !QTest::qWaitForWindowExposed(main.get()))
        return nullptr;
    chooseTheDemoDisc(*main, script);
    script.thenChoose(lyrics);
    main->findChild<QAction*>(u"開く"_s)->trigger();
    return script.done() ? std::move(main) : nullptr;
}

// Word mode on, the demo's first line selected.
void wordModeOnTheFirstLine(TimingWindow* timing)
{
    named<QCheckBox>(timing, "WordMode")->click();
    const TimingRows& rows = timing->run().lines().sheet().rows();
    const auto first = std::find_if(rows.cbegin(), rows.cend(), [](const TimingRow& row) {
        return row.text() == u"朝の窓をあけたら"_s;
    });
    timing->run().lines().selectRow(int(first - rows.cbegin()));
}

// The heard position just before and after a press.
struct Press
{
    qint32 before = 0;
    qint32 after = 0;
};

// The times of the marks in these lines, in order: minutes, seconds and
// hundredths are the mark's first three captures.
QList<qint32> TimesIn(const QStringList& lines, const QRegularExpression& mark)
{
    QList<qint32> times;
    for (const QString& line : lines) {
        for (auto m = mark.globalMatch(line); m.hasNext();) {
            const auto found = m.next();
            times.append((found.captured(1).toInt() * 60 + found.captured(2).toInt()) * 1000 +
                         found.captured(3).toInt() * 10);
        }
    }
    return times;
}

// Each time written is the heard position at its press (`pressOf`), to the
// hundredth: the first that is not, or "" when all are.
QString NotWithinPresses(const QList<qint32>& times, const QList<Press>& presses,
                         const QList<int>& pressOf)
{
    for (int i = 0; i < times.size(); ++i) {
        const Press& press = presses.at(pressOf.at(i));
        if (times.at(i) < press.before / 10 * 10 || times.at(i) > press.after)
            return u"%1 not within %2..%3"_s.arg(times.at(i)).arg(press.before).arg(press.after);
    }
    return {};
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoLyricsOnTheDemoDisc();
    void demoTimedLyricsToAnLrcFile();
    void demoTimedWordByWordToAnEnhancedLrcFile();
    void demoTimedMoraByMoraToAKaraokeText();
};

void TestEndToEnd::demoLyricsOnTheDemoDisc()
{
    WorkArea home;
    const QString demo = DemoDiscPath();
    QVERIFY2(QFileInfo::exists(demo), qPrintable(demo));
    const QString lyrics = QFileInfo(demo).dir().filePath(u"lyrics-plain.txt"_s);
    const auto plain = ReadWorkFile(lyrics);
    QVERIFY(plain.ok());
    const QStringList lines = plain.value();
    QVERIFY(lines.size() >= 4);
    const QString target = home.filePath(u"timed.txt"_s);

    int exitCode = -1;
    const std::unique_ptr<MainWindow> main = StartVerselet(&exitCode);
    QVERIFY(main);
    QCOMPARE(exitCode, 0);
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));

    // 設定: the demo disc, last in the list.
    ModalScript script;
    chooseTheDemoDisc(*main, script);
    QVERIFY(script.done());

    // 開く: the demo lyrics.
    script.thenChoose(lyrics);
    main->findChild<QAction*>(u"開く"_s)->trigger();
    QVERIFY(script.done());

    // リアルタイム入力: the marks as offered, then the timing window.
    script.thenClick(u"Command1"_s);
    script.then([](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        // Set half-way between two seconds, so the tags do not depend on a
        // few milliseconds either way.
        QTimer::singleShot(0, timing,
                           [timing] { named<QPushButton>(timing, "Command2")->click(); });
        PressAtPlayTimes(
            timing, {1500, 2500, 3500},
            [timing] { named<QPushButton>(timing, "Command6")->click(); },
            [timing] { timing->close(); });
    });
    script.thenClick(u"Command3"_s);
    script.thenChoose(target);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen, (QStringList{u"Form8"_s, u"CommonDialog1"_s, u"Form2"_s, u"Form3"_s,
                                       u"Form6"_s, u"CommonDialog1"_s}));

    // A plain text has no header and no start text; its last line end leaves
    // an empty line, offered marked, which is written as its tag alone.
    QStringList expected{QString(), u"[00:00]"_s, QString(), QString(42, u'-')};
    for (int i = 0; i < lines.size(); ++i)
        expected.append((i < 3 ? u"[00:%1]"_s.arg(i + 1, 2, 10, QLatin1Char('0')) : u"[--:--]"_s) +
                        lines.at(i));
    expected.append(u"[--:--]"_s);
    expected.append(QString(35, u'-'));
    QCOMPARE(readBytes(target), EncodeCp932(JoinLinesCrLf(expected)).value());
}

void TestEndToEnd::demoTimedLyricsToAnLrcFile()
{
    WorkArea home;
    ModalScript script;
    const std::unique_ptr<MainWindow> main = startWithTheTimedDemo(home, script);
    QVERIFY(main);
    const QString lrcFile = home.filePath(u"ひかりのステップ.lrc"_s);

    // The first two lines stamped again at about 1.5 s and 2.5 s; the other
    // lines keep the seconds of the file.
    ExactTimes stamped;
    QString trackShown;
    script.thenClick(u"Command1"_s);
    script.then([&stamped, &trackShown](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        QTimer::singleShot(0, timing, [timing, &trackShown] {
            // The image's CD-Text names the track.
            trackShown = named<QComboBox>(timing, "Combo1")->currentText();
            named<QPushButton>(timing, "Command2")->click();
        });
        PressAtPlayTimes(
            timing, {1500, 2500}, [timing] { named<QPushButton>(timing, "Command6")->click(); },
            [timing, &stamped] {
                stamped = ExactTimesOf(timing->run());
                timing->close();
            });
    });
    script.thenClick(u"Command4"_s);
    script.thenChoose(lrcFile);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen.mid(2), (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s, u"LrcDialog"_s}));
    // Offered under the name of the file opened.
    QCOMPARE(script.dialogNameShown, u"ひかりのステップ.lrc"_s);

    QCOMPARE(trackShown, u"ﾄﾗｯｸ1 ひかりのステップ [00:54]"_s);
    QVERIFY(stamped.size() > 2 && stamped.at(1) && stamped.at(2));
    const auto at = [](qint32 ms) {
        return QString::asprintf("[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms % 1000 / 10);
    };
    const QString expected =
        // The header's title and artist, the image's album, the track's length.
        u"[ti:ひかりのステップ]\n[ar:作詞・作曲：Verselet]\n[al:Verselet Demo]\n[length:00:54]\n"
        u"[re:Verselet]\n"
        u"[00:00.00]（前奏）\n"_s +
        at(*stamped.at(1)) + u"朝の窓をあけたら\n"_s + at(*stamped.at(2)) +
        u"青い風がおどりだす\n"
        u"[00:17.00]小さなくつをはいて\n[00:21.00]きょうも町へかけだそう\n"
        u"[00:26.00]ラララ　ひかりのステップ\n[00:30.00]手をたたいてリズムに乗って\n"
        u"[00:34.00]ラララ　きみとならんで\n[00:37.00]どこまでも歩いてゆこう\n"
        u"[00:41.00]夕焼けの坂道で\n[00:46.00]また明日ねと手をふろう\n"_s;
    QCOMPARE(QString::fromUtf8(readBytes(lrcFile)), expected);
}

void TestEndToEnd::demoTimedWordByWordToAnEnhancedLrcFile()
{
    WorkArea home;
    ModalScript script;
    const std::unique_ptr<MainWindow> main = startWithTheTimedDemo(home, script);
    QVERIFY(main);
    const QString lrcFile = home.filePath(u"ひかりのステップ.lrc"_s);
    // The kanji are timed one by one here: no readings are proposed.
    FakeReadings noReadings({{u"〇"_s, u"ゼロ"_s}});
    main->seams().readings = &noReadings;

    // Word mode; the first line split in two by taking bars out of its
    // split; Space at about 1.5 s and 2.0 s, Shift+Space at 2.3 s, Space
    // at 2.6 s and 3.0 s: the first line's two segments and end, the
    // second line's first two segments. The heard position is read just
    // before and after each press.
    QList<Press> presses;
    script.thenClick(u"Command1"_s);
    script.then([&presses](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        QTimer::singleShot(0, timing, [timing] {
            wordModeOnTheFirstLine(timing);
            auto* split = named<QLineEdit>(timing, "SegmentText");
            split->setFocus();
            QTest::keyClick(split, Qt::Key_Home);
            // Past a character, and its bar taken out; the fourth bar stays.
            for (int bar = 0; bar < 7; ++bar) {
                QTest::keyClick(split, Qt::Key_Right);
                if (bar == 4)
                    QTest::keyClick(split, Qt::Key_Right);
                if (bar != 3)
                    QTest::keyClick(split, Qt::Key_Delete);
            }
            QTest::keyClick(split, Qt::Key_Return);
            named<QPushButton>(timing, "Command2")->click();
        });
        const auto heard = [timing] {
            return timing->run().device().Position() - timing->run().device().TrackPosition();
        };
        for (const auto& [at, modifiers] :
             {std::pair{1500, Qt::NoModifier}, std::pair{2000, Qt::NoModifier},
              std::pair{2300, Qt::ShiftModifier}, std::pair{2600, Qt::NoModifier},
              std::pair{3000, Qt::NoModifier}})
            QTimer::singleShot(at, timing, [timing, heard, &presses, modifiers] {
                const qint32 before = heard();
                QTest::keyClick(timing, Qt::Key_Space, modifiers);
                presses.append({before, heard()});
            });
        QTimer::singleShot(3300, timing, [timing] { timing->close(); });
    });
    script.thenClick(u"Command4"_s);
    script.thenChoose(lrcFile, u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);

    // Each time written is a heard position at its press, to the hundredth.
    QCOMPARE(presses.size(), 5);
    const QStringList written = QString::fromUtf8(readBytes(lrcFile)).split(u'\n');
    QVERIFY(written.size() > 6);
    QRegularExpression mark(u"[\\[<](\\d\\d):(\\d\\d)\\.(\\d\\d)[\\]>]"_s);
    const QList<qint32> times = TimesIn(written.mid(6, 2), mark);
    // [line 1]<1>朝の窓を<2>あけたら<end>, [line 2]<1>青<2>い風がおどりだす
    QCOMPARE(times.size(), 7);
    const QList<int> pressOf{0, 0, 1, 2, 3, 3, 4};
    const QString outside = NotWithinPresses(times, presses, pressOf);
    QVERIFY2(outside.isEmpty(), qPrintable(outside));
    // The texts between the marks.
    QCOMPARE(QString(written.at(6)).remove(mark), u"朝の窓をあけたら"_s);
    QCOMPARE(written.at(6).split(mark).mid(1),
             (QStringList{QString(), u"朝の窓を"_s, u"あけたら"_s, QString()}));
    QCOMPARE(written.at(7).split(mark).mid(1),
             (QStringList{QString(), u"青"_s, u"い風がおどりだす"_s}));
    // A line timed as a whole: one mark at its time.
    QCOMPARE(written.at(8), u"[00:17.00]<00:17.00>小さなくつをはいて"_s);
}

void TestEndToEnd::demoTimedMoraByMoraToAKaraokeText()
{
    if (const QString why = MecabReadings().unavailableReason(); !why.isEmpty())
        QSKIP(qPrintable(why));
    WorkArea home;
    ModalScript script;
    const std::unique_ptr<MainWindow> main = startWithTheTimedDemo(home, script);
    QVERIFY(main);
    const QString karaokeFile = home.filePath(u"karaoke.txt"_s);

    // Word mode: MeCab reads the kanji of the first line; Space five times,
    // each once the play position reaches its point: あ, さ, の, ま, ど. The
    // heard position is read just before and after each press.
    QList<Press> presses;
    QString notated;
    script.thenClick(u"Command1"_s);
    script.then([&](QWidget* window) {
        auto* timing = qobject_cast<TimingWindow*>(window);
        QTimer::singleShot(0, timing, [&, timing] {
            wordModeOnTheFirstLine(timing);
            notated = named<QLineEdit>(timing, "SegmentText")->text();
            named<QPushButton>(timing, "Command2")->click();
            const auto heard = [timing] {
                return timing->run().device().Position() - timing->run().device().TrackPosition();
            };
            PressAtPlayTimes(
                timing, {1500, 1900, 2300, 2700, 3100},
                [timing, heard, &presses] {
                    const qint32 before = heard();
                    QTest::keyClick(timing, Qt::Key_Space);
                    presses.append({before, heard()});
                },
                [timing] { timing->close(); });
        });
    });
    script.thenClick(u"Command4"_s);
    script.thenChoose(karaokeFile, u"ニコカラ歌詞テキスト (*.txt)"_s);
    main->findChild<QAction*>(u"リアルタイム入力"_s)->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(notated, u"朝《あ|さ》|の|窓《ま|ど》|を|あ|け|た|ら"_s);

    // The line's tags and its readings' inner tags, each a heard position at
    // its press, to the hundredth.
    QCOMPARE(presses.size(), 5);
    const QStringList written = QString::fromUtf8(readBytes(karaokeFile)).split(u"\r\n"_s);
    const auto lineOf = [&](const QString& start) {
        const auto found = std::find_if(written.cbegin(), written.cend(), [&](const QString& line) {
            return line.startsWith(start);
        });
        return found == written.cend() ? QString() : *found;
    };
    const QRegularExpression tag(u"\\[(\\d\\d):(\\d\\d):(\\d\\d)\\]"_s);
    const QString line = lineOf(u"["_s + u"00:01"_s);
    QCOMPARE(QString(line).remove(tag), u"朝の窓をあけたら"_s);
    QCOMPARE(line.split(tag).mid(1), (QStringList{u"朝"_s, u"の"_s, u"窓をあけたら"_s}));
    const QList<qint32> times =
        TimesIn({line, lineOf(u"@Ruby1=朝,"_s), lineOf(u"@Ruby2=窓,"_s)}, tag);
    QCOMPARE(QString(lineOf(u"@Ruby1="_s)).remove(tag), u"@Ruby1=朝,あさ"_s);
    QCOMPARE(QString(lineOf(u"@Ruby2="_s)).remove(tag), u"@Ruby2=窓,まど"_s);
    // [あ]朝[の]の[ま]窓をあけたら, @Ruby1=朝,あ[さ]さ, @Ruby2=窓,ま[ど]ど
    const QList<int> pressOf{0, 2, 3, 1, 4};
    QCOMPARE(times.size(), pressOf.size());
    const QString outside = NotWithinPresses(times, presses, pressOf);
    QVERIFY2(outside.isEmpty(), qPrintable(outside));
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
