#include "shell/recoveryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <optional>

#include <sys/stat.h>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

const LyricsSnapshot kLyrics{u"題"_s, {}, u"一行目"_s, {u"[00:01]"_s}, {1000}, u"f.txt"_s, {}};
const QDateTime kUpdated(QDate(2026, 12, 8), QTime(5, 50), Qt::UTC);

} // namespace

class TestRecoveryFile final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aWriteIsTheOwnersAloneAndNeverGoesThroughALink_data();
    void aWriteIsTheOwnersAloneAndNeverGoesThroughALink();
    void aWriteThatFailsSaysWhy_data();
    void aWriteThatFailsSaysWhy();
    void whatIsNoRegularFileIsNotReadAndIsSetAside_data();
    void whatIsNoRegularFileIsNotReadAndIsSetAside();
};

void TestRecoveryFile::aWriteIsTheOwnersAloneAndNeverGoesThroughALink_data()
{
    QTest::addColumn<bool>("folderThere"); // made beforehand, open to everyone
    QTest::addColumn<bool>("linkThere");   // a link to another file in the file's place
    QTest::newRow("a folder made for it") << false << false;
    QTest::newRow("a folder that was there") << true << false;
    QTest::newRow("a link in the file's place") << true << true;
}

void TestRecoveryFile::aWriteIsTheOwnersAloneAndNeverGoesThroughALink()
{
    QFETCH(bool, folderThere);
    QFETCH(bool, linkThere);
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"data/verselet/recovery"_s);
    const QString path = folder + u"/lyrics.recovery"_s;
    const QString other = dir.filePath(u"someone-elses"_s);
    writeBytes(other, "not yours");
    if (folderThere)
        QVERIFY(QDir().mkpath(folder) && ::chmod(QFile::encodeName(folder), 0755) == 0);
    if (linkThere)
        QVERIFY(QFile::link(other, path));

    QVERIFY(WriteRecoveryFile(path, kLyrics, kUpdated).ok());
    struct stat file = {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &file), 0);
    QVERIFY(S_ISREG(file.st_mode));
    QCOMPARE(file.st_mode & 07777, mode_t(0600));
    QCOMPARE(ReadRecoveryFile(path).recovered.lyrics, kLyrics);
    QCOMPARE(readBytes(other), QByteArray("not yours"));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList{u"lyrics.recovery"_s});
}

void TestRecoveryFile::aWriteThatFailsSaysWhy_data()
{
    QTest::addColumn<QString>("blocked"); // a file put there, below the data folder
    QTest::addColumn<int>("sizeLimit");   // the largest file the process may write, 0: none
    QTest::addColumn<RecoveryWriteProblem>("problem");
    QTest::newRow("a file where the folder should be")
        << u"verselet"_s << 0 << RecoveryWriteProblem::NotAFolder;
    QTest::newRow("the disk fills") << QString() << 64 << RecoveryWriteProblem::NoSpace;
}

void TestRecoveryFile::aWriteThatFailsSaysWhy()
{
    QFETCH(QString, blocked);
    QFETCH(int, sizeLimit);
    QFETCH(RecoveryWriteProblem, problem);
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"verselet/recovery"_s);
    const QString path = folder + u"/lyrics.recovery"_s;
    if (blocked.isEmpty()) {
        QDir().mkpath(folder);
        writeBytes(path, "the last write");
    } else {
        writeBytes(dir.filePath(blocked), "in the way");
    }

    std::optional<FileSizeLimit> limit;
    if (sizeLimit > 0)
        limit.emplace(sizeLimit);
    const auto written = WriteRecoveryFile(path, kLyrics, kUpdated);
    limit.reset();
    QVERIFY(!written.ok());
    QCOMPARE(written.error().problem, problem);
    QCOMPARE(written.error().folder, folder);
    // What was there stays, and nothing half-written is left beside it.
    if (blocked.isEmpty())
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"lyrics.recovery"_s});
    QCOMPARE(readBytes(blocked.isEmpty() ? path : dir.filePath(blocked)),
             QByteArray(blocked.isEmpty() ? "the last write" : "in the way"));
}

void TestRecoveryFile::whatIsNoRegularFileIsNotReadAndIsSetAside_data()
{
    QTest::addColumn<QString>("standing"); // "link", "dangling link" or "folder"
    QTest::newRow("a link to a good recovery file") << u"link"_s;
    QTest::newRow("a link to nothing") << u"dangling link"_s;
    QTest::newRow("a folder") << u"folder"_s;
}

void TestRecoveryFile::whatIsNoRegularFileIsNotReadAndIsSetAside()
{
    QFETCH(QString, standing);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lyrics.recovery"_s);
    const QString target = dir.filePath(u"elsewhere.recovery"_s);
    if (standing == u"folder"_s)
        QVERIFY(QDir().mkpath(path));
    else
        QVERIFY(QFile::link(target, path));
    if (standing == u"link"_s)
        QVERIFY(WriteRecoveryFile(target, kLyrics, kUpdated).ok());
    const QByteArray before = readBytes(target);

    QCOMPARE(ReadRecoveryFile(path).kind, RecoveryFound::Damaged);
    const QString aside = SetRecoveryFileAside(path, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    QCOMPARE(aside, path + u".damaged-20260102-030405"_s);
    QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), false);
    QCOMPARE(QFileInfo(aside).isSymLink(), standing != u"folder"_s);
    QCOMPARE(readBytes(target), before);
}

QTEST_APPLESS_MAIN(TestRecoveryFile)
#include "tst_recoveryfile.moc"
