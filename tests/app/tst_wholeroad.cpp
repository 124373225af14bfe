// The whole road on a generated disc image with the silent engine: open a
// timed lyrics text, start real-time input, play, stamp, close, create the
// finished text and save it.

#include "app/mainwindow.h"
#include "audio/discaudiodevice.h"
#include "audio/musictags.h"
#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "settings/driveconfig.h"
#include "settings/drivelist.h"
#include "settings/uilanguage.h"
#include "timing/timingwindow.h"
#include "workfiles/workfiles.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "discfixtures.h"
#include "modalscript.h"
#include "testfiles.h"
#include "timingrig.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

class TestWholeRoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openMarkPlayStampCreateSave();
    void writtenFileComesBackByteForByte_data();
    void writtenFileComesBackByteForByte();
    void stampsKeepTheirMillisecondsIntoTheLrcFile_data();
    void stampsKeepTheirMillisecondsIntoTheLrcFile();
    void wordsOfALineWithAWaveDashReachTheEnhancedFile();

private:
    // The program started anew with this disc chosen in the drive list.
    void startWith(const QString& disc);

    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<MainWindow> m_main;
};

void TestWholeRoad::init()
{
    m_home = std::make_unique<WorkArea>();
    // The disc: an image of two one-minute tracks, chosen in the drive list.
    const QString image = fixtures::writeBinCue(m_home->path(), {75 * 60, 75 * 60});
    startWith(image);
}

void TestWholeRoad::startWith(const QString& disc)
{
    m_main.reset();
    QVERIFY(AddVirtualDisc(disc));
    QVERIFY(WriteDriveConfig(qint16(DriveListEntries().indexOf(disc))));
    m_main = std::make_unique<MainWindow>();
    m_main->seams().deviceFactory = [] { return std::make_unique<DiscAudioDevice>(); };
    QVERIFY(m_main->Form_Load());
}

void TestWholeRoad::cleanup()
{
    SetUiLanguage(UiLanguage::Japanese);
    m_main.reset();
    m_home.reset();
}

void TestWholeRoad::openMarkPlayStampCreateSave()
{
    const QString source = m_home->filePath(u"夜明け.txt"_s);
    writeBytes(source, EncodeCp932(JoinLinesCrLf({u"仮の題"_s, u"[00:00]（前奏）"_s, QString(),
                                                  QString(42, u'-'), u"[--:--]一行目"_s,
                                                  u"[--:--]二行目"_s, QString(35, u'-')}))
                           .value());
    const QString target = m_home->filePath(u"できあがり.txt"_s);

    ModalScript script;
    script.then([](QWidget* selection) { // the marks as loaded
        QMetaObject::invokeMethod(selection->findChild<QPushButton*>(u"Command1"_s),
                                  &QPushButton::click, Qt::QueuedConnection);
    });
    script.then([](QWidget* timing) {
        auto* w = qobject_cast<TimingWindow*>(timing);
        QTimer::singleShot(0, w, [w] { named<QPushButton>(w, "Command2")->click(); }); // ＞
        // Set at 1.3 s and 2.4 s into the track.
        PressAtPlayTimes(
            w, {1300, 2400}, [w] { named<QPushButton>(w, "Command6")->click(); },
            [w] { w->close(); });
    });
    script.thenClick(u"Command3"_s); // 歌詞テキストを作成する
    script.thenChoose(target);

    m_main->LoadLyricsFile(source);
    m_main->document().setHeaderText(u"夜明けの歌"_s); // typed over the title
    QVERIFY(m_main->hasUnsavedEdits());
    named<QAction>(m_main, "リアルタイム入力")->trigger();

    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen.mid(0, 3), (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s}));
    QCOMPARE(readBytes(target),
             EncodeCp932(
                 JoinLinesCrLf({u"夜明けの歌"_s, u"[00:00]（前奏）"_s, QString(), QString(42, u'-'),
                                u"[00:01]一行目"_s, u"[00:02]二行目"_s, QString(35, u'-')}))
                 .value());
    // Back in the editor (the command has returned), the document as it was.
    QCOMPARE(m_main->document().bodyText(),
             QString(35, u'-') + u"\r\n一行目\r\n二行目\r\n"_s + QString(28, u'-'));
    QCOMPARE(m_main->document().fileName(), target);
    // Saved as it stands: a file dropped now opens without a question.
    QVERIFY(!m_main->hasUnsavedEdits());
}

void TestWholeRoad::writtenFileComesBackByteForByte_data()
{
    // The files are the same whatever language the windows speak.
    QTest::addColumn<bool>("english");
    QTest::newRow("Japanese") << false;
    QTest::newRow("English") << true;
}

void TestWholeRoad::writtenFileComesBackByteForByte()
{
    QFETCH(bool, english);
    SetUiLanguage(english ? UiLanguage::English : UiLanguage::Japanese);
    // A file as the program writes them: a line stamped at zero seconds, an
    // unmarked line, an empty marked line, an empty unmarked one.
    const QByteArray written =
        EncodeCp932(ComposeTimedText(u"タイトル\r\n作詞 ①"_s, u"はじまり～"_s,
                                     {{u"-------"_s, QString(35, u'-')},
                                      {u"[00:00]"_s, u"ゼロ秒の行"_s},
                                      {u"[00:12]"_s, u"ふつうの行"_s},
                                      {u"       "_s, u"数えない行"_s},
                                      {u"[--:--]"_s, QString()},
                                      {u"       "_s, QString()},
                                      {u"[01:59]"_s, u"最後の行"_s}}))
            .value();
    const QString source = m_home->filePath(u"written.txt"_s);
    writeBytes(source, written);
    const QString again = m_home->filePath(u"again.txt"_s);

    ModalScript script;
    script.thenClick(u"Command1"_s);
    script.thenClose();              // the timing window, without a stamp
    script.thenClick(u"Command3"_s); // 歌詞テキストを作成する
    script.thenChoose(again);

    m_main->LoadLyricsFile(source);
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(readBytes(again), written);
    QCOMPARE(SplitWorkLines(QString::fromLatin1(readBytes(m_main->state().Work.tagFile()))),
             (QStringList{u"-------"_s, u"[00:00]"_s, u"[00:12]"_s, u"       "_s, u"[--:--]"_s,
                          QString(), u"[01:59]"_s, u"-------"_s}));
}

void TestWholeRoad::stampsKeepTheirMillisecondsIntoTheLrcFile_data()
{
    QTest::addColumn<bool>("audioFile"); // written into it, or an LRC file chosen
    QTest::addColumn<QString>("head");   // what the track adds to the header
    QTest::newRow("an LRC file, from an image") << false << u"[length:01:00]\n"_s;
    QTest::newRow("into the audio file timed, and beside it, from a folder")
        << true << u"[al:盤]\n[length:00:05]\n"_s;
}

void TestWholeRoad::stampsKeepTheirMillisecondsIntoTheLrcFile()
{
    QFETCH(bool, audioFile);
    QFETCH(QString, head);
    // A folder of one MP3 with tags of its own: the header's title wins.
    const QString song = m_home->filePath(u"曲/夜明け.mp3"_s);
    std::vector<short> before;
    if (audioFile) {
        QVERIFY(QDir().mkpath(m_home->filePath(u"曲"_s)));
        QVERIFY(fixtures::writeAudio(song, 5 * 44100, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III,
                                     44100, 2, false, {u"仮の題"_s, QString(), u"盤"_s}));
        before = fixtures::decodeAll(song);
        startWith(m_home->filePath(u"曲"_s));
    }
    m_main->document().setHeaderText(u"夜明けの歌\r\n歌う人"_s);
    m_main->document().setStartText(u"（前奏）"_s);
    m_main->document().setBodyText(QString(35, u'-') + u"\r\n一行目\r\n二行目"_s);
    const QString target = m_home->filePath(u"夜明け.lrc"_s);

    ExactTimes stamped;
    ModalScript script;
    script.thenClick(u"Command1"_s);
    script.then([&stamped](QWidget* timing) {
        auto* w = qobject_cast<TimingWindow*>(timing);
        QTimer::singleShot(0, w, [w] { named<QPushButton>(w, "Command2")->click(); }); // ＞
        PressAtPlayTimes(
            w, {1500, 2500}, [w] { named<QPushButton>(w, "Command6")->click(); },
            [w, &stamped] {
                stamped = ExactTimesOf(w->run());
                w->close();
            });
    });
    if (audioFile) {
        script.thenClick(u"Command5"_s); // 音楽ファイルに書き込む
    } else {
        script.thenClick(u"Command4"_s); // LRCファイルを作成する
        script.thenChoose(target);
    }
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);

    // The stamps as the engine heard them, near the presses (the timers run
    // late, never early; playback starts a little after the first), and
    // each row's tag their truncation.
    QCOMPARE(stamped.size(), 3);
    QVERIFY(stamped.at(1) && stamped.at(2));
    QVERIFY2(*stamped.at(1) >= 1300 && *stamped.at(1) < 2000,
             qPrintable(QString::number(*stamped.at(1))));
    QVERIFY2(*stamped.at(2) >= 2300 && *stamped.at(2) < 3000,
             qPrintable(QString::number(*stamped.at(2))));
    QCOMPARE(m_main->document().exactTimes(), stamped);
    const auto hundredths = [](qint32 ms) {
        return QString::asprintf("[%02d:%02d.%02d]", ms / 60000, ms / 1000 % 60, ms % 1000 / 10);
    };
    const QString lrc = u"[ti:夜明けの歌]\n[ar:歌う人]\n"_s + head +
                        u"[re:Verselet]\n[00:00.00]（前奏）\n"_s + hundredths(*stamped.at(1)) +
                        u"一行目\n"_s + hundredths(*stamped.at(2)) + u"二行目\n"_s;
    if (audioFile) {
        // In the file, beside it, and the audio as it was.
        QCOMPARE(LyricsInFile(song), lrc);
        QCOMPARE(QString::fromUtf8(readBytes(m_home->filePath(u"曲/夜明け.lrc"_s))), lrc);
        QCOMPARE(fixtures::decodeAll(song), before);
    } else {
        QCOMPARE(QString::fromUtf8(readBytes(target)), lrc);
    }
    const QStringList tags =
        SplitWorkLines(QString::fromLatin1(readBytes(m_main->state().Work.tagFile())));
    QCOMPARE(tags, (QStringList{u"-------"_s, u"[00:01]"_s, u"[00:02]"_s}));
    // An LRC file cannot hold everything the boxes do: they are not saved.
    QVERIFY(m_main->hasUnsavedEdits());
}

void TestWholeRoad::wordsOfALineWithAWaveDashReachTheEnhancedFile()
{
    // 〜 as a Linux input method types it: code page 932 holds it only as ～.
    m_main->document().setBodyText(QString(35, u'-') + u"\r\nラ\u301Cラ"_s);
    const QString target = m_home->filePath(u"波.lrc"_s);

    ModalScript script;
    script.thenClick(u"Command1"_s);
    script.then([](QWidget* timing) {
        auto* w = qobject_cast<TimingWindow*>(timing);
        QTimer::singleShot(0, w, [w] {
            named<QCheckBox>(w, "WordMode")->click();
            named<QPushButton>(w, "Command2")->click(); // ＞
        });
        PressAtPlayTimes(
            w, {1000, 1500}, [w] { QTest::keyClick(w, Qt::Key_Space); }, [w] { w->close(); });
    });
    script.thenClick(u"Command4"_s); // LRCファイルを作成する
    script.thenChoose(target, u"拡張LRCファイル (語ごとのタイム) (*.lrc)"_s);
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);

    // Both segments marked in the file.
    const QStringList written = QString::fromUtf8(readBytes(target)).split(u'\n');
    QCOMPARE(written.size(), 4); // [length:], [re:], the line, and the end
    const QRegularExpression mark(u"[\\[<]\\d\\d:\\d\\d\\.\\d\\d[\\]>]"_s);
    QCOMPARE(written.at(2).split(mark),
             (QStringList{QString(), QString(), u"ラ\u301C"_s, u"ラ"_s}));
}

QTEST_MAIN(TestWholeRoad)
#include "tst_wholeroad.moc"
