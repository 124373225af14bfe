#include "settings/driveconfig.h"
#include "settings/drivelist.h"
#include "settings/playbackspeed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include <csignal>
#include <sys/resource.h>

#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

// While alive, no file of this process can grow: every write to a regular file
// fails (EFBIG), even for root. The signal that would end the process instead
// is ignored meanwhile.
class NoFileGrowth final
{
public:
    NoFileGrowth()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_old;
        none.rlim_cur = 0;
        m_active = setrlimit(RLIMIT_FSIZE, &none) == 0;
    }
    ~NoFileGrowth()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    NoFileGrowth(const NoFileGrowth&) = delete;
    NoFileGrowth& operator=(const NoFileGrowth&) = delete;
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class TestDriveConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void indexIsWrittenBetweenBlanks_data();
    void indexIsWrittenBetweenBlanks();
    void fileSelectsAnEntry_data();
    void fileSelectsAnEntry();
    void whatIsWrittenIsReadBack();
    void missingOrUnreadableFileSelectsTheFirstEntry();
    void failedWriteKeepsTheOldFile();

    void virtualDiscsAreReadOnePerLine_data();
    void virtualDiscsAreReadOnePerLine();
    void addedDiscsAreAppendedOnce();
    void discThatCannotBeKeptIsRefused();
    void listHoldsDrivesThenDiscsThenTheDemoDisc();
    void demoDiscIsFoundBesideTheProgramFirst();

    void speedIsKeptBesideConfigDat_data();
    void speedIsKeptBesideConfigDat();

private:
    QString config() const { return m_home->path() + u"/verselet/config.dat"_s; }
    QString discs() const { return m_home->path() + u"/verselet/discs.txt"_s; }

    std::unique_ptr<QTemporaryDir> m_home;
};

void TestDriveConfig::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("XDG_CONFIG_HOME", m_home->path().toLocal8Bit());
    QCOMPARE(DriveConfigPath(), config());
    QCOMPARE(VirtualDiscsPath(), discs());
}

void TestDriveConfig::cleanup()
{
    m_home.reset();
}

void TestDriveConfig::indexIsWrittenBetweenBlanks_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("0") << 0 << QByteArray(" 0 \r\n");
    QTest::newRow("1") << 1 << QByteArray(" 1 \r\n");
    QTest::newRow("12") << 12 << QByteArray(" 12 \r\n");
    QTest::newRow("-1") << -1 << QByteArray("-1 \r\n");
    QTest::newRow("32767") << 32767 << QByteArray(" 32767 \r\n");
    QTest::newRow("-32768") << -32768 << QByteArray("-32768 \r\n");
}

void TestDriveConfig::indexIsWrittenBetweenBlanks()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);
    // The folder does not exist yet: writing creates it. A longer old file
    // is replaced, not overwritten in part.
    QVERIFY(WriteDriveConfig(qint16(index)));
    QCOMPARE(readBytes(config()), bytes);
    writeBytes(config(), "-32768 \r\n 7 \r\nmore lines\r\n");
    QVERIFY(WriteDriveConfig(qint16(index)));
    QCOMPARE(readBytes(config()), bytes);
}

void TestDriveConfig::fileSelectsAnEntry_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("selected");

    QTest::newRow("no file") << QByteArray() << false << 3 << 0;
    QTest::newRow("empty file") << QByteArray() << true << 3 << 0;
    QTest::newRow("as written") << QByteArray(" 1 \r\n") << true << 3 << 1;
    QTest::newRow("last entry") << QByteArray(" 2 \r\n") << true << 3 << 2;
    QTest::newRow("-1 selects nothing") << QByteArray("-1 \r\n") << true << 3 << -1;
    QTest::newRow("plus sign") << QByteArray("+1") << true << 3 << 1;

    QTest::newRow("1.5 rounds up to even") << QByteArray("1.5\r\n") << true << 3 << 2;
    QTest::newRow("2.5 rounds down to even") << QByteArray("2.5\r\n") << true << 3 << 2;
    QTest::newRow("0.5 rounds to 0") << QByteArray("0.5") << true << 3 << 0;
    QTest::newRow("1.49 rounds down") << QByteArray("1.49") << true << 3 << 1;
    QTest::newRow("-1.4 rounds to -1") << QByteArray("-1.4") << true << 3 << -1;
    QTest::newRow("-0.5 rounds to 0") << QByteArray("-0.5") << true << 3 << 0;
    QTest::newRow("1.5 past the list") << QByteArray("1.5") << true << 2 << 0;

    QTest::newRow("letters read as 0") << QByteArray("abc\r\n") << true << 3 << 0;
    QTest::newRow("digits before letters") << QByteArray("2abc\r\n") << true << 3 << 2;
    QTest::newRow("leading blanks") << QByteArray("    2 \r\n") << true << 3 << 2;
    QTest::newRow("leading tab") << QByteArray("\t2") << true << 3 << 2;
    QTest::newRow("blanks inside are ignored") << QByteArray(" 1 2 \r\n") << true << 13 << 12;
    QTest::newRow("field ends at a comma") << QByteArray("2,1\r\n") << true << 3 << 2;
    QTest::newRow("empty field before a comma") << QByteArray(",2\r\n") << true << 3 << 0;
    QTest::newRow("no line end") << QByteArray("2") << true << 3 << 2;
    QTest::newRow("first line only") << QByteArray(" 2 \r\n 1 \r\n") << true << 3 << 2;
    QTest::newRow("empty first line") << QByteArray("\r\n 2 \r\n") << true << 3 << 0;
    QTest::newRow("lone LF ends the line") << QByteArray("1\n2") << true << 13 << 1;

    QTest::newRow("index past the list") << QByteArray(" 3 \r\n") << true << 2 << 0;
    QTest::newRow("index just past the list") << QByteArray(" 2 \r\n") << true << 2 << 0;
    QTest::newRow("-2") << QByteArray("-2 \r\n") << true << 3 << 0;
    QTest::newRow("32767 beyond a short list") << QByteArray(" 32767 ") << true << 3 << 0;
    QTest::newRow("32768 out of range") << QByteArray(" 32768 ") << true << 40000 << 0;
    QTest::newRow("32767.5 rounds out of range") << QByteArray("32767.5") << true << 40000 << 0;
    QTest::newRow("-32769 out of range") << QByteArray("-32769") << true << 3 << 0;
    QTest::newRow("65537 does not wrap to 1") << QByteArray("65537") << true << 3 << 0;
    QTest::newRow("65535 does not wrap to -1") << QByteArray("65535") << true << 3 << 0;
    QTest::newRow("too many digits") << QByteArray(400, '9') << true << 3 << 0;

    QTest::newRow("empty list, no file") << QByteArray() << false << 0 << -1;
    QTest::newRow("empty list, 0") << QByteArray(" 0 \r\n") << true << 0 << -1;
    QTest::newRow("empty list, -1") << QByteArray("-1 \r\n") << true << 0 << -1;
    QTest::newRow("one entry, 0") << QByteArray(" 0 \r\n") << true << 1 << 0;
}

void TestDriveConfig::fileSelectsAnEntry()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(int, entries);
    QFETCH(int, selected);
    QCOMPARE(int(DriveIndexFromConfig(bytes, exists, entries)), selected);

    // The same through the file.
    if (exists) {
        QVERIFY(QDir().mkpath(QFileInfo(config()).path()));
        writeBytes(config(), bytes);
    }
    QCOMPARE(int(ReadDriveConfig(entries)), selected);
}

void TestDriveConfig::whatIsWrittenIsReadBack()
{
    for (const int index : {-1, 0, 1, 9, 10, 32766}) {
        QVERIFY(WriteDriveConfig(qint16(index)));
        QCOMPARE(int(ReadDriveConfig(32767)), index);
    }
}

void TestDriveConfig::missingOrUnreadableFileSelectsTheFirstEntry()
{
    QCOMPARE(int(ReadDriveConfig(m_home->filePath(u"nowhere/config.dat"_s), 4)), 0);
    // A folder where the file should be cannot be read.
    QVERIFY(QDir().mkpath(config()));
    QCOMPARE(int(ReadDriveConfig(4)), 0);
    QCOMPARE(int(ReadDriveConfig(0)), -1);
}

void TestDriveConfig::failedWriteKeepsTheOldFile()
{
    // A folder in the file's place: nothing can be opened there.
    QVERIFY(QDir().mkpath(config() + u"/inside"_s));
    QVERIFY(!WriteDriveConfig(1));
    QVERIFY(QFileInfo(config() + u"/inside"_s).isDir());
    const QString folder = QFileInfo(config()).path();
    QVERIFY(QDir(folder).removeRecursively());

    // The configuration folder cannot be made: a file has its name.
    writeBytes(folder, "a file, not a folder");
    QVERIFY(!WriteDriveConfig(1));
    QCOMPARE(readBytes(folder), QByteArray("a file, not a folder"));
    QVERIFY(QFile::remove(folder));

    // The file opens, but no byte can be written: the old file stays whole.
    QVERIFY(QDir().mkpath(folder));
    writeBytes(config(), " 1 \r\n");
    {
        NoFileGrowth noGrowth;
        QVERIFY(noGrowth.active());
        QVERIFY(!WriteDriveConfig(2));
    }
    QCOMPARE(readBytes(config()), QByteArray(" 1 \r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"config.dat"_s});
}

void TestDriveConfig::virtualDiscsAreReadOnePerLine_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("discs");
    QTest::newRow("one per line") << QByteArray("/a/b.cue\n/music/album\n")
                                  << QStringList{u"/a/b.cue"_s, u"/music/album"_s};
    QTest::newRow("no final line end")
        << QByteArray("/a/b.cue\n/c.toc") << QStringList{u"/a/b.cue"_s, u"/c.toc"_s};
    QTest::newRow("CR LF") << QByteArray("/a/b.cue\r\n/c.toc\r\n")
                           << QStringList{u"/a/b.cue"_s, u"/c.toc"_s};
    QTest::newRow("blank lines") << QByteArray("\n/a/b.cue\n  \n\t\r\n\n/c.toc\n\n")
                                 << QStringList{u"/a/b.cue"_s, u"/c.toc"_s};
    QTest::newRow("blanks in a path are kept")
        << QByteArray("/my music/ album \n") << QStringList{u"/my music/ album "_s};
    QTest::newRow("UTF-8") << QByteArray("/\xE9\x9F\xB3\xE6\xA5\xBD/\xE6\xAD\x8C.cue\n")
                           << QStringList{u"/音楽/歌.cue"_s};
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void TestDriveConfig::virtualDiscsAreReadOnePerLine()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, discs);
    QCOMPARE(ReadVirtualDiscs(), QStringList());
    QVERIFY(QDir().mkpath(QFileInfo(this->discs()).path()));
    writeBytes(this->discs(), bytes);
    QCOMPARE(ReadVirtualDiscs(), discs);
}

void TestDriveConfig::addedDiscsAreAppendedOnce()
{
    // No folder yet: adding makes it.
    QVERIFY(AddVirtualDisc(u"/music/album"_s));
    QVERIFY(AddVirtualDisc(u"/音楽/歌.cue"_s));
    QVERIFY(AddVirtualDisc(u"/music/album"_s));
    QCOMPARE(readBytes(discs()), QByteArray("/music/album\n/\xE9\x9F\xB3\xE6\xA5\xBD/"
                                            "\xE6\xAD\x8C.cue\n"));

    // What the user wrote stays; a last line without a line end gets one.
    writeBytes(discs(), "/mine.cue\n\n/x.toc");
    QVERIFY(AddVirtualDisc(u"/y.nrg"_s));
    QCOMPARE(readBytes(discs()), QByteArray("/mine.cue\n\n/x.toc\n/y.nrg\n"));
    QCOMPARE(ReadVirtualDiscs(), (QStringList{u"/mine.cue"_s, u"/x.toc"_s, u"/y.nrg"_s}));
}

void TestDriveConfig::discThatCannotBeKeptIsRefused()
{
    QVERIFY(AddVirtualDisc(u"/a.cue"_s));
    QVERIFY(!AddVirtualDisc(u"/b\n/c.cue"_s));
    QVERIFY(!AddVirtualDisc(u"/b\r.cue"_s));
    QVERIFY(!AddVirtualDisc(QString()));
    QCOMPARE(readBytes(discs()), QByteArray("/a.cue\n"));

    // discs.txt cannot be written: the disc is not added, the list stays
    // whole, and the caller is told.
    {
        NoFileGrowth noGrowth;
        QVERIFY(noGrowth.active());
        QVERIFY(!AddVirtualDisc(u"/e.cue"_s));
    }
    QCOMPARE(readBytes(discs()), QByteArray("/a.cue\n"));
    QVERIFY(QFile::remove(discs()));
    QVERIFY(QDir().mkpath(discs()));
    QVERIFY(!AddVirtualDisc(u"/d.cue"_s));
    QVERIFY(QFileInfo(discs()).isDir());
}

void TestDriveConfig::listHoldsDrivesThenDiscsThenTheDemoDisc()
{
    const QString demo = DemoDiscPath();
    QVERIFY(demo.endsWith(u"/demo/verselet-demo.cue"_s));
    QCOMPARE(DriveListEntries(), ListCdDrives() << demo);

    QVERIFY(QDir().mkpath(QFileInfo(discs()).path()));
    // An added disc that is the demo disc, or listed twice, appears once.
    writeBytes(discs(), "/z/second.cue\n/a/first\n" + demo.toUtf8() + "\n/z/second.cue\n");
    QCOMPARE(DriveListEntries(), ListCdDrives() << u"/z/second.cue"_s << u"/a/first"_s << demo);
}

void TestDriveConfig::demoDiscIsFoundBesideTheProgramFirst()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString beside = appDir + u"/data/demo/verselet-demo.cue"_s;
    const QString built = QStringLiteral(VERSELET_BUILD_DATA_DIR) + u"/demo/verselet-demo.cue"_s;
    QVERIFY2(!QFile::exists(beside), qPrintable(beside));

    // Without one beside the program: the build tree's, or, when there is no
    // demo disc anywhere, the first place looked at.
    if (QFile::exists(built))
        QCOMPARE(DemoDiscPath(), built);
    else if (!QFile::exists(appDir + u"/../share/verselet/demo/verselet-demo.cue"_s))
        QCOMPARE(DemoDiscPath(), beside);

    QVERIFY(QDir().mkpath(QFileInfo(beside).path()));
    writeBytes(beside, "FILE \"demo.bin\" BINARY\n");
    const QString found = DemoDiscPath();
    QFile::remove(beside);
    QDir(appDir).rmpath(u"data/demo"_s);
    QCOMPARE(found, beside);
}

void TestDriveConfig::speedIsKeptBesideConfigDat_data()
{
    QTest::addColumn<QByteArray>("settings"); // settings.ini as found; empty: none
    QTest::addColumn<int>("speed");
    QTest::newRow("never chosen") << QByteArray() << 100;
    QTest::newRow("a step") << QByteArray("[timing]\nspeed=75\n") << 75;
    QTest::newRow("not a step") << QByteArray("[timing]\nspeed=33\n") << 100;
    QTest::newRow("not a number") << QByteArray("[timing]\nspeed=fast\n") << 100;
}

void TestDriveConfig::speedIsKeptBesideConfigDat()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, speed);
    const QString ini = m_home->path() + u"/verselet/settings.ini"_s;
    QVERIFY(QDir().mkpath(m_home->path() + u"/verselet"_s));
    if (!settings.isEmpty()) {
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(settings) == settings.size());
    }
    QCOMPARE(LoadPlaybackSpeed(), speed);
    // Chosen and read back; config.dat is not touched.
    QVERIFY(SavePlaybackSpeed(60));
    QCOMPARE(LoadPlaybackSpeed(), 60);
    QVERIFY(!QFile::exists(config()));
    // Ctrl+↓ and Ctrl+↑ step through the speeds and stop at the ends.
    QCOMPARE(StepPlaybackSpeed(100, -1), 90);
    QCOMPARE(StepPlaybackSpeed(75, 2), 90);
    QCOMPARE(StepPlaybackSpeed(50, -1), 50);
    QCOMPARE(StepPlaybackSpeed(100, 1), 100);
}

QTEST_GUILESS_MAIN(TestDriveConfig)
#include "tst_driveconfig.moc"
