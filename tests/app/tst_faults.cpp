// Faults from outside: a full disk, a read-only configuration, a disc image cut
// short while it plays, a read-only target folder, a link planted in the work
// folder. Each ends in a message or the documented silent outcome, with the
// user's text and files intact.

#include "app/handover.h"
#include "app/mainwindow.h"
#include "audio/discaudiodevice.h"
#include "cd/drivedialog.h"
#include "settings/drivelist.h"
#include "workfiles/lyricstext.h"
#include "workfiles/workfiles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"
#include "modalscript.h"
#include "testfiles.h"
#include "widgetnames.h"

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using testmodal::ModalScript;

class TestFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void fullDiskKeepsTheText();
    void readOnlyConfigurationIsNoFailure();
    void imageCutShortWhilePlaying();
    void readOnlyTargetFolder();
    void linkPlantedInTheWorkFolder();
    void whatIsNoLyricsTextIsRefused_data();
    void whatIsNoLyricsTextIsRefused();

private:
    std::unique_ptr<WorkArea> m_home;
    std::unique_ptr<MainWindow> m_main;
};

void TestFaults::init()
{
    m_home = std::make_unique<WorkArea>();
    m_main = std::make_unique<MainWindow>();
    QVERIFY(m_main->Form_Load());
}

void TestFaults::cleanup()
{
    alarm(0);
    m_main.reset();
    m_home.reset();
}

void TestFaults::fullDiskKeepsTheText()
{
    const QString body = QString(35, u'-') + u"\r\n満ちたディスクに書けない歌詞の行です"_s;
    m_main->document().setBodyText(body);
    ModalScript script;
    script.thenMessage();
    {
        FileSizeLimit full(16);
        named<QAction>(m_main, "リアルタイム入力")->trigger();
    }
    QCOMPARE(script.messages.size(), 1);
    QVERIFY(script.messages.at(0).text.startsWith(m_main->state().Work.textFile() + u"t"_s));
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(m_main->document().bodyText(), body);
    // The tag file of the start-up is still whole.
    QCOMPARE(readBytes(m_main->state().Work.tagFile()), tagTemplateBytes());
}

void TestFaults::readOnlyConfigurationIsNoFailure()
{
    // Nothing can be written below a file standing where the folder should be.
    writeBytes(m_home->path() + u"/config"_s, "not a folder");
    DriveDialog* drives = m_main->driveDialog();
    QVERIFY(named<QComboBox>(drives, "Combo1")->count() >= 1);
    QCOMPARE(named<QComboBox>(drives, "Combo1")->currentIndex(), 0);
    named<QPushButton>(drives, "Command1")->click();
    QVERIFY(!QFileInfo(DriveConfigPath()).exists());
    QCOMPARE(readBytes(m_home->path() + u"/config"_s), QByteArray("not a folder"));
    QCOMPARE(drives->selectedDriveName(),
             named<QComboBox>(drives, "Combo1")->itemData(0).toString());
}

void TestFaults::imageCutShortWhilePlaying()
{
    const QString cue = fixtures::writeBinCue(m_home->path(), {75 * 10, 75 * 10});
    DiscAudioDevice device;
    device.setFileName(cue);
    fixtures::open(device);
    QCOMPARE(device.Tracks(), 2);
    device.setFrom(0);
    device.setCommand(u"Play"_s);
    QTest::qWait(100);
    // The image loses everything after its first second.
    QFile bin(m_home->filePath(u"disc.bin"_s));
    QVERIFY(bin.resize(2352 * 75));
    QTRY_VERIFY_WITH_TIMEOUT(!device.isPlaying(), 5000);
    QVERIFY2(device.Position() < 5000, qPrintable(QString::number(device.Position())));
    // Playing again from a place that is gone stops again, cleanly.
    device.setFrom(12000);
    device.setCommand(u"Play"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!device.isPlaying(), 5000);
}

void TestFaults::readOnlyTargetFolder()
{
    const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
    if (geteuid() == 0 && setpriv.isEmpty())
        QSKIP("setpriv (util-linux) is needed to drop root's privileges");
    // A staging file, and a target folder its owner may not write into.
    const QString root = m_home->path() + u"/child"_s;
    const WorkFolder work(root);
    QVERIFY(QDir().mkpath(work.path()));
    writeBytes(work.stagingFile(), "[00:00]\r\n");
    const QString folder = m_home->path() + u"/readonly"_s;
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + u"/old.txt"_s;
    writeBytes(target, "the user's old file");
    const auto open = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                      QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    for (const QString& f : {m_home->path(), root, work.path(), folder})
        QVERIFY(QFile::setPermissions(f, open | QFileDevice::WriteOwner));
    QVERIFY(
        QFile::setPermissions(work.stagingFile(), QFileDevice::ReadOwner | QFileDevice::ReadOther));
    QVERIFY(QFile::setPermissions(folder, open));
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadOther |
                                              QFileDevice::WriteOwner | QFileDevice::WriteOther));

    QProcess child;
    QStringList args{QCoreApplication::applicationFilePath(), u"--save"_s, root, target};
    if (geteuid() == 0)
        child.start(setpriv,
                    QStringList{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s} +
                        args);
    else
        child.start(args.takeFirst(), args);
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), int(FileErrorKind::Unwritable));
    QCOMPARE(readBytes(target), QByteArray("the user's old file"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.txt"_s});
    QFile::setPermissions(folder, open | QFileDevice::WriteOwner);
}

void TestFaults::linkPlantedInTheWorkFolder()
{
    const QString outside = m_home->filePath(u"diary.txt"_s);
    writeBytes(outside, "private");
    const WorkFolder& work = m_main->state().Work;
    QVERIFY(QFile::link(outside, work.textFile()));
    QVERIFY(QFile::link(outside, work.stagingFile()));
    m_main->document().setBodyText(QString(35, u'-') + u"\r\n一行"_s);
    ModalScript script;
    script.thenClose();
    named<QAction>(m_main, "リアルタイム入力")->trigger();
    QCOMPARE(script.seen, QStringList{u"Form2"_s});
    QCOMPARE(readBytes(outside), QByteArray("private"));
    QVERIFY(!QFileInfo(work.textFile()).isSymLink());
    QVERIFY(ComposeStagingFile(work, QString(), QString()).ok());
    QCOMPARE(readBytes(outside), QByteArray("private"));
    QVERIFY(!QFileInfo(work.stagingFile()).isSymLink());
}

void TestFaults::whatIsNoLyricsTextIsRefused_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<bool>("handedOver"); // else opened as the open command opens
    QTest::addColumn<QString>("reason");
    const QString unreadable =
        u"ファイルを読み込めません。フォルダや装置であるか、読む権限がありません。"_s;
    QTest::newRow("a named pipe") << u"pipe"_s << false << unreadable;
    QTest::newRow("a named pipe, handed over") << u"pipe"_s << true << unreadable;
    QTest::newRow("a device") << u"device"_s << false << unreadable;
    QTest::newRow("an LRC file whose tags multiply its text")
        << u"lrc"_s << false << u"時間のタグで繰り返す行が多すぎて、歌詞の上限を超えます。"_s;
}

void TestFaults::whatIsNoLyricsTextIsRefused()
{
    QFETCH(QString, what);
    QFETCH(bool, handedOver);
    QFETCH(QString, reason);
    const QString before = m_home->filePath(u"before.txt"_s);
    writeBytes(before, "title\r\n[00:00]intro\r\n-------\r\n[00:05]one\r\n");
    m_main->openFile(before);
    const QString caption = m_main->windowTitle();
    const QString body = m_main->document().bodyText();

    QString path = m_home->filePath(u"x.txt"_s);
    if (what == u"pipe"_s) {
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    } else if (what == u"device"_s) {
        path = u"/dev/null"_s;
    } else {
        // 200 000 tags before 1 MB of text: a body of 2e11 characters.
        path = m_home->filePath(u"x.lrc"_s);
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += "[0:0]";
        writeBytes(path, bytes + QByteArray(1 << 20, 'a') + '\n');
    }
    // Should the open wait on the pipe for ever, the test ends by SIGALRM
    // instead of hanging.
    alarm(60);

    ModalScript script;
    script.thenMessage();
    if (handedOver)
        QCOMPARE(HandOverFile(HandoverSocketPath(m_home->cacheFolder()), path), Handover::Opened);
    else
        m_main->openFile(path);
    QTRY_VERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.messages.at(0).text, u"このファイルは開けません\n"_s + path + u'\n' + reason);
    QCOMPARE(m_main->windowTitle(), caption);
    QCOMPARE(m_main->document().bodyText(), body);
}

// "--save ROOT TARGET" copies ROOT's staging file to TARGET and exits with the
// error kind, or 100 when it was saved.
int main(int argc, char* argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--save") == 0) {
        const WorkFolder work(QString::fromLocal8Bit(argv[2]));
        const auto saved = SaveLyricsText(work, QString::fromLocal8Bit(argv[3]));
        return saved.ok() ? 100 : int(saved.error().kind);
    }
    QApplication app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
