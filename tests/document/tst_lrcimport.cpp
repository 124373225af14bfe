#include "document/lrcimport.h"
#include "document/lyricsformat.h"
#include "document/lyricsloader.h"
#include "document/textfile.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kSeparator = QString(35, u'-');

// A body line of the document: its tag field, its text and its exact time.
struct Line
{
    QString tag;
    QString text;
    ExactTime exact;
};

} // namespace

Q_DECLARE_METATYPE(QList<Line>)

class TestLrcImport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileGivesATimedDocument_data();
    void fileGivesATimedDocument();
    void fileWithoutATimeIsRefused_data();
    void fileWithoutATimeIsRefused();
    void documentSizeIsBounded_data();
    void documentSizeIsBounded();
    void lrcFilesAreKnownByTheirName();
};

void TestLrcImport::fileGivesATimedDocument_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<Line>>("body"); // after the separator line

    QTest::newRow("UTF-8 with BOM, CR LF, metadata")
        << "\xEF\xBB\xBF[ti:\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91]\r\n[ar: Singer "
           "]\r\n[al:Album]\r\n"
           "[by:someone]\r\n[length:03:20]\r\n[00:00.00]intro\r\n[00:12.34]one\r\n[01:05.5]two\r\n"_ba
        << u"夜明け\r\nSinger\r\nAlbum"_s << u"intro"_s
        << QList<Line>{{u"[00:12]"_s, u"one"_s, 12340}, {u"[01:05]"_s, u"two"_s, 65500}};
    QTest::newRow("every form of time tag, LF")
        << "[0:05]a\n[00:06.1]b\n[00:07.12]c\n[00:08.123]d\n[00:09:45]e\n[123:04.56]f\n"_ba
        << QString() << QString()
        << QList<Line>{{u"[00:05]"_s, u"a"_s, 5000}, {u"[00:06]"_s, u"b"_s, 6100},
                       {u"[00:07]"_s, u"c"_s, 7120}, {u"[00:08]"_s, u"d"_s, 8123},
                       {u"[00:09]"_s, u"e"_s, 9450}, {u"[123:04"_s, u"f"_s, 7384560}};
    QTest::newRow("code page 932, CR")
        << "[ar:\x89\xCC\x82\xA4\x90\x6C]\r[00:01.50]\x88\xEA\x8D\x73\x96\xDA\r[00:02.00]\x81\x60\r"_ba
        << u"\r\n歌う人"_s << QString()
        << QList<Line>{{u"[00:01]"_s, u"一行目"_s, 1500}, {u"[00:02]"_s, u"～"_s, 2000}};
    QTest::newRow("a positive offset shows the lines sooner")
        << "[offset:+500]\n[00:01.00]a\n[00:02.25]b\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:00]"_s, u"a"_s, 500}, {u"[00:01]"_s, u"b"_s, 1750}};
    QTest::newRow("a negative offset later")
        << "[00:01.00]a\n[offset:-250]\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:01]"_s, u"a"_s, 1250}};
    QTest::newRow("an offset past the start stops at 0")
        << "[offset:1500]\n[00:01.00]a\n[00:03.00]b\n"_ba << QString() << u"a"_s
        << QList<Line>{{u"[00:01]"_s, u"b"_s, 1500}};
    QTest::newRow("repeated tags, sorted over the whole file")
        << "[00:10.00][00:30.00]chorus\n[00:20.00]verse\n[00:05.00]first\n"_ba << QString()
        << QString()
        << QList<Line>{{u"[00:05]"_s, u"first"_s, 5000},
                       {u"[00:10]"_s, u"chorus"_s, 10000},
                       {u"[00:20]"_s, u"verse"_s, 20000},
                       {u"[00:30]"_s, u"chorus"_s, 30000}};
    QTest::newRow("equal times keep the file's order")
        << "[00:05.00]b\n[00:05.00]a\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:05]"_s, u"b"_s, 5000}, {u"[00:05]"_s, u"a"_s, 5000}};
    QTest::newRow("only the first line at zero is the start text")
        << "[00:03.00]x\n[00:00.00]s\n[00:00.00]t\n"_ba << QString() << u"s"_s
        << QList<Line>{{u"[00:00]"_s, u"t"_s, 0}, {u"[00:03]"_s, u"x"_s, 3000}};
    QTest::newRow("word marks are taken out")
        << "[00:01.00]<00:01.00>hi<00:01.50>ka<00:02.00>ri <00:02:50>x\n"_ba << QString()
        << QString() << QList<Line>{{u"[00:01]"_s, u"hikari x"_s, 1000}};
    QTest::newRow("lines without a time are left out")
        << "plain words\n[xx:yy]no\n[00:61.00]no seconds\n[00:01]\n  [00:02.00]indented\n[00:03.0]a]b\n"_ba
        << QString() << QString()
        << QList<Line>{{u"[00:01]"_s, QString(), 1000},
                       {u"[00:02]"_s, u"indented"_s, 2000},
                       {u"[00:03]"_s, u"a]b"_s, 3000}};
    QTest::newRow("a comma for the point, digits past the millisecond")
        << "[00:03,50]a\n[00:02.1234]b\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:02]"_s, u"b"_s, 2123}, {u"[00:03]"_s, u"a"_s, 3500}};
    QTest::newRow("blanks between tags are no text, blanks before the text are")
        << "[00:08.00] [00:09.00]c\n[00:10.00] d\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:08]"_s, u"c"_s, 8000},
                       {u"[00:09]"_s, u"c"_s, 9000},
                       {u"[00:10]"_s, u" d"_s, 10000}};
    QTest::newRow("a second byte order mark, and one where files were joined")
        << "\xEF\xBB\xBF\xEF\xBB\xBF[00:01.00]x\n\xEF\xBB\xBF[ar:A]\n\xEF\xBB\xBF[00:02.00]y\n"_ba
        << u"\r\nA"_s << QString()
        << QList<Line>{{u"[00:01]"_s, u"x"_s, 1000}, {u"[00:02]"_s, u"y"_s, 2000}};
    QTest::newRow("the most negative offset, a day later at most")
        << "[offset:-9223372036854775808]\n[00:01.00]a\n"_ba << QString() << QString()
        << QList<Line>{{u"[1440:0"_s, u"a"_s, 86401000}};
    QTest::newRow("the most positive offset, at 0")
        << "[offset:9223372036854775807]\n[00:05.00]b\n[00:06.00]c\n"_ba << QString() << u"b"_s
        << QList<Line>{{u"[00:00]"_s, u"c"_s, 0}};
    QTest::newRow("a line at zero timed word by word stays a line")
        << "[00:00.00]<00:00.00>la <00:01.00>la\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:00]"_s, u"la la"_s, 0}};
    QTest::newRow("an empty line at zero stays a line")
        << "[00:00.00]\n[00:01.00]a\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:00]"_s, QString(), 0}, {u"[00:01]"_s, u"a"_s, 1000}};
    QTest::newRow("blanks around word marks are no text")
        << "[00:01.00] <00:01.20> When <00:01.50> the <00:02.00> truth <00:03.00>\n[00:04.00] <00:04.00> la \n"_ba
        << QString() << QString()
        << QList<Line>{{u"[00:01]"_s, u"When the truth"_s, 1000}, {u"[00:04]"_s, u"la "_s, 4000}};
    QTest::newRow("text from other systems: the wave dash kept, a line separator a blank")
        << "[00:01.00]\xE3\x80\x9C\xE2\x80\xA8x\n"_ba << QString() << QString()
        << QList<Line>{{u"[00:01]"_s, u"\u301C x"_s, 1000}};
}

void TestLrcImport::fileGivesATimedDocument()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QList<Line>, body);

    const std::optional<LoadedLyrics> loaded =
        LoadLrcLyrics(ResolveLineSeparators(DecodeUserText(file).text, true));
    QVERIFY(loaded);
    QVERIFY(loaded->timed && loaded->complete);
    QCOMPARE(loaded->headerText, header);
    QCOMPARE(loaded->startText, start);

    QStringList texts{kSeparator};
    QStringList tags{u"-------"_s};
    ExactTimes exact{std::nullopt};
    for (const Line& line : body) {
        texts.append(line.text);
        tags.append(line.tag);
        exact.append(line.exact);
    }
    QCOMPARE(loaded->bodyText, texts.join(u"\r\n"_s));
    QCOMPARE(loaded->tagLines, TagsAfterTimedLoad(tags));
    QCOMPARE(loaded->exactTimes, exact);
}

void TestLrcImport::fileWithoutATimeIsRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("metadata and words only") << "[ti:Title]\n[offset:100]\nla la la\n"_ba;
    QTest::newRow("word marks are no line times") << "<00:01.00>word\n"_ba;
}

void TestLrcImport::fileWithoutATimeIsRefused()
{
    QFETCH(QByteArray, file);
    QVERIFY(!LoadLrcLyrics(DecodeUserText(file).text));
}

void TestLrcImport::documentSizeIsBounded_data()
{
    // Every tag of a line gives a line of all its text: a small file can
    // ask for a body too large to hold.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("lines"); // of the body, after the separator; -1: refused
    const auto tags = [](int n) { return QByteArray("[0:01]").repeated(n); };
    QTest::newRow("100 000 lines") << tags(100000) + "x\n" << 100000;
    QTest::newRow("100 001 lines") << tags(50000) + "x\n" + tags(50001) + "y\n" << -1;
    QTest::newRow("16 Mi characters of text") << tags(2) + QByteArray(8 << 20, 'a') << 2;
    QTest::newRow("one more") << tags(2) + QByteArray((8 << 20) + 1, 'a') << -1;
}

void TestLrcImport::documentSizeIsBounded()
{
    QFETCH(QByteArray, file);
    QFETCH(int, lines);
    const std::optional<LoadedLyrics> loaded = LoadLrcLyrics(DecodeUserText(file).text);
    QCOMPARE(loaded ? int(loaded->exactTimes.size()) - 1 : -1, lines);
}

void TestLrcImport::lrcFilesAreKnownByTheirName()
{
    QVERIFY(IsLrcFileName(u"/m/song.lrc"_s));
    QVERIFY(IsLrcFileName(u"/m/SONG.LRC"_s));
    QVERIFY(!IsLrcFileName(u"/m/song.lrc.txt"_s));
    QVERIFY(!IsLrcFileName(u"/m/songlrc"_s));
    QCOMPARE(TextFileNameForLrc(u"/m/歌.LRC"_s), u"/m/歌.txt"_s);
    QCOMPARE(TextFileNameForLrc(u"/m/song.txt"_s), u"/m/song.txt"_s);
}

QTEST_APPLESS_MAIN(TestLrcImport)
#include "tst_lrcimport.moc"
