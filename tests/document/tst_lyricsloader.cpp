#include "document/lyricsloader.h"
#include "document/textfile.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kHyphens35(35, u'-');
const QString kHyphens42(42, u'-');

QStringList fillers(QStringList tags)
{
    for (int i = 0; i < 224; ++i)
        tags.append(u"[--:--]"_s);
    return tags;
}

QStringList tagTemplate()
{
    QStringList tags{u"-------"_s};
    for (int i = 0; i < 271; ++i)
        tags.append(u"[--:--]"_s);
    return tags;
}

} // namespace

class TestLyricsLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timedTexts_data();
    void timedTexts();
    void plainTexts_data();
    void plainTexts();
    void lineSeparatorsKeepBodyAndTagsPaired_data();
    void lineSeparatorsKeepBodyAndTagsPaired();
};

void TestLyricsLoader::timedTexts_data()
{
    QTest::addColumn<QStringList>("file");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("tags");

    QTest::newRow("a file the program wrote")
        << QStringList{u"春の歌"_s, u"作詞 山田"_s,     u"[00:00]前奏"_s,   QString(),
                       kHyphens42,  u"[01:05]一行目"_s, u"[--:--]二行目"_s, kHyphens35}
        << true << u"春の歌\r\n作詞 山田"_s << u"前奏"_s
        << kHyphens35 + u"\r\n一行目\r\n二行目\r\n"_s + QString(28, u'-')
        << fillers({u"-------"_s, u"[01:05]"_s, u"[--:--]"_s, u"-------"_s});
    QTest::newRow("lines between the start line and the separator are dropped")
        << QStringList{u"h"_s, u"[00:00]s"_s, QString(), u"note"_s, u"-------"_s, u"[00:02]a"_s}
        << true << u"h"_s << u"s"_s << u"\r\na"_s << fillers({u"-------"_s, u"[00:02]"_s});
    QTest::newRow("a line stamped at zero seconds stays a body line")
        << QStringList{u"h"_s,     u"[00:00]s"_s,    QString(),
                       kHyphens42, u"[00:00]最初"_s, u"[00:09]次"_s}
        << true << u"h"_s << u"s"_s << kHyphens35 + u"\r\n最初\r\n次"_s
        << fillers({u"-------"_s, u"[00:00]"_s, u"[00:09]"_s});
    QTest::newRow("short and untagged body lines")
        << QStringList{u"h"_s, u"[00:00]"_s, u"-------"_s, u"abc"_s, u"hello world"_s, QString()}
        << true << u"h"_s << QString() << u"\r\n\r\norld\r\n"_s
        << fillers({u"-------"_s, u"abc"_s, u"hello w"_s, QString()});
    QTest::newRow("no separator: nothing in the body, the header keeps its line end")
        << QStringList{u"title"_s, u"[00:00]s"_s, u"[00:05]a"_s, u"[00:06]b"_s} << false
        << u"title\r\n"_s << u"s"_s << QString() << fillers({});
    QTest::newRow("no header line: the body is read, then the load fails")
        << QStringList{u"[00:00]s"_s, QString(), u"-------x"_s, u"[00:01]y"_s} << false << QString()
        << u"s"_s << u"x\r\ny"_s << fillers({u"-------"_s, u"[00:01]"_s});
    QTest::newRow("an empty header line is a header")
        << QStringList{QString(), u"[00:00]"_s, QString(), kHyphens42, u"[--:--]x"_s} << true
        << QString() << QString() << kHyphens35 + u"\r\nx"_s
        << fillers({u"-------"_s, u"[--:--]"_s});
}

void TestLyricsLoader::timedTexts()
{
    QFETCH(QStringList, file);
    QFETCH(bool, complete);
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QString, body);
    QFETCH(QStringList, tags);
    const LoadedLyrics loaded = LoadTimedLyrics(JoinLinesCrLf(file));
    QVERIFY(loaded.timed);
    QCOMPARE(loaded.complete, complete);
    QCOMPARE(loaded.headerText, header);
    QCOMPARE(loaded.startText, start);
    QCOMPARE(loaded.bodyText, body);
    QCOMPARE(loaded.tagLines, tags);
}

void TestLyricsLoader::plainTexts_data()
{
    QTest::addColumn<QString>("content");
    QTest::newRow("lyrics without brackets") << u"春の風\r\n夏の空\r\n"_s;
    QTest::newRow("empty file") << QString();
    QTest::newRow("six-digit tags") << u"曲\r\n[00:00:00]\r\n[01:02:03]歌\r\n"_s;
    QTest::newRow("two bracketed words") << u"[Artist] [Title]\r\n[00:00]\r\n-------\r\n[00:01]a"_s;
    QTest::newRow("one tag only") << u"[00:05]ひとつ"_s;
}

void TestLyricsLoader::plainTexts()
{
    QFETCH(QString, content);
    const LoadedLyrics loaded = LoadLyricsText(content);
    QVERIFY(!loaded.timed);
    QVERIFY(loaded.complete);
    QCOMPARE(loaded.headerText, QString());
    QCOMPARE(loaded.startText, QString());
    QCOMPARE(loaded.bodyText, QString(35, u'-') + u"\r\n"_s + content);
    QCOMPARE(loaded.tagLines, tagTemplate());
}

void TestLyricsLoader::lineSeparatorsKeepBodyAndTagsPaired_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("firstTags");
    const QString sep(QChar::LineSeparator);
    const QString para(QChar::ParagraphSeparator);
    const QString nel(QChar(0x0085));
    // In a timed text each is one space: B stays on A's line, and C and D keep
    // their own tags.
    QTest::newRow("timed: line separator")
        << u"h\r\n[00:00]\r\n-------\r\n[00:10]A"_s + sep + u"B\r\n[00:20]C\r\n[00:30]D"_s << u"h"_s
        << u"\r\nA B\r\nC\r\nD"_s
        << QStringList{u"-------"_s, u"[00:10]"_s, u"[00:20]"_s, u"[00:30]"_s};
    QTest::newRow("timed: paragraph separator and NEL, header too")
        << u"t"_s + para + u"a\r\n[00:00]\r\n-------\r\n[00:01]x"_s + nel + nel + u"y\r\n[00:02]z"_s
        << u"t a"_s << u"\r\nx  y\r\nz"_s << QStringList{u"-------"_s, u"[00:01]"_s, u"[00:02]"_s};
    // In a plain text each ends its line: the editor shows what the tag file
    // pairs with.
    QTest::newRow("plain: each ends the line")
        << u"A"_s + sep + u"B\r\nC"_s + para + u"D"_s + nel << QString()
        << QString(35, u'-') + u"\r\nA\r\nB\r\nC\r\nD\r\n"_s
        << QStringList{u"-------"_s, u"[--:--]"_s};
}

void TestLyricsLoader::lineSeparatorsKeepBodyAndTagsPaired()
{
    QFETCH(QString, content);
    QFETCH(QString, header);
    QFETCH(QString, body);
    QFETCH(QStringList, firstTags);
    const LoadedLyrics loaded = LoadLyricsText(content);
    QCOMPARE(loaded.headerText, header);
    QCOMPARE(loaded.bodyText, body);
    QCOMPARE(loaded.tagLines.mid(0, firstTags.size()), firstTags);
    // Nothing is left that a text box would break a line at.
    for (const QString& text : {loaded.headerText, loaded.bodyText}) {
        QVERIFY(!text.contains(QChar::LineSeparator));
        QVERIFY(!text.contains(QChar::ParagraphSeparator));
        QVERIFY(!text.contains(QChar(0x0085)));
    }
}

QTEST_APPLESS_MAIN(TestLyricsLoader)
#include "tst_lyricsloader.moc"
