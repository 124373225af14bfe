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

#include "testfiles.h"

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
    QVERIFY2(!kept.isEmpty() && typed.startsWith(kept), qPrintable(kept));
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
    // Each step: the folder blocked by a file or not, one change and its
    // write, then how often the keeper said it fails and it works again, and
    // whether it fails now.
    const QList<std::pair<bool, const char*>> steps{
        {true, "1 0 1"}, {true, "1 0 1"}, {false, "1 1 0"}, {true, "2 1 1"}};
    for (const auto& [blocked, told] : steps) {
        QDir(folder).removeRecursively();
        QFile::remove(folder);
        if (blocked)
            testfiles::writeBytes(folder, "in the way");
        document.setBodyText(document.bodyText() + u'a');
        QVERIFY(written.wait(5000));
        const QByteArray seen = QByteArray::number(failing.size()) + ' ' +
                                QByteArray::number(resumed.size()) + ' ' +
                                QByteArray::number(int(keeper.isFailing()));
        QCOMPARE(seen, QByteArray(told));
    }
    QCOMPARE(failing.at(0).at(0).value<RecoveryWriteError>().folder, folder);
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
        document.keepTags({u"[00:01]"_s}, {1234});
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
