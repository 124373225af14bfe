#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include "installtree.h"
#include "testfiles.h"

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace installtree;

namespace {

// The version the About window shows as "Ver 1.03".
const QString kVersion = u"1.0.3"_s;
const QString kSummary = u"editor for timed lyrics texts, in Japanese and English"_s;
// What the package depends on beside the libraries it links
// (cmake/packaging.cmake).
const QStringList kRuntimeDepends{u"fonts-noto-cjk"_s, u"xdg-utils"_s, u"qt6-translations-l10n"_s};

QString tool(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

// The package names of a Depends field, without versions and alternatives.
QStringList dependencyNames(const QString& field)
{
    static const QRegularExpression name(u"^\\s*([a-z0-9][a-z0-9+.-]+)"_s);
    QStringList names;
    for (const QString& entry : field.split(u',', Qt::SkipEmptyParts)) {
        for (const QString& alternative : entry.split(u'|')) {
            const QRegularExpressionMatch m = name.match(alternative);
            if (m.hasMatch())
                names.append(m.captured(1));
        }
    }
    return names;
}

// The English paragraphs of the AppStream description, white space made single.
QStringList appstreamParagraphs(const QString& metainfo)
{
    QXmlStreamReader xml(readBytes(metainfo));
    QStringList paragraphs;
    bool inDescription = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"description")
            inDescription = true;
        else if (xml.isEndElement() && xml.name() == u"description")
            inDescription = false;
        else if (inDescription && xml.isStartElement() && xml.name() == u"p" &&
                 !xml.attributes().hasAttribute(u"xml:lang"_s))
            paragraphs.append(xml.readElementText().simplified());
    }
    return paragraphs;
}

// The section names of an ELF file, as readelf lists them.
QStringList elfSections(const QString& file)
{
    const Run sections = run(tool(u"readelf"_s), {u"-S"_s, u"-W"_s, file});
    static const QRegularExpression name(u"^\\s*\\[\\s*\\d+\\]\\s+(\\S+)"_s,
                                         QRegularExpression::MultilineOption);
    QStringList names;
    for (auto it = name.globalMatch(sections.output); it.hasNext();)
        names.append(it.next().captured(1));
    return names;
}

// Waits until `done` holds, up to timeoutMs; whether it did. A program that
// never does what is waited for costs the timeout once (QTRY_* waits twice
// as long again to tell how late it was).
template <typename Predicate> bool waitUntil(Predicate done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The program from the unpacked package, started in a home of its own and
// ended (SIGTERM, then SIGKILL) when this goes.
struct PackagedProgram
{
    QTemporaryDir home;
    QProcess process;

    QString cachePath(const QString& relative) const
    {
        return home.filePath(u"cache/"_s + relative);
    }

    void start(const QString& program, const QStringList& arguments,
               const QList<std::pair<QString, QString>>& extraEnvironment = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_RUNTIME_DIR"_s, home.path());
        for (const auto& [name, value] : extraEnvironment)
            env.insert(name, value);
        process.setProcessEnvironment(env);
        process.start(program, arguments);
    }

    ~PackagedProgram()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace

// The Debian package made by CPack from this build: its name and control
// fields, what it holds, and the program run from the unpacked package.
class TestPackage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void fileNameCarriesVersionAndArchitecture();
    void controlFields_data();
    void controlFields();
    void descriptionIsTheAppStreamText();
    void dependsCoversLinkedLibrariesAndRuntimePackages();
    void everyDependencyIsInstalledHere();

    void filesLandInTheirPlaces_data();
    void filesLandInTheirPlaces();
    void packageHoldsNothingElse();
    void entriesBelongToRootWithDebianModes();
    void programIsStripped();
    void copyrightCarriesTheLicence();
    void docsAreGzippedWithoutNameOrTime_data();
    void docsAreGzippedWithoutNameOrTime();

    void programOpensTheFileItIsGiven();
    void programFindsItsDataInThePackage();

private:
    QString field(const QString& name) const;
    QString root(const QString& relative) const { return m_root + u"/usr/"_s + relative; }

    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_architecture;
    QString m_deb;  // the package file
    QString m_root; // where it is unpacked
    // dpkg-deb -c: mode, owner and path of each entry.
    struct Entry
    {
        QString mode;
        QString owner;
        QString path;
    };
    QList<Entry> m_entries;
};

void TestPackage::initTestCase()
{
    for (const QString& name : {u"dpkg-deb"_s, u"dpkg-shlibdeps"_s, u"readelf"_s, u"gzip"_s})
        QVERIFY2(!tool(name).isEmpty(),
                 qPrintable(name + u" is missing: run tools/install-deps.sh"_s));

    const Run architecture = run(tool(u"dpkg"_s), {u"--print-architecture"_s});
    QCOMPARE(architecture.exitCode, 0);
    m_architecture = architecture.output.trimmed();

    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    const QString out = m_scratch->filePath(u"out"_s);
    const Run cpack = run(QStringLiteral(CPACK_COMMAND_PATH),
                          {u"-G"_s, u"DEB"_s, u"-B"_s, out, u"--config"_s,
                           QStringLiteral(BUILD_DIR) + u"/CPackConfig.cmake"_s});
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));

    const QStringList debs = QDir(out).entryList({u"*.deb"_s}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    m_deb = out + u'/' + debs.constFirst();

    m_root = m_scratch->filePath(u"root"_s);
    const Run unpack = run(tool(u"dpkg-deb"_s), {u"-x"_s, m_deb, m_root});
    QVERIFY2(unpack.exitCode == 0, qPrintable(unpack.output));

    const Run contents = run(tool(u"dpkg-deb"_s), {u"-c"_s, m_deb});
    QVERIFY2(contents.exitCode == 0, qPrintable(contents.output));
    static const QRegularExpression entry(u"^(\\S+) (\\S+)\\s+\\d+ \\S+ \\S+ (.+)$"_s);
    for (const QString& line : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = entry.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        m_entries.append({m.captured(1), m.captured(2), m.captured(3)});
    }
}

QString TestPackage::field(const QString& name) const
{
    const Run value = run(tool(u"dpkg-deb"_s), {u"-f"_s, m_deb, name});
    return value.exitCode == 0 ? value.output.chopped(value.output.endsWith(u'\n') ? 1 : 0)
                               : u"<dpkg-deb -f failed: "_s + value.output + u'>';
}

void TestPackage::fileNameCarriesVersionAndArchitecture()
{
    QCOMPARE(m_architecture, u"amd64"_s);
    QCOMPARE(QFileInfo(m_deb).fileName(), u"verselet_%1_%2.deb"_s.arg(kVersion, m_architecture));
}

void TestPackage::controlFields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("package") << u"Package"_s << u"verselet"_s;
    QTest::newRow("version") << u"Version"_s << kVersion;
    QTest::newRow("architecture") << u"Architecture"_s << u"amd64"_s;
    QTest::newRow("section") << u"Section"_s << u"sound"_s;
    QTest::newRow("priority") << u"Priority"_s << u"optional"_s;
    QTest::newRow("maintainer") << u"Maintainer"_s
                                << u"Verselet developers <verselet@example.org>"_s;
    QTest::newRow("recommends") << u"Recommends"_s << u"libmecab2, mecab-ipadic-utf8"_s;
}

void TestPackage::controlFields()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(field(name), value);
}

void TestPackage::descriptionIsTheAppStreamText()
{
    const QStringList lines = field(u"Description"_s).split(u'\n');
    QVERIFY(lines.size() > 2);
    QCOMPARE(lines.constFirst(), kSummary);

    // The long description: lines that start with a space, " ." between
    // paragraphs, none longer than 80 columns.
    QStringList paragraphs{QString()};
    for (const QString& line : lines.mid(1)) {
        QVERIFY2(line.startsWith(u' ') && line.size() <= 80, qPrintable(line));
        if (line == u" ."_s)
            paragraphs.append(QString());
        else
            paragraphs.last() = (paragraphs.last() + line).simplified();
    }
    QCOMPARE(paragraphs,
             appstreamParagraphs(QStringLiteral(SOURCE_DATA_DIR) + u"/verselet.metainfo.xml"_s));
    QCOMPARE(paragraphs.size(), 3);
}

void TestPackage::dependsCoversLinkedLibrariesAndRuntimePackages()
{
    const QStringList depends = dependencyNames(field(u"Depends"_s));
    for (const QString& name : kRuntimeDepends)
        QCOMPARE(depends.count(name), 1);

    // Each library the program links by name comes from a package that
    // Depends names: dpkg-shlibdeps has seen them all.
    const QString program = root(u"bin/verselet"_s);
    const Run dynamic = run(tool(u"readelf"_s), {u"-d"_s, program});
    QCOMPARE(dynamic.exitCode, 0);
    static const QRegularExpression needed(u"\\(NEEDED\\)\\s+Shared library: \\[([^\\]]+)\\]"_s);
    QStringList sonames;
    for (auto it = needed.globalMatch(dynamic.output); it.hasNext();)
        sonames.append(it.next().captured(1));
    for (const QString& soname : {u"libQt6Widgets.so.6"_s, u"libQt6Multimedia.so.6"_s,
                                  u"libQt6Core.so.6"_s, u"libc.so.6"_s})
        QVERIFY2(sonames.contains(soname), qPrintable(sonames.join(u' ')));
    // MeCab is opened when readings are first asked for, and only recommended.
    QVERIFY2(!sonames.join(u' ').contains(u"libmecab"_s), qPrintable(sonames.join(u' ')));

    const Run ldd = run(tool(u"ldd"_s), {program});
    QCOMPARE(ldd.exitCode, 0);
    for (const QString& soname : sonames) {
        // "soname => path (address)", or "path (address)" for the loader.
        const QString escaped = QRegularExpression::escape(soname);
        const QRegularExpression resolved(u"^\\s*(?:"_s + escaped + u" => (\\S+)|(\\S*/"_s +
                                              escaped + u") )"_s,
                                          QRegularExpression::MultilineOption);
        const QRegularExpressionMatch m = resolved.match(ldd.output);
        const QString path = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
        QVERIFY2(!path.isEmpty(), qPrintable(soname + u" not found by ldd"_s));
        // dpkg knows a file by the path its package gives it, with or
        // without the /usr that merged /usr puts in front.
        QString owner;
        for (const QString& candidate :
             {path, QFileInfo(path).canonicalFilePath(),
              path.startsWith(u"/usr/"_s) ? path.mid(4) : u"/usr"_s + path}) {
            const Run search = run(tool(u"dpkg"_s), {u"-S"_s, candidate});
            if (search.exitCode == 0) {
                owner = search.output.section(u':', 0, 0);
                break;
            }
        }
        QVERIFY2(!owner.isEmpty(), qPrintable(u"no package holds "_s + path));
        QVERIFY2(depends.contains(owner), qPrintable(soname + u" is in "_s + owner));
    }
}

void TestPackage::everyDependencyIsInstalledHere()
{
    const QStringList depends = dependencyNames(field(u"Depends"_s));
    QVERIFY(depends.size() > kRuntimeDepends.size());
    QStringList notInstalled;
    for (const QString& name : depends) {
        const Run status = run(tool(u"dpkg-query"_s), {u"-W"_s, u"-f=${Status}"_s, name});
        if (status.output != u"install ok installed"_s)
            notInstalled.append(name);
    }
    QCOMPARE(notInstalled, QStringList());
}

void TestPackage::filesLandInTheirPlaces_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sameAs"); // the file it is a copy of; empty: none to compare

    for (const InstalledFile& file :
         installedFiles(QStringLiteral(SOURCE_DATA_DIR), QStringLiteral(BUILD_DIR)))
        QTest::newRow(qPrintable(file.name)) << file.path << file.sameAs;
    const QString help = QStringLiteral(BUILD_DIR) + u"/data/help"_s;
    for (const QString& name : QDir(help).entryList(QDir::Files))
        QTest::newRow(qPrintable(u"help "_s + name))
            << u"share/verselet/help/"_s + name << help + u'/' + name;
}

void TestPackage::filesLandInTheirPlaces()
{
    QFETCH(QString, file);
    QFETCH(QString, sameAs);
    const QFileInfo info(root(file));
    QVERIFY2(info.isFile(), qPrintable(info.filePath()));
    QVERIFY(info.size() > 0);
    if (!sameAs.isEmpty())
        QCOMPARE(readBytes(info.filePath()), readBytes(sameAs));
    else
        QVERIFY(info.isExecutable());
}

void TestPackage::packageHoldsNothingElse()
{
    QStringList expected;
    for (const InstalledFile& file :
         installedFiles(QStringLiteral(SOURCE_DATA_DIR), QStringLiteral(BUILD_DIR)))
        expected.append(u"./usr/"_s + file.path);
    for (const QString& name :
         QDir(QStringLiteral(BUILD_DIR) + u"/data/help"_s).entryList(QDir::Files))
        expected.append(u"./usr/share/verselet/help/"_s + name);
    QStringList files;
    for (const Entry& entry : std::as_const(m_entries)) {
        if (!entry.mode.startsWith(u'd'))
            files.append(entry.path);
    }
    expected.sort();
    files.sort();
    QCOMPARE(files, expected);
}

void TestPackage::entriesBelongToRootWithDebianModes()
{
    QVERIFY(!m_entries.isEmpty());
    for (const Entry& entry : std::as_const(m_entries)) {
        QVERIFY2(entry.path == u"./"_s || entry.path.startsWith(u"./usr/"_s),
                 qPrintable(entry.path));
        QCOMPARE(entry.owner, u"root/root"_s);
        const QString mode = entry.path.endsWith(u'/')               ? u"drwxr-xr-x"_s
                             : entry.path == u"./usr/bin/verselet"_s ? u"-rwxr-xr-x"_s
                                                                     : u"-rw-r--r--"_s;
        QVERIFY2(entry.mode == mode, qPrintable(entry.mode + u' ' + entry.path));
    }
}

void TestPackage::programIsStripped()
{
    // The build keeps its debug information, the package does not.
    QVERIFY(elfSections(QStringLiteral(BUILT_PROGRAM)).contains(u".debug_info"_s));
    const QStringList sections = elfSections(root(u"bin/verselet"_s));
    QVERIFY(sections.contains(u".text"_s));
    for (const QString& name : sections)
        QVERIFY2(!name.startsWith(u".debug"_s) && name != u".symtab"_s, qPrintable(name));
}

void TestPackage::copyrightCarriesTheLicence()
{
    const QString copyright = QString::fromUtf8(readBytes(root(u"share/doc/verselet/copyright"_s)));
    QVERIFY(copyright.startsWith(
        u"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"_s));
    const QStringList paragraphs = copyright.split(u"\n\n"_s);
    QVERIFY(paragraphs.contains(
        u"Files: *\nCopyright: 2026 The Verselet developers\nLicense: Expat"_s));

    // The stand-alone licence paragraph, its lines unindented and " ." as
    // empty lines, is the licence text of LICENSE.
    const auto standAlone =
        std::find_if(paragraphs.cbegin(), paragraphs.cend(),
                     [](const QString& p) { return p.startsWith(u"License: Expat\n "_s); });
    QVERIFY(standAlone != paragraphs.cend());
    QStringList lines;
    for (const QString& line : standAlone->split(u'\n', Qt::SkipEmptyParts).mid(1)) {
        QVERIFY2(line.startsWith(u' '), qPrintable(line));
        lines.append(line == u" ."_s ? QString() : line.mid(1));
    }
    const QString licence =
        QString::fromUtf8(readBytes(QStringLiteral(SOURCE_DIR) + u"/LICENSE"_s));
    const qsizetype permission = licence.indexOf(u"Permission is hereby granted"_s);
    QVERIFY(permission > 0);
    QVERIFY(licence.left(permission).contains(u"Copyright (c) 2026 The Verselet developers\n"_s));
    QCOMPARE(lines.join(u'\n') + u'\n', licence.mid(permission));
}

void TestPackage::docsAreGzippedWithoutNameOrTime_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("source");
    QTest::newRow("manual page") << u"share/man/man1/verselet.1.gz"_s << u"verselet.1"_s;
    QTest::newRow("changelog") << u"share/doc/verselet/changelog.gz"_s << u"changelog"_s;
}

void TestPackage::docsAreGzippedWithoutNameOrTime()
{
    QFETCH(QString, file);
    QFETCH(QString, source);
    const QByteArray bytes = readBytes(root(file));
    QVERIFY(bytes.size() > 10);
    QCOMPARE(bytes.left(3), QByteArray("\x1f\x8b\x08"));
    QCOMPARE(int(bytes[3]), 0);                     // no name, no comment
    QCOMPARE(bytes.mid(4, 4), QByteArray(4, '\0')); // no time

    QProcess gunzip;
    gunzip.start(tool(u"gzip"_s), {u"-dc"_s, root(file)});
    QVERIFY(gunzip.waitForFinished());
    QCOMPARE(gunzip.exitCode(), 0);
    QCOMPARE(gunzip.readAllStandardOutput(),
             readBytes(QStringLiteral(SOURCE_DATA_DIR) + u'/' + source));
}

void TestPackage::programOpensTheFileItIsGiven()
{
    PackagedProgram program;
    program.process.setProcessChannelMode(QProcess::MergedChannels);
    const QString lyrics = program.home.filePath(u"lyrics.txt"_s);
    writeBytes(lyrics, "title\r\n[00:00]intro\r\n\r\n------------------------------------------\r\n"
                       "[00:05]one\r\n[--:--]two\r\n-----------------------------------\r\n");
    program.start(root(u"bin/verselet"_s), {lyrics});
    QVERIFY2(program.process.waitForStarted(), qPrintable(program.process.errorString()));

    // Opening the file writes its tags into the work folder's tag file: the
    // two separators and the two lines between them, then the rest of the
    // template.
    QByteArray expected("-------\r\n[00:05]\r\n[--:--]\r\n-------\r\n");
    for (int i = 0; i < 224; ++i)
        expected += "[--:--]\r\n";
    const QString tags = program.cachePath(u"verselet/temp/zem/left.tmp"_s);
    waitUntil(
        [&] {
            return readBytes(tags) == expected || program.process.state() == QProcess::NotRunning;
        },
        20000);
    QVERIFY2(program.process.state() == QProcess::Running,
             qPrintable(QString::fromUtf8(program.process.readAll())));
    QCOMPARE(readBytes(tags), expected);
}

void TestPackage::programFindsItsDataInThePackage()
{
    PackagedProgram program;
    program.process.setReadChannel(QProcess::StandardError);
    program.start(root(u"bin/verselet"_s), {},
                  {{u"QT_LOGGING_RULES"_s, u"verselet.data.debug=true"_s}});
    QVERIFY2(program.process.waitForStarted(), qPrintable(program.process.errorString()));

    QString log;
    static const QRegularExpression help(u"^verselet\\.data: help (.+)$"_s,
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression demo(u"^verselet\\.data: demo disc (.+)$"_s,
                                         QRegularExpression::MultilineOption);
    const auto told = [&] {
        log += QString::fromUtf8(program.process.readAllStandardError());
        return (help.match(log).hasMatch() && demo.match(log).hasMatch()) ||
               program.process.state() == QProcess::NotRunning;
    };
    waitUntil(told, 20000);
    QVERIFY2(help.match(log).hasMatch() && demo.match(log).hasMatch(),
             qPrintable(u"no data places told: "_s + log));

    // Both lie in the unpacked package, never in the build tree: the help
    // document or its folder, and the demo disc's cue sheet or its folder.
    const QString share = QFileInfo(root(u"share/verselet"_s)).canonicalFilePath();
    const QString helpPath = QFileInfo(help.match(log).captured(1)).canonicalFilePath();
    const QString demoPath = QFileInfo(demo.match(log).captured(1)).canonicalFilePath();
    QVERIFY2(helpPath == share + u"/help/index.html"_s || helpPath == share + u"/help"_s,
             qPrintable(log));
    QVERIFY2(demoPath == share + u"/demo/verselet-demo.cue"_s || demoPath == share + u"/demo"_s,
             qPrintable(log));
    const QString build = QDir(QStringLiteral(BUILD_DIR)).canonicalPath();
    QVERIFY(!helpPath.startsWith(build) && !demoPath.startsWith(build));
    QVERIFY2(program.process.state() == QProcess::Running, qPrintable(log));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
