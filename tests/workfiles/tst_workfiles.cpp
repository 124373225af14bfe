#include "workfiles/workfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

QList<SelectionRow> rows(std::initializer_list<std::pair<const char16_t*, bool>> list)
{
    QList<SelectionRow> out;
    for (const auto& [text, marked] : list)
        out.append({QString::fromUtf16(text), marked});
    return out;
}

} // namespace

class TestWorkFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathsLiveInTheZemFolder();
    void tagTemplateIsExactly2448Bytes();
    void tagsAfterATimedLoadEndWith224Fillers();
    void snapshotDropsOnlyATrailingLoneCr_data();
    void snapshotDropsOnlyATrailingLoneCr();
    void emptyTextIsRefusedBeforeWriting();
    void textCodePage932CannotHoldIsKeptWhole();
    void tagFileIsReplacedAllOrNothing_data();
    void tagFileIsReplacedAllOrNothing();
    void newDocumentWith300LinesOffers272Rows();
    void pairingStopsAtTheShorterFile_data();
    void pairingStopsAtTheShorterFile();
    void missingFilesGiveNoRows();
    void snapshotIntoAMissingFolderFails();
    void preparingTheWorkFolderDeletesFilesAndLinksOnly();
};

void TestWorkFiles::pathsLiveInTheZemFolder()
{
    QCOMPARE(WorkFolder(u"/home/u/.cache/verselet/temp"_s).path(),
             u"/home/u/.cache/verselet/temp/zem"_s);
    QCOMPARE(WorkFolder(u"/t"_s).tagFile(), u"/t/zem/left.tmp"_s);
    QCOMPARE(WorkFolder(u"/t"_s).textFile(), u"/t/zem/rigth.tmp"_s);
    QCOMPARE(WorkFolder(u"/t"_s).stagingFile(), u"/t/zem/zem.tmp"_s);
}

void TestWorkFiles::tagTemplateIsExactly2448Bytes()
{
    WorkArea area;
    // Whatever was there before is replaced, not appended to.
    writeBytes(area.work.tagFile(), QByteArray(9000, 'x'));
    QVERIFY(WriteTagTemplate(area.work).ok());
    const QByteArray bytes = readBytes(area.work.tagFile());
    QCOMPARE(bytes.size(), 2448);
    QCOMPARE(bytes, tagTemplateBytes());
}

void TestWorkFiles::tagsAfterATimedLoadEndWith224Fillers()
{
    WorkArea area;
    const QStringList bodyTags{u"-------"_s, u"[01:05]"_s, u"abc"_s, QString()};
    QVERIFY(WriteTagFile(area.work, TagsAfterTimedLoad(bodyTags)).ok());
    QByteArray expected("-------\r\n[01:05]\r\nabc\r\n\r\n");
    for (int i = 0; i < 224; ++i)
        expected += "[--:--]\r\n";
    QCOMPARE(readBytes(area.work.tagFile()), expected);
}

void TestWorkFiles::snapshotDropsOnlyATrailingLoneCr_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<SelectionRow>>("rows");
    const QString hyphens(35, u'-');
    QTest::newRow("new document keeps all 35 hyphens") << hyphens << QByteArray(35, '-') + "\r\n"
                                                       << QList<SelectionRow>{{hyphens, false}};
    QTest::newRow("last line without a line break keeps its last character")
        << hyphens + u"\r\nabc"_s << QByteArray(35, '-') + "\r\nabc\r\n"
        << QList<SelectionRow>{{hyphens, false}, {u"abc"_s, true}};
    QTest::newRow("text ending with a line break gives an empty last row")
        << u"-\r\nあ\r\n"_s << QByteArray("-\r\n\x82\xA0\r\n\r\n")
        << rows({{u"-", false}, {u"あ", true}, {u"", true}});
    QTest::newRow("a trailing lone CR is dropped")
        << u"-\r\nabc\r"_s << QByteArray("-\r\nabc\r\n") << rows({{u"-", false}, {u"abc", true}});
    QTest::newRow("one character") << u"x"_s << QByteArray("x\r\n") << rows({{u"x", false}});
}

void TestWorkFiles::snapshotDropsOnlyATrailingLoneCr()
{
    QFETCH(QString, body);
    QFETCH(QByteArray, file);
    QFETCH(QList<SelectionRow>, rows);
    WorkArea area;
    QVERIFY(WriteTagTemplate(area.work).ok());
    const auto listed = PrepareLineSelection(area.work, body);
    QVERIFY(listed.ok());
    QCOMPARE(readBytes(area.work.textFile()), file);
    QCOMPARE(listed.value(), rows);
}

void TestWorkFiles::emptyTextIsRefusedBeforeWriting()
{
    WorkArea area;
    writeBytes(area.work.textFile(), "earlier\r\n");
    const auto listed = PrepareLineSelection(area.work, QString());
    QVERIFY(!listed.ok());
    QCOMPARE(listed.error().kind, FileErrorKind::EmptyText);
    QCOMPARE(listed.error().path, area.work.textFile());
    QCOMPARE(readBytes(area.work.textFile()), QByteArray("earlier\r\n"));
}

void TestWorkFiles::textCodePage932CannotHoldIsKeptWhole()
{
    // An LRC file's lines are timed and written to LRC again, every
    // character kept: the text file holds them as UTF-8 after a byte order
    // mark, which no code page 932 text begins with.
    WorkArea area;
    QVERIFY(WriteTagTemplate(area.work).ok());
    const QString body = u"---\r\nok\r\n笑顔\U0001F600 é♥–한"_s;
    const auto listed = PrepareLineSelection(area.work, body);
    QVERIFY(listed.ok());
    QCOMPARE(listed.value(),
             (QList<SelectionRow>{
                 {u"---"_s, false}, {u"ok"_s, true}, {u"笑顔\U0001F600 é♥–한"_s, true}}));
    QCOMPARE(readBytes(area.work.textFile()), "\xEF\xBB\xBF" + (body + u"\r\n"_s).toUtf8());
    QVERIFY(DecodeCp932("\xEF\xBB\xBF").hadInvalidBytes);
}

void TestWorkFiles::tagFileIsReplacedAllOrNothing_data()
{
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<int>("sizeLimit"); // 0: none
    QTest::addColumn<bool>("hadFile");
    QTest::addColumn<int>("kind"); // -1: written
    QStringList many;
    for (int i = 0; i < 300; ++i)
        many.append(u"[--:--]"_s);
    QTest::newRow("written") << many << 0 << true << -1;
    QTest::newRow("a character it cannot hold")
        << QStringList{u"[00:01]"_s, u"\uD55C"_s} << 0 << true << int(FileErrorKind::Unmappable);
    QTest::newRow("the disk fills part of the way")
        << many << 1024 << true << int(FileErrorKind::Unwritable);
    QTest::newRow("the disk fills, and there was no tag file")
        << many << 1024 << false << int(FileErrorKind::Unwritable);
}

void TestWorkFiles::tagFileIsReplacedAllOrNothing()
{
    QFETCH(QStringList, tags);
    QFETCH(int, sizeLimit);
    QFETCH(bool, hadFile);
    QFETCH(int, kind);
    WorkArea area;
    const QByteArray before("-------\r\n[00:01]\r\n");
    if (hadFile)
        writeBytes(area.work.tagFile(), before);
    std::optional<FileSizeLimit> limit;
    if (sizeLimit > 0)
        limit.emplace(sizeLimit);
    const auto replaced = ReplaceTagFile(area.work, tags);
    limit.reset();
    if (kind < 0) {
        QVERIFY(replaced.ok());
        QCOMPARE(readBytes(area.work.tagFile()).size(), tags.size() * 9);
        return;
    }
    QVERIFY(!replaced.ok());
    QCOMPARE(int(replaced.error().kind), kind);
    // What the tag file held, it holds again; none means none.
    if (hadFile)
        QCOMPARE(readBytes(area.work.tagFile()), before);
    else
        QVERIFY(!QFile::exists(area.work.tagFile()));
}

void TestWorkFiles::newDocumentWith300LinesOffers272Rows()
{
    WorkArea area;
    QVERIFY(WriteTagTemplate(area.work).ok());
    QStringList lines{QString(35, u'-')};
    for (int i = 1; i < 300; ++i)
        lines.append(u"行%1"_s.arg(i));
    const auto listed = PrepareLineSelection(area.work, lines.join(u"\r\n"_s));
    QVERIFY(listed.ok());
    const QList<SelectionRow>& list = listed.value();
    QCOMPARE(list.size(), 272);
    QCOMPARE(list.first(), (SelectionRow{QString(35, u'-'), false}));
    for (int i = 1; i < 272; ++i) {
        QVERIFY2(list.at(i).marked, qPrintable(QString::number(i)));
        QCOMPARE(list.at(i).text, u"行%1"_s.arg(i));
    }
}

void TestWorkFiles::pairingStopsAtTheShorterFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<QList<SelectionRow>>("rows");
    QTest::newRow("more text lines")
        << QByteArray("a\r\nb\r\nc\r\n") << QByteArray("-------\r\n[00:01]\r\n")
        << rows({{u"a", false}, {u"b", true}});
    QTest::newRow("more tag lines")
        << QByteArray("a\r\n") << QByteArray("[--:--]\r\n[--:--]\r\n") << rows({{u"a", true}});
    QTest::newRow("tags that do not count")
        << QByteArray("a\r\nb\r\nc\r\nd\r\n") << QByteArray("       \r\n\r\nx[00:01]\r\n[\r\n")
        << rows({{u"a", false}, {u"b", false}, {u"c", false}, {u"d", true}});
    QTest::newRow("last lines without line ends")
        << QByteArray("a\r\nb") << QByteArray("[--:--]\r\n[00:02]")
        << rows({{u"a", true}, {u"b", true}});
    QTest::newRow("a lone LF belongs to the line")
        << QByteArray("a\nb\r\nc\r\n") << QByteArray("[--:--]\n-------\r\n-------\r\n")
        << rows({{u"a\nb", true}, {u"c", false}});
    QTest::newRow("a line of hyphens is never marked")
        << QByteArray("---\r\n\r\n-\r\n-a-\r\n")
        << QByteArray("[00:02]\r\n[--:--]\r\n[--:--]\r\n[--:--]\r\n")
        << rows({{u"---", false}, {u"", true}, {u"-", false}, {u"-a-", true}});
    QTest::newRow("empty text file") << QByteArray() << QByteArray("[--:--]\r\n") << rows({});
}

void TestWorkFiles::pairingStopsAtTheShorterFile()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, tags);
    QFETCH(QList<SelectionRow>, rows);
    WorkArea area;
    writeBytes(area.work.textFile(), text);
    writeBytes(area.work.tagFile(), tags);
    QCOMPARE(LoadSelectionList(area.work), rows);
}

void TestWorkFiles::missingFilesGiveNoRows()
{
    WorkArea area;
    writeBytes(area.work.textFile(), "a\r\n");
    QVERIFY(LoadSelectionList(area.work).isEmpty());
    QCOMPARE(ReadLinePairs(area.work).error().kind, FileErrorKind::NotFound);
    QCOMPARE(ReadLinePairs(area.work).error().path, area.work.tagFile());

    QVERIFY(QFile::remove(area.work.textFile()));
    QVERIFY(WriteTagTemplate(area.work).ok());
    QVERIFY(LoadSelectionList(area.work).isEmpty());
}

void TestWorkFiles::snapshotIntoAMissingFolderFails()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u"/no-such-temp"_s;
    const WorkFolder work(root);
    const auto listed = PrepareLineSelection(work, u"abc"_s);
    QVERIFY(!listed.ok());
    QCOMPARE(listed.error().kind, FileErrorKind::Unwritable);
    QCOMPARE(listed.error().path, root + u"/zem/rigth.tmp"_s);
    QVERIFY(!WriteTagTemplate(work).ok());
}

void TestWorkFiles::preparingTheWorkFolderDeletesFilesAndLinksOnly()
{
    QTemporaryDir dir;
    const QString root = dir.path() + u"/temp"_s;
    QVERIFY(QDir().mkpath(root));
    const WorkFolder work(root);
    PrepareWorkFolder(work); // creates the folder
    const QString zem = work.path();
    QVERIFY(QFileInfo(zem).isDir());

    const QString outside = dir.path() + u"/outside.txt"_s;
    const QString outsideFolder = dir.path() + u"/outside"_s;
    writeBytes(outside, "keep");
    QVERIFY(QDir().mkpath(outsideFolder));
    writeBytes(outsideFolder + u"/inner.txt"_s, "keep");
    writeBytes(work.textFile(), "old");
    writeBytes(work.stagingFile(), "old");
    writeBytes(zem + u"/.hidden"_s, "old");
    writeBytes(zem + u"/notes.doc"_s, "old");
    QVERIFY(QFile::link(outside, zem + u"/link.txt"_s));
    QVERIFY(QFile::link(outsideFolder, zem + u"/linked-folder"_s));
    QVERIFY(QFile::link(dir.path() + u"/gone"_s, zem + u"/broken"_s));
    QVERIFY(QDir().mkpath(zem + u"/sub"_s));
    writeBytes(zem + u"/sub/kept.txt"_s, "kept");

    PrepareWorkFolder(work);
    QCOMPARE(
        QDir(zem).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        QStringList{u"sub"_s});
    QCOMPARE(readBytes(zem + u"/sub/kept.txt"_s), QByteArray("kept"));
    QCOMPARE(readBytes(outside), QByteArray("keep"));
    QCOMPARE(readBytes(outsideFolder + u"/inner.txt"_s), QByteArray("keep"));

    // A link standing in for the work folder is replaced, and what it points
    // to is left alone.
    QVERIFY(QDir(zem).removeRecursively());
    QVERIFY(QFile::link(outsideFolder, zem));
    PrepareWorkFolder(work);
    QVERIFY(QFileInfo(zem).isDir() && !QFileInfo(zem).isSymLink());
    QCOMPARE(readBytes(outsideFolder + u"/inner.txt"_s), QByteArray("keep"));
}

QTEST_APPLESS_MAIN(TestWorkFiles)
#include "tst_workfiles.moc"
