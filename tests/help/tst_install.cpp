#include "settings/datafiles.h"
#include "settings/drivelist.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "installtree.h"
#include "testfiles.h"

#include <memory>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace installtree;

// `cmake --install` of this build into a fresh prefix, and the program run
// from there.
class TestInstall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void filesLandInTheirPlaces_data();
    void filesLandInTheirPlaces();
    void iconsAreDrawnAtTheirSizes();
    void desktopEntryIsValid();
    void metainfoIsValid();
    void dataIsFoundFromTheInstalledBinFolder();
    void installedProgramStartsAndWritesItsWorkFolder();

private:
    QString installed(const QString& relative) const { return m_prefix->path() + u'/' + relative; }

    std::unique_ptr<QTemporaryDir> m_prefix;
};

void TestInstall::initTestCase()
{
    m_prefix = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefix->isValid());
    const Run install =
        run(QStringLiteral(CMAKE_COMMAND_PATH),
            {u"--install"_s, QStringLiteral(BUILD_DIR), u"--prefix"_s, m_prefix->path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));
}

void TestInstall::filesLandInTheirPlaces_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sameAs"); // the file it is a copy of; empty: none to compare

    const QString data = QStringLiteral(SOURCE_DATA_DIR);
    for (const InstalledFile& file : installedFiles(data, QStringLiteral(BUILD_DIR)))
        QTest::newRow(qPrintable(file.name)) << file.path << file.sameAs;
    QTest::newRow("help") << u"share/verselet/help/index.html"_s << data + u"/help/index.html"_s;
    QTest::newRow("help style") << u"share/verselet/help/style.css"_s
                                << data + u"/help/style.css"_s;
}

void TestInstall::filesLandInTheirPlaces()
{
    QFETCH(QString, file);
    QFETCH(QString, sameAs);
    const QFileInfo info(installed(file));
    QVERIFY2(info.isFile(), qPrintable(info.filePath()));
    QVERIFY(info.size() > 0);
    if (!sameAs.isEmpty())
        QCOMPARE(readBytes(info.filePath()), readBytes(sameAs));
    else
        QVERIFY(info.isExecutable());
}

void TestInstall::iconsAreDrawnAtTheirSizes()
{
    for (const int size : {256, 48}) {
        const QString path = installed(u"share/icons/hicolor/%1x%1/apps/verselet.png"_s.arg(size));
        QCOMPARE(pngSize(readBytes(path)), QSize(size, size));
    }
}

void TestInstall::desktopEntryIsValid()
{
    const QString desktop = installed(u"share/applications/verselet.desktop"_s);
    const QString text = QString::fromUtf8(readBytes(desktop));
    for (const QString& line : {u"Exec=verselet %f"_s, u"Icon=verselet"_s, u"Type=Application"_s,
                                u"Terminal=false"_s, u"Name=Verselet"_s})
        QVERIFY2(text.split(u'\n').contains(line), qPrintable(line));

    const QString validator = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
    const Run check = run(validator, {desktop});
    QVERIFY2(check.exitCode == 0 && check.output.trimmed().isEmpty(), qPrintable(check.output));
}

void TestInstall::metainfoIsValid()
{
    const QString validator = QStandardPaths::findExecutable(u"appstreamcli"_s);
    if (validator.isEmpty())
        QSKIP("appstreamcli is not installed (package appstream)");
    const Run check = run(validator, {u"validate"_s, u"--no-net"_s,
                                      installed(u"share/metainfo/verselet.metainfo.xml"_s)});
    QVERIFY2(check.exitCode == 0, qPrintable(check.output));
}

void TestInstall::dataIsFoundFromTheInstalledBinFolder()
{
    const QString bin = installed(u"bin"_s);
    const QString help = installed(u"share/verselet/help/index.html"_s);
    const QString demo = installed(u"share/verselet/demo/verselet-demo.cue"_s);
    QCOMPARE(HelpFilePath(bin), help);
    QCOMPARE(DemoDiscPath(bin), demo);

    // The same from a program that really runs in that folder.
    const QString probe = bin + u"/datapathprobe"_s;
    QVERIFY(QFile::copy(QStringLiteral(DATA_PATH_PROBE), probe));
    const Run found = run(probe, {});
    QCOMPARE(found.exitCode, 0);
    QCOMPARE(found.output, help + u'\n' + demo + u'\n');

    // With its data gone, an installed program names the place where its data
    // belongs; it never reaches back into the build tree it was made in.
    const QString share = installed(u"share/verselet"_s);
    QVERIFY(QDir().rename(share, share + u".away"_s));
    const Run missing = run(probe, {});
    QDir().rename(share + u".away"_s, share);
    QFile::remove(probe);
    QCOMPARE(missing.exitCode, 0);
    QCOMPARE(missing.output,
             bin + u"/data/help/index.html\n"_s + bin + u"/data/demo/verselet-demo.cue\n"_s);
}

void TestInstall::installedProgramStartsAndWritesItsWorkFolder()
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    env.insert(u"XDG_RUNTIME_DIR"_s, home.path());

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(installed(u"bin/verselet"_s), {});
    QVERIFY2(program.waitForStarted(), qPrintable(program.errorString()));

    // Start-up writes the tag template into the work folder, then the window
    // shows and the program waits for the user.
    const QString tags = home.filePath(u"cache/verselet/temp/zem/left.tmp"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(tags).size() == tagTemplateBytes().size(), 10000);
    QTest::qWait(2000);
    const bool running = program.state() == QProcess::Running;
    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished(5000);
    }
    QVERIFY2(running, qPrintable(QString::fromUtf8(program.readAll())));
    QCOMPARE(readBytes(tags), tagTemplateBytes());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
