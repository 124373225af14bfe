#include "document/lyricsdocument.h"
#include "workfiles/documentforms.h"
#include "workfiles/lyricstext.h"
#include "workfiles/workfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

const QByteArray kHyphens35(35, '-');
const QByteArray kHyphens42(42, '-');

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

class TestLyricsText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textFileHoldsTheWholeBody_data();
    void textFileHoldsTheWholeBody();
    void unmappableBodyLeavesTheTextFileAlone();
    void newDocumentWithTwoLyricLines();
    void stagingFileFollowsTheFormat_data();
    void stagingFileFollowsTheFormat();
    void workFileThatCannotBeUsedIsAnError_data();
    void workFileThatCannotBeUsedIsAnError();
    void unwritableCharacterIsNamedByItsBox_data();
    void unwritableCharacterIsNamedByItsBox();
    void unmappableHeaderOrStartIsReportedWhereItStands_data();
    void unmappableHeaderOrStartIsReportedWhereItStands();
    void savedFileIsAnExactCopy();
    void existingFileIsReplacedAsAWhole();
    void targetThatCannotBeWrittenKeepsWhatWasThere_data();
    void targetThatCannotBeWrittenKeepsWhatWasThere();
    void missingStagingFileWritesNothing();
};

void TestLyricsText::textFileHoldsTheWholeBody_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("separator only") << QString(35, u'-') << kHyphens35 + "\r\n";
    // The snapshot at the start of a run drops nothing here either.
    QTest::newRow("last line kept whole") << u"---\r\nabc"_s << QByteArray("---\r\nabc\r\n");
    QTest::newRow("ends with a line break") << u"a\r\n"_s << QByteArray("a\r\n\r\n");
    QTest::newRow("code page 932")
        << u"一行目\r\n～"_s << QByteArray("\x88\xEA\x8D\x73\x96\xDA\r\n\x81\x60\r\n");
}

void TestLyricsText::textFileHoldsTheWholeBody()
{
    QFETCH(QString, body);
    QFETCH(QByteArray, bytes);
    WorkArea area;
    writeBytes(area.work.textFile(), QByteArray(5000, 'x'));
    QVERIFY(CreateLyricsTextFile(area.work, body).ok());
    QCOMPARE(readBytes(area.work.textFile()), bytes);
}

void TestLyricsText::unmappableBodyLeavesTheTextFileAlone()
{
    WorkArea area;
    writeBytes(area.work.textFile(), "before\r\n");
    // Hangul has no code page 932 form; it is not written as a substitute
    // byte.
    const auto written = CreateLyricsTextFile(area.work, u"---\r\nあ\uD55Cい"_s);
    QVERIFY(!written);
    QCOMPARE(written.error().kind, FileErrorKind::Unmappable);
    QCOMPARE(written.error().path, area.work.textFile());
    QCOMPARE(written.error().character, char32_t(0xD55C));
    QCOMPARE(written.error().line, 2);
    QCOMPARE(written.error().column, 2);
    QCOMPARE(readBytes(area.work.textFile()), QByteArray("before\r\n"));
}

void TestLyricsText::newDocumentWithTwoLyricLines()
{
    // A title and an author, a start text, the separator and two lines: the
    // first stamped at 1:05, the second not timed.
    WorkArea area;
    QVERIFY(CreateLyricsTextFile(area.work, QString(35, u'-') + u"\r\n一行目\r\n二行目"_s).ok());
    writeBytes(area.work.tagFile(), "-------\r\n[01:05]\r\n[--:--]\r\n");
    QVERIFY(ComposeStagingFile(area.work, u"歌のタイトル\r\n作者"_s, u"前奏"_s).ok());
    QCOMPARE(readBytes(area.work.stagingFile()),
             "\x89\xCC\x82\xCC\x83\x5E\x83\x43\x83\x67\x83\x8B\r\n" // 歌のタイトル
             "\x8D\xEC\x8E\xD2\r\n"                                 // 作者
             "[00:00]\x91\x4F\x91\x74\r\n"                          // 前奏
             "\r\n" +
                 kHyphens42 +
                 "\r\n"
                 "[01:05]\x88\xEA\x8D\x73\x96\xDA\r\n" // 一行目
                 "[--:--]\x93\xF1\x8D\x73\x96\xDA\r\n" // 二行目
                 + kHyphens35 + "\r\n");
}

void TestLyricsText::stagingFileFollowsTheFormat_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("tags");
    QTest::addColumn<QByteArray>("staging");

    QTest::newRow("separator marked: no separator tag, closing line written")
        << QString() << QString() << QByteArray("---\r\na\r\n")
        << QByteArray("[--:--]\r\n[00:03]\r\n")
        << "\r\n[00:00]\r\n\r\n[--:--]---\r\n[00:03]a\r\n" + kHyphens35 + "\r\n";

    QByteArray fillers;
    for (int i = 0; i < 224; ++i)
        fillers += "[--:--]\r\n";
    QTest::newRow("loaded text: two separator tags, no second closing line")
        << u"h"_s << u"s"_s << kHyphens35 + "\r\na\r\n" + QByteArray(28, '-') + "\r\n"
        << "-------\r\n[00:01]\r\n-------\r\n" + fillers
        << "h\r\n[00:00]s\r\n\r\n" + kHyphens42 + "\r\n[00:01]a\r\n" + kHyphens35 + "\r\n";

    QTest::newRow("empty lines")
        << QString() << QString() << QByteArray("\r\n\r\n\r\n\r\n\r\nx\r\n")
        << QByteArray("       \r\n-------\r\n[--:--]\r\n[00:07]\r\nab\r\n       \r\n")
        // Blank or separator tag: an empty line. A counted tag stands alone;
        // a hand-typed short line keeps its characters.
        << "\r\n[00:00]\r\n\r\n\r\n\r\n[--:--]\r\n[00:07]\r\nab\r\n       x\r\n" + kHyphens35 +
               "\r\n";

    QTest::newRow("more body lines than tags")
        << QString() << QString() << QByteArray("a\r\nb\r\nc\r\n") << QByteArray("[00:01]\r\n")
        << "\r\n[00:00]\r\n\r\n[00:01]a\r\n" + kHyphens35 + "\r\n";

    QTest::newRow("the tag template beside one line")
        << QString() << QString() << QByteArray("---\r\n") << tagTemplateBytes()
        << "\r\n[00:00]\r\n\r\n----------\r\n" + kHyphens35 + "\r\n";

    QTest::newRow("typed text ending with a line break: marked empty line")
        << QString() << QString() << QByteArray("---\r\nx\r\n\r\n") << tagTemplateBytes()
        << "\r\n[00:00]\r\n\r\n----------\r\n[--:--]x\r\n[--:--]\r\n" + kHyphens35 + "\r\n";

    QTest::newRow("header ending with a line break")
        << u"a\r\nb\r\n"_s << u"[x]"_s << QByteArray("---\r\n") << QByteArray("-------\r\n")
        << "a\r\nb\r\n\r\n[00:00][x]\r\n\r\n----------\r\n" + kHyphens35 + "\r\n";

    QTest::newRow("no lines at all") << u"t"_s << QString() << QByteArray() << tagTemplateBytes()
                                     << "t\r\n[00:00]\r\n\r\n" + kHyphens35 + "\r\n";
}

void TestLyricsText::stagingFileFollowsTheFormat()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, tags);
    QFETCH(QByteArray, staging);
    WorkArea area;
    writeBytes(area.work.textFile(), text);
    writeBytes(area.work.tagFile(), tags);
    writeBytes(area.work.stagingFile(), QByteArray(5000, 'x'));
    QVERIFY(ComposeStagingFile(area.work, header, start).ok());
    QCOMPARE(readBytes(area.work.stagingFile()), staging);

    // Saved straight from a document whose body the text file holds, the
    // bytes are the same.
    if (!text.endsWith("\r\n"))
        return;
    LyricsDocument document;
    document.setHeaderText(header);
    document.setStartText(start);
    document.setBodyText(QString::fromLatin1(text.chopped(2)));
    QStringList tagLines = QString::fromLatin1(tags).split(u"\r\n"_s);
    tagLines.removeLast();
    document.keepTags(TimingRowsFromList(tagLines));
    const auto saved = EncodeDocument(document, SaveForm::TimedText);
    QVERIFY(saved);
    QCOMPARE(saved.value(), staging);
}

void TestLyricsText::unwritableCharacterIsNamedByItsBox_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    // Counted in the box's own text; the header is looked at first.
    QTest::newRow("header before body") << u"t\r\nby \uD55C"_s << QString() << u"---\r\n\uD55C"_s
                                        << int(EditorBox::Header) << 2 << 4;
    QTest::newRow("start text") << QString() << u"前\U0001F3B5"_s << u"---"_s
                                << int(EditorBox::Start) << 1 << 2;
    QTest::newRow("body") << QString() << QString() << u"---\r\nlove \u2665 you"_s
                          << int(EditorBox::Body) << 2 << 6;
}

void TestLyricsText::unwritableCharacterIsNamedByItsBox()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QString, body);
    QFETCH(int, box);
    QFETCH(int, line);
    QFETCH(int, column);
    LyricsDocument document;
    document.setHeaderText(header);
    document.setStartText(start);
    document.setBodyText(body);
    const auto saved = EncodeDocument(document, SaveForm::TimedText);
    QVERIFY(!saved);
    QCOMPARE(int(saved.error().box), box);
    QCOMPARE(saved.error().error.line, line);
    QCOMPARE(saved.error().error.column, column);
    // An LRC file holds every character.
    QVERIFY(EncodeDocument(document, SaveForm::Lrc));
}

void TestLyricsText::workFileThatCannotBeUsedIsAnError_data()
{
    QTest::addColumn<QString>("file"); // which work file is broken
    QTest::addColumn<bool>("folder");  // a folder in its place instead of nothing
    QTest::addColumn<int>("kind");
    QTest::newRow("text file missing") << u"rigth.tmp"_s << false << int(FileErrorKind::NotFound);
    QTest::newRow("tag file missing") << u"left.tmp"_s << false << int(FileErrorKind::NotFound);
    QTest::newRow("text file unreadable")
        << u"rigth.tmp"_s << true << int(FileErrorKind::Unreadable);
    QTest::newRow("tag file unreadable") << u"left.tmp"_s << true << int(FileErrorKind::Unreadable);
    QTest::newRow("staging file unwritable")
        << u"zem.tmp"_s << true << int(FileErrorKind::Unwritable);
}

void TestLyricsText::workFileThatCannotBeUsedIsAnError()
{
    QFETCH(QString, file);
    QFETCH(bool, folder);
    QFETCH(int, kind);
    WorkArea area;
    writeBytes(area.work.textFile(), "a\r\n");
    writeBytes(area.work.tagFile(), "[00:01]\r\n");
    writeBytes(area.work.stagingFile(), "earlier text\r\n");
    const QString path = area.work.path() + u'/' + file;
    QVERIFY(QFile::remove(path));
    if (folder)
        QVERIFY(QDir().mkdir(path));

    const auto composed = ComposeStagingFile(area.work, u"h"_s, u"s"_s);
    QVERIFY(!composed);
    QCOMPARE(int(composed.error().kind), kind);
    QCOMPARE(composed.error().path, path);
    // No shortened text is offered: the staging file is not touched.
    if (file != u"zem.tmp"_s)
        QCOMPARE(readBytes(area.work.stagingFile()), QByteArray("earlier text\r\n"));
}

void TestLyricsText::unmappableHeaderOrStartIsReportedWhereItStands_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<uint>("character");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    // Positions count in the finished text, a character outside the basic
    // plane as one.
    QTest::newRow("hangul in the header")
        << u"title\r\nby \uD55C"_s << QString() << 0xD55Cu << 2 << 4;
    QTest::newRow("emoji in the start text")
        << u"a\r\nb"_s << u"前\U0001F3B5奏"_s << 0x1F3B5u << 3 << 9;
}

void TestLyricsText::unmappableHeaderOrStartIsReportedWhereItStands()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(uint, character);
    QFETCH(int, line);
    QFETCH(int, column);
    WorkArea area;
    writeBytes(area.work.textFile(), "a\r\n");
    writeBytes(area.work.tagFile(), "[00:01]\r\n");
    writeBytes(area.work.stagingFile(), "earlier text\r\n");
    const auto composed = ComposeStagingFile(area.work, header, start);
    QVERIFY(!composed);
    QCOMPARE(composed.error().kind, FileErrorKind::Unmappable);
    QCOMPARE(composed.error().path, area.work.stagingFile());
    QCOMPARE(uint(composed.error().character), character);
    QCOMPARE(composed.error().line, line);
    QCOMPARE(composed.error().column, column);
    QCOMPARE(readBytes(area.work.stagingFile()), QByteArray("earlier text\r\n"));
}

void TestLyricsText::savedFileIsAnExactCopy()
{
    WorkArea area;
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    bytes += "\r\r\n\n\x81"; // lone CR, lone LF, a cut-off lead byte: copied, not read
    writeBytes(area.work.stagingFile(), bytes);
    const QString target = area.dir.filePath(u"歌詞.txt"_s);
    QVERIFY(SaveLyricsText(area.work, target).ok());
    QCOMPARE(readBytes(target), bytes);
    QCOMPARE(readBytes(area.work.stagingFile()), bytes);
}

void TestLyricsText::existingFileIsReplacedAsAWhole()
{
    WorkArea area;
    const QString folder = area.dir.filePath(u"out"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + u"/song.txt"_s;
    const QString otherName = folder + u"/same file"_s;
    writeBytes(target, QByteArray(10000, 'o'));
    // A second name of the old file sees whether it was written over in place
    // or replaced by a new file.
    QCOMPARE(
        ::link(QFile::encodeName(target).constData(), QFile::encodeName(otherName).constData()), 0);
    writeBytes(area.work.stagingFile(), "new\r\n");

    QVERIFY(SaveLyricsText(area.work, target).ok());
    QCOMPARE(readBytes(target), QByteArray("new\r\n"));
    QCOMPARE(readBytes(otherName), QByteArray(10000, 'o'));
    QCOMPARE(entriesOf(folder), (QStringList{u"same file"_s, u"song.txt"_s}));
}

void TestLyricsText::targetThatCannotBeWrittenKeepsWhatWasThere_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("a folder") << u"folder"_s;
    QTest::newRow("a pipe") << u"fifo"_s;
    // The same device as /dev/full, made in the test's folder: a rename over
    // it would replace this node, not the machine's.
    QTest::newRow("a device node") << u"device"_s;
    QTest::newRow("a write that fails part-way") << u"full"_s;
}

void TestLyricsText::targetThatCannotBeWrittenKeepsWhatWasThere()
{
    QFETCH(QString, what);
    WorkArea area;
    const QString folder = area.dir.filePath(u"out"_s);
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + u"/song.txt"_s;
    const QByteArray encoded = QFile::encodeName(target);
    writeBytes(area.work.stagingFile(), QByteArray(64 * 1024, 'n'));

    if (what == u"folder"_s) {
        QVERIFY(QDir().mkdir(target));
        writeBytes(target + u"/inside"_s, "kept");
    } else if (what == u"fifo"_s) {
        QCOMPARE(::mkfifo(encoded.constData(), 0600), 0);
    } else if (what == u"device"_s) {
        if (::mknod(encoded.constData(), S_IFCHR | 0600, makedev(1, 7)) != 0)
            QSKIP("making a device node needs root");
    } else {
        writeBytes(target, "old text\r\n");
    }

    Result<void, FileError> saved;
    if (what == u"full"_s) {
        const FileSizeLimit limit(1000);
        QVERIFY(limit.isSet());
        saved = SaveLyricsText(area.work, target);
    } else {
        saved = SaveLyricsText(area.work, target);
    }
    QVERIFY(!saved);
    QCOMPARE(saved.error().kind, FileErrorKind::Unwritable);
    QCOMPARE(saved.error().path, target);

    // Nothing new stands beside the target, and the target is what it was.
    QCOMPARE(entriesOf(folder), QStringList{u"song.txt"_s});
    const QFileInfo info(target);
    struct stat st = {};
    QCOMPARE(::lstat(encoded.constData(), &st), 0);
    if (what == u"folder"_s) {
        QVERIFY(info.isDir());
        QCOMPARE(entriesOf(target), QStringList{u"inside"_s});
    } else if (what == u"fifo"_s) {
        QVERIFY(S_ISFIFO(st.st_mode));
    } else if (what == u"device"_s) {
        QVERIFY(S_ISCHR(st.st_mode));
    } else {
        QCOMPARE(readBytes(target), QByteArray("old text\r\n"));
    }
}

void TestLyricsText::missingStagingFileWritesNothing()
{
    WorkArea area;
    const QString target = area.dir.filePath(u"song.txt"_s);
    writeBytes(target, "old\r\n");
    const auto saved = SaveLyricsText(area.work, target);
    QVERIFY(!saved);
    QCOMPARE(saved.error().kind, FileErrorKind::Unreadable);
    QCOMPARE(saved.error().path, area.work.stagingFile());
    QCOMPARE(readBytes(target), QByteArray("old\r\n"));
}

QTEST_APPLESS_MAIN(TestLyricsText)
#include "tst_lyricstext.moc"
