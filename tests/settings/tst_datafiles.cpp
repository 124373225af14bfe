#include "settings/datafiles.h"
#include "settings/drivelist.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

// Where the help document and the demo disc are found, as a function of the
// folder the executable lies in.
class TestDataFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void installedProgramFindsItsShareFolder();
    void aFileBesideTheProgramComesFirst();
    void onlyAProgramInTheBuildTreeLooksThere();
    void aFolderOfTheSameNameIsNoFile();
    void nothingAnywhereGivesTheFirstPlace();

private:
    QString prefix() const { return m_dir->path() + u"/usr"_s; }
    QString bin() const { return prefix() + u"/bin"_s; }
    QString make(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("x");
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDataFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(bin()));
}

void TestDataFiles::cleanup()
{
    m_dir.reset();
}

void TestDataFiles::installedProgramFindsItsShareFolder()
{
    const QString help = make(prefix() + u"/share/verselet/help/index.html"_s);
    const QString demo = make(prefix() + u"/share/verselet/demo/verselet-demo.cue"_s);

    QCOMPARE(HelpFilePath(bin()), help);
    QCOMPARE(DemoDiscPath(bin()), demo);
    // However the folder of the program is spelled.
    QCOMPARE(HelpFilePath(bin() + u"/"_s), help);
    QCOMPARE(HelpFilePath(prefix() + u"/share/../bin"_s), help);
}

void TestDataFiles::aFileBesideTheProgramComesFirst()
{
    make(prefix() + u"/share/verselet/help/index.html"_s);
    make(prefix() + u"/share/verselet/demo/verselet-demo.cue"_s);
    const QString help = make(bin() + u"/data/help/index.html"_s);
    const QString demo = make(bin() + u"/data/demo/verselet-demo.cue"_s);

    QCOMPARE(HelpFilePath(bin()), help);
    QCOMPARE(DemoDiscPath(bin()), demo);
}

void TestDataFiles::onlyAProgramInTheBuildTreeLooksThere()
{
    // The build has made both in its data folder. A program in a subfolder of
    // the build tree with neither beside it (a test, a tool) takes those.
    const QString built = QStringLiteral(BUILD_DATA_DIR);
    const QString buildTree = QFileInfo(built).path();
    QVERIFY(QFileInfo(built + u"/help/index.html"_s).isFile());
    for (const QString& inside :
         {buildTree, buildTree + u"/tests/help"_s, buildTree + u"/x/../tools"_s}) {
        QVERIFY(IsInBuildTree(inside));
        QCOMPARE(HelpFilePath(inside), built + u"/help/index.html"_s);
        QCOMPARE(DemoDiscPath(inside), built + u"/demo/verselet-demo.cue"_s);
    }
    // An installed program never does, even when its own data is missing: it
    // names the place where the file belongs. Nor does a folder that only
    // begins like the build tree.
    for (const QString& outside : {bin(), buildTree + u"-other/bin"_s, buildTree + u"/../bin"_s}) {
        QVERIFY2(!IsInBuildTree(outside), qPrintable(outside));
        QVERIFY(!DataFileCandidates(u"help/index.html"_s, outside).join(u'|').contains(built));
    }
    QCOMPARE(HelpFilePath(bin()), prefix() + u"/bin/data/help/index.html"_s);
}

void TestDataFiles::aFolderOfTheSameNameIsNoFile()
{
    QVERIFY(QDir().mkpath(bin() + u"/data/help/index.html"_s));
    const QString help = make(prefix() + u"/share/verselet/help/index.html"_s);
    QCOMPARE(HelpFilePath(bin()), help);
}

void TestDataFiles::nothingAnywhereGivesTheFirstPlace()
{
    QCOMPARE(FindDataFile(u"help/nothing.html"_s, bin()), bin() + u"/data/help/nothing.html"_s);
    QCOMPARE(
        DataFileCandidates(u"demo/x.cue"_s, bin()),
        (QStringList{bin() + u"/data/demo/x.cue"_s, prefix() + u"/share/verselet/demo/x.cue"_s}));
}

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
