#include "document/lyricsdocument.h"
#include "document/lyricsloader.h"
#include "shell/recoveryfile.h"
#include "shell/recoverykeeper.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "testfiles.h"
#include "timedrows.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

class TestRecoveryKeeper final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneWriteAfterTheLastChange();
    void typingThatNeverPausesIsKeptAsItGoes();
    void aFailingWriteIsToldOnceUntilOneSucceeds();
    void theFileIsTheOwnersAloneAndNoLinkIsFollowed();
    void theFileFollowsWhetherWorkIsUnsaved_data();
    void theFileFollowsWhetherWorkIsUnsaved();
};

void TestRecoveryKeeper::oneWriteAfterTheLastChange()
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/recovery/lyrics.recovery"_s;
    LyricsDocument document;
    RecoveryKeeper keeper(document, path);
    keeper.setDelay(300ms);
    QSignalSpy written(&keeper, &RecoveryKeeper::written);
    for (const QString& body : {u"a"_s, u"ab"_s, u"abc"_s})
        document.setBodyText(body);
    document.setHeaderText(u"題"_s);
    QTest::qWait(100);
    QVERIFY(keeper.isWaiting());
    QVERIFY(!QFile::exists(path));

    QVERIFY(written.wait(5000));
    QTest::qWait(400);
    QCOMPARE(written.size(), 1);
    QCOMPARE(written.at(0).at(0).toBool(), true);
    const RecoveryFound found = ReadRecoveryFile(path);
    QCOMPARE(found.kind, RecoveryFound::Readable);
    QCOMPARE(found.recovered.lyrics, document.snapshot());
    QCOMPARE(found.recovered.lyrics.bodyText, u"abc"_s);
    // The folder holds the user's lyrics: nobody else may look in.
    QCOMPARE(QFile::permissions(dir.path() + u"/recovery"_s) &
                 (QFileDevice::ReadOther | QFileDevice::ReadGroup),
             QFileDevice::Permissions());
}

void TestRecoveryKeeper::typingThatNeverPausesIsKeptAsItGoes()
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/lyrics.recovery"_s;
    LyricsDocument document;
    RecoveryKeeper keeper(document, path);
    keeper.setDelay(300ms);
    QSignalSpy written(&keeper, &RecoveryKeeper::written);
    // A key every 50 ms, never a pause of 300 ms: still a write, while typing.
    QElapsedTimer typing;
    typing.start();
    QString typed;
    while (written.isEmpty() && typing.elapsed() < 5000) {
        document.setBodyText(typed += u'a');
        QTest::qWait(50);
    }
    QCOMPARE(written.size(), 1);
    const QString kept = ReadRecoveryFile(path).recovered.lyrics.bodyText;
    QVERIFY(!kept.isEmpty() && typed.startsWith(kept));
}

void TestRecoveryKeeper::aFailingWriteIsToldOnceUntilOneSucceeds()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u"/recovery"_s;
    LyricsDocument document;
    RecoveryKeeper keeper(document, folder + u"/lyrics.recovery"_s);
    keeper.setDelay(10ms);
    QSignalSpy written(&keeper, &RecoveryKeeper::written);
    QSignalSpy failing(&keeper, &RecoveryKeeper::failing);
    QSignalSpy resumed(&keeper, &RecoveryKeeper::resumed);
    // A write with a file in the folder's place, or none; then how often the
    // keeper said writes fail, and that they work again.
    for (const auto& [blocked, failures, resumes] :
         {std::tuple{true, 1, 0}, {true, 1, 0}, {false, 1, 1}, {true, 2, 1}}) {
        QFile::remove(folder);
        QDir(folder).removeRecursively();
        if (blocked)
            testfiles::writeBytes(folder, "in the way");
        document.setBodyText(document.bodyText() + u'a');
        QVERIFY(written.wait(5000));
        QCOMPARE(failing.size(), failures);
        QCOMPARE(resumed.size(), resumes);
        QCOMPARE(keeper.isFailing(), blocked);
    }
}

void TestRecoveryKeeper::theFileIsTheOwnersAloneAndNoLinkIsFollowed()
{
    // A folder open to everyone, and a link to another file where the
    // recovery file goes: read, it is damaged; written, it is replaced.
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"recovery"_s);
    const QString path = folder + u"/lyrics.recovery"_s;
    const LyricsSnapshot lyrics{u"題"_s, {}, u"一行目"_s, {u"[00:01]"_s}, {1000}, u"f.txt"_s, {}};
    const QString other = dir.filePath(u"other.recovery"_s);
    const QByteArray others = FormatRecovery(lyrics, QDateTime(QDate(2020, 1, 2), QTime(3, 4)));
    testfiles::writeBytes(other, others);
    QVERIFY(QDir().mkpath(folder) &&
            QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
    QVERIFY(QFile::link(other, path));
    QCOMPARE(ReadRecoveryFile(path).kind, RecoveryFound::Damaged);

    QVERIFY(WriteRecoveryFile(path, lyrics, QDateTime::currentDateTimeUtc()).ok());
    struct stat file = {};
    QCOMPARE(::lstat(QFile::encodeName(path).constData(), &file), 0);
    QVERIFY(S_ISREG(file.st_mode));
    QCOMPARE(file.st_mode & 07777, mode_t(0600));
    QCOMPARE(ReadRecoveryFile(path).recovered.lyrics, lyrics);
    QCOMPARE(testfiles::readBytes(other), others);
}

enum class Then
{
    Save,
    New,
    Open,
    TypeBack,
    Discard,
    KeepTags,
    Restore
};

void TestRecoveryKeeper::theFileFollowsWhetherWorkIsUnsaved_data()
{
    QTest::addColumn<Then>("then");
    QTest::addColumn<bool>("fileAfter");
    QTest::newRow("saved as a finished text") << Then::Save << false;
    QTest::newRow("replaced by New") << Then::New << false;
    QTest::newRow("replaced by an open") << Then::Open << false;
    QTest::newRow("typed back to what was saved") << Then::TypeBack << false;
    QTest::newRow("a normal end") << Then::Discard << false;
    QTest::newRow("tags kept by a real-time input") << Then::KeepTags << true;
    QTest::newRow("restored from a snapshot") << Then::Restore << true;
}

void TestRecoveryKeeper::theFileFollowsWhetherWorkIsUnsaved()
{
    QFETCH(Then, then);
    QFETCH(bool, fileAfter);
    QTemporaryDir dir;
    const QString path = dir.path() + u"/lyrics.recovery"_s;
    LyricsDocument document;
    RecoveryKeeper keeper(document, path);
    keeper.setDelay(50ms);
    QSignalSpy written(&keeper, &RecoveryKeeper::written);
    const QString saved = document.bodyText();
    document.setBodyText(saved + u"\r\n新しい行"_s);
    QVERIFY(written.wait(5000));
    QVERIFY(QFile::exists(path));

    switch (then) {
    case Then::Save:
        document.markSaved();
        break;
    case Then::New:
        document.clear();
        break;
    case Then::Open:
        document.load(LoadLyricsText(u"一行"_s));
        break;
    case Then::TypeBack:
        document.setBodyText(saved);
        break;
    case Then::Discard:
        keeper.discard();
        document.setBodyText(u"after the end"_s); // keeps nothing more
        break;
    case Then::KeepTags:
        document.keepTags(TimedRows({u"[00:01]"_s}, {1234}));
        break;
    case Then::Restore:
        document.restore({u"h"_s, {}, u"b"_s, {}, {}, u"f.txt"_s, {}});
        break;
    }
    QTest::qWait(200);
    keeper.waitForDisk();
    QCOMPARE(QFile::exists(path), fileAfter);
    if (fileAfter)
        QCOMPARE(ReadRecoveryFile(path).recovered.lyrics, document.snapshot());
}

QTEST_GUILESS_MAIN(TestRecoveryKeeper)
#include "tst_recoverykeeper.moc"
