#include "shell/editorlayout.h"
#include "shell/startup.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;

// Run as "--hold-lock PATH": takes the lock and dies without releasing it, the
// way a crashed run leaves it.
static int holdLockAndDie(const QString& path)
{
    QLockFile lock(path);
    if (!lock.tryLock(0))
        return 3;
    _exit(0);
}

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resizeRule_data();
    void resizeRule();
    void tempRootIsOwnerOnly();
    void runningCopyHoldsTheLock();
    void lockOfACrashedRunIsTakenOver();
};

void TestStartup::resizeRule_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<int>("text1Width");
    QTest::addColumn<int>("text1Height");
    QTest::addColumn<int>("text2Width");
    QTest::addColumn<int>("outerHeight");
    // -1: not assigned
    QTest::newRow("initial window") << QSize(550, 422) << 542 << 242 << 542 << -1;
    QTest::newRow("large") << QSize(1200, 900) << 1192 << 720 << 1192 << -1;
    QTest::newRow("at the minimum height the body is 1605 twips")
        << QSize(550, 287) << 542 << 107 << 542 << -1;
    QTest::newRow("lower than the minimum") << QSize(550, 200) << 542 << 20 << 542 << 287;
    QTest::newRow("too low for the body: its width only")
        << QSize(550, 100) << 542 << -1 << -1 << 287;
    QTest::newRow("narrower than 120 twips keeps every size")
        << QSize(7, 500) << -1 << -1 << -1 << -1;
    QTest::newRow("exactly 120 twips wide") << QSize(8, 500) << 0 << 320 << 0 << -1;
}

void TestStartup::resizeRule()
{
    QFETCH(QSize, outer);
    QFETCH(int, text1Width);
    QFETCH(int, text1Height);
    QFETCH(int, text2Width);
    QFETCH(int, outerHeight);
    const EditorResize r = FormResize(outer);
    QCOMPARE(r.text1Width.value_or(-1), text1Width);
    QCOMPARE(r.text1Height.value_or(-1), text1Height);
    QCOMPARE(r.text2Width.value_or(-1), text2Width);
    QCOMPARE(r.outerHeight.value_or(-1), outerHeight);
}

void TestStartup::tempRootIsOwnerOnly()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u"/cache/verselet/temp"_s;
    QVERIFY(EnsureTempRoot(WorkFolder(root)));
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                        QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QCOMPARE(QFileInfo(root).permissions() & (owner | others), owner);

    // A folder that exists already is made owner-only too.
    QFile::setPermissions(root, owner | QFileDevice::ReadOther | QFileDevice::ExeOther);
    QVERIFY(EnsureTempRoot(WorkFolder(root)));
    QCOMPARE(QFileInfo(root).permissions() & (owner | others), owner);

    // A file in its place cannot be one.
    const QString blocked = dir.path() + u"/blocked"_s;
    QFile f(blocked);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(!EnsureTempRoot(WorkFolder(blocked)));
}

void TestStartup::runningCopyHoldsTheLock()
{
    QTemporaryDir dir;
    InstanceLock first(dir.path());
    QCOMPARE(first.tryLock(), InstanceLock::Outcome::Locked);
    QCOMPARE(first.path(), dir.path() + u"/verselet.lock"_s);
    InstanceLock second(dir.path());
    QCOMPARE(second.tryLock(), InstanceLock::Outcome::HeldByAnother);

    // A cache folder that cannot be made is no other copy.
    QFile blocker(dir.path() + u"/file"_s);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    InstanceLock nowhere(dir.path() + u"/file/verselet"_s);
    QCOMPARE(nowhere.tryLock(), InstanceLock::Outcome::Unavailable);
}

void TestStartup::lockOfACrashedRunIsTakenOver()
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/verselet.lock"_s;
    QProcess crashed;
    crashed.start(QCoreApplication::applicationFilePath(), {u"--hold-lock"_s, path});
    QVERIFY(crashed.waitForFinished(10000));
    QCOMPARE(crashed.exitCode(), 0);
    QVERIFY(QFile::exists(path));

    InstanceLock lock(dir.path());
    QCOMPARE(lock.tryLock(), InstanceLock::Outcome::Locked);
}

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLockAndDie(QString::fromLocal8Bit(argv[2]));
    QCoreApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_startup.moc"
