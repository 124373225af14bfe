#include "document/lyricsformat.h"
#include "document/textfile.h"

#include <QRandomGenerator>
#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kHyphens35(35, u'-');
const QString kHyphens42(42, u'-');

QString crlf(const QStringList& lines)
{
    return JoinLinesCrLf(lines);
}

QList<TaggedLine> body(std::initializer_list<std::pair<const char16_t*, const char16_t*>> pairs)
{
    QList<TaggedLine> lines;
    for (const auto& [tag, text] : pairs)
        lines.append({QString::fromUtf16(tag), QString::fromUtf16(text)});
    return lines;
}

// Reads a composed file back the way a loader does and composes it again.
QString recompose(const QString& file)
{
    const TimedTextLines read = ClassifyTimedText(SplitWorkLines(file));
    return ComposeTimedText(read.headerLines.join(u"\r\n"_s), read.startText, read.body);
}

} // namespace

class TestLyricsFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tagFieldAndText_data();
    void tagFieldAndText();
    void recognition_data();
    void recognition();
    void classification_data();
    void classification();
    void composesTheDocumentOfTheExample();
    void closingSeparatorOnlyWithFewerThanTwoSeparatorTags_data();
    void closingSeparatorOnlyWithFewerThanTwoSeparatorTags();
    void emptyTextLines_data();
    void emptyTextLines();
    void writtenFilesReadBackToTheSameBytes_data();
    void writtenFilesReadBackToTheSameBytes();
    void randomDocumentsReadBackToTheSameBytes();
};

void TestLyricsFormat::tagFieldAndText_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("counted");
    QTest::newRow("timed") << u"[01:05]歌詞"_s << u"[01:05]"_s << u"歌詞"_s << true;
    QTest::newRow("untimed") << u"[--:--]x"_s << u"[--:--]"_s << u"x"_s << true;
    QTest::newRow("no tag") << u"hello world"_s << u"hello w"_s << u"orld"_s << false;
    QTest::newRow("short") << u"abc"_s << u"abc"_s << QString() << false;
    QTest::newRow("short bracket") << u"[ab"_s << u"[ab"_s << QString() << true;
    QTest::newRow("exactly seven") << u"-------"_s << u"-------"_s << QString() << false;
    QTest::newRow("empty") << QString() << QString() << QString() << false;
    QTest::newRow("wide characters count one each")
        << u"あいうえおかきくけ"_s << u"あいうえおかき"_s << u"くけ"_s << false;
}

void TestLyricsFormat::tagFieldAndText()
{
    QFETCH(QString, line);
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(bool, counted);
    QCOMPARE(TagField(line), tag);
    QCOMPARE(LineText(line), text);
    QCOMPARE(IsCountedTag(TagField(line)), counted);
    QCOMPARE(TagField(line) + LineText(line), line);
}

void TestLyricsFormat::recognition_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<qsizetype>("p");
    QTest::addColumn<bool>("timed");
    QTest::addColumn<bool>("sixDigit");

    const QString written = crlf(
        {u"タイトル"_s, u"[00:00]前奏"_s, QString(), kHyphens42, u"[01:05]一行目"_s, kHyphens35});
    QTest::newRow("written by the program")
        << written << written.indexOf(u"[01:05]"_s) + 1 << true << false;
    const QString untimed = crlf({u"[00:00]"_s, QString(), kHyphens42, u"[--:--]a"_s});
    QTest::newRow("untimed tag passes too")
        << untimed << untimed.indexOf(u"[--:--]"_s) + 1 << true << false;
    // A single "[" leaves p at 0: a new document saved without a header has no
    // second bracket and reads back as a plain text.
    QTest::newRow("new document without a header")
        << ComposeTimedText(QString(), QString(),
                            {{kSeparatorTag.toString(), kSeparatorLine.toString()}})
        << qsizetype(0) << false << false;
    QTest::newRow("plain lyric text")
        << u"春の風\r\n夏の空\r\n"_s << qsizetype(0) << false << false;
    QTest::newRow("two bracketed words in the header")
        << crlf({u"[Artist] [Title]"_s, u"[00:00]"_s, u"[01:05]a"_s}) << qsizetype(10) << false
        << false;
    QTest::newRow("one bracket judged from the start")
        << u"ab:de]xx[yy"_s << qsizetype(0) << true << false;
    QTest::newRow("one tag alone is not enough")
        << u"[01:05]only"_s << qsizetype(0) << false << false;
    QTest::newRow("past the end is no character") << u"[a][b:"_s << qsizetype(4) << false << false;
    const QString sixDigit = crlf({u"曲名"_s, u"[00:00:00]"_s, u"[01:02:03]歌"_s});
    QTest::newRow("six-digit tags") << sixDigit << sixDigit.indexOf(u"[01:"_s) + 1 << false << true;
    QTest::newRow("six-digit test needs no bracket")
        << u"ab:defgh]"_s << qsizetype(0) << false << true;
}

void TestLyricsFormat::recognition()
{
    QFETCH(QString, content);
    QFETCH(qsizetype, p);
    QFETCH(bool, timed);
    QFETCH(bool, sixDigit);
    QCOMPARE(SecondBracketPosition(content), p);
    QCOMPARE(IsTimedLyricsText(content), timed);
    QCOMPARE(HasSixDigitTags(content), sixDigit);
}

void TestLyricsFormat::classification_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<bool>("hasStart");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<TaggedLine>>("body");

    QTest::newRow("a file the program wrote")
        << QStringList{u"title"_s, u"author"_s,     u"[00:00]intro"_s, QString(),
                       kHyphens42, u"[01:05]one"_s, u"[--:--]two"_s,   kHyphens35}
        << QStringList{u"title"_s, u"author"_s} << true << u"intro"_s
        << body({{u"-------", u"-----------------------------------"},
                 {u"[01:05]", u"one"},
                 {u"[--:--]", u"two"},
                 {u"-------", u"----------------------------"}});
    QTest::newRow("lines between start line and separator are dropped")
        << QStringList{u"h"_s,        u"[00:00]s"_s, u"dropped"_s, u"[02:00]dropped too"_s,
                       u"--------"_s, u"[00:10]x"_s}
        << QStringList{u"h"_s} << true << u"s"_s << body({{u"-------", u"-"}, {u"[00:10]", u"x"}});
    QTest::newRow("a line stamped at zero seconds stays in the body")
        << QStringList{u"h"_s,     u"[00:00]s"_s,     QString(),
                       kHyphens42, u"[00:00]first"_s, u"[00:07]second"_s}
        << QStringList{u"h"_s} << true << u"s"_s
        << body({{u"-------", u"-----------------------------------"},
                 {u"[00:00]", u"first"},
                 {u"[00:07]", u"second"}});
    QTest::newRow("without an earlier start line the first [00:00] line is it")
        << QStringList{u"h"_s, kHyphens35, u"[00:00]s"_s, u"gone"_s, kHyphens35, u"[00:03]x"_s}
        << QStringList{u"h"_s} << true << u"s"_s
        << body({{u"-------", u"----------------------------"},
                 {u"-------", u"----------------------------"},
                 {u"[00:03]", u"x"}});
    QTest::newRow("no separator: no body")
        << QStringList{u"h"_s, u"[00:00]s"_s, u"[00:05]a"_s} << QStringList{u"h"_s} << true
        << u"s"_s << QList<TaggedLine>{};
    QTest::newRow("start line first: no header")
        << QStringList{u"[00:00]"_s, QString(), u"-------x"_s, u"abc"_s} << QStringList{} << true
        << QString() << body({{u"-------", u"x"}, {u"abc", u""}});
    QTest::newRow("separator in the header starts the body")
        << QStringList{u"h"_s, u"-------"_s, u"[00:00]late start"_s, u"kept?"_s}
        << QStringList{u"h"_s} << true << u"late start"_s << body({{u"-------", u""}});
}

void TestLyricsFormat::classification()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, header);
    QFETCH(bool, hasStart);
    QFETCH(QString, start);
    QFETCH(QList<TaggedLine>, body);
    const TimedTextLines read = ClassifyTimedText(lines);
    QCOMPARE(read.headerLines, header);
    QCOMPARE(read.hasStartLine, hasStart);
    QCOMPARE(read.startText, start);
    QCOMPARE(read.body, body);
}

void TestLyricsFormat::composesTheDocumentOfTheExample()
{
    const QString file =
        ComposeTimedText(u"春の歌\r\n作詞 山田"_s, u"前奏"_s,
                         body({{u"-------", u"-----------------------------------"},
                               {u"[01:05]", u"一行目"},
                               {u"[--:--]", u"二行目"}}));
    QCOMPARE(file, crlf({u"春の歌"_s, u"作詞 山田"_s, u"[00:00]前奏"_s, QString(), kHyphens42,
                         u"[01:05]一行目"_s, u"[--:--]二行目"_s, kHyphens35}));
    QCOMPARE(kSeparatorLine.size(), 35);

    // An empty header and start text still give their lines.
    QCOMPARE(ComposeTimedText(QString(), QString(), {}),
             crlf({QString(), u"[00:00]"_s, QString(), kHyphens35}));
}

void TestLyricsFormat::closingSeparatorOnlyWithFewerThanTwoSeparatorTags_data()
{
    QTest::addColumn<QList<TaggedLine>>("body");
    QTest::addColumn<bool>("closing");
    QTest::newRow("none: the separator was marked")
        << body({{u"[--:--]", u"---"}, {u"[00:01]", u"a"}}) << true;
    QTest::newRow("one: a new document")
        << body({{u"-------", u"---"}, {u"[00:01]", u"a"}}) << true;
    QTest::newRow("two: a re-saved file")
        << body({{u"-------", u"---"}, {u"[00:01]", u"a"}, {u"-------", u"---"}}) << false;
    QTest::newRow("an empty separator line counts")
        << body({{u"-------", u"---"}, {u"-------", u""}}) << false;
    QTest::newRow("eight hyphens is no separator tag")
        << body({{u"-------", u"---"}, {u"-------", u"-"}, {u"--------", u""}}) << false;
}

void TestLyricsFormat::closingSeparatorOnlyWithFewerThanTwoSeparatorTags()
{
    QFETCH(QList<TaggedLine>, body);
    QFETCH(bool, closing);
    const QString file = ComposeTimedText(u"h"_s, QString(), body);
    QCOMPARE(file.endsWith(u"\r\n"_s + kHyphens35 + u"\r\n"_s), closing);
}

void TestLyricsFormat::emptyTextLines_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("written");
    QTest::newRow("blank tag") << u"       "_s << QString();
    QTest::newRow("no tag") << QString() << QString();
    QTest::newRow("separator tag") << u"-------"_s << QString();
    QTest::newRow("untimed tag") << u"[--:--]"_s << u"[--:--]"_s;
    QTest::newRow("time tag") << u"[00:42]"_s << u"[00:42]"_s;
    QTest::newRow("a short hand-typed line keeps its characters") << u"ok"_s << u"ok"_s;
    QTest::newRow("a short line of hyphens") << u"---"_s << u"---"_s;
}

void TestLyricsFormat::emptyTextLines()
{
    QFETCH(QString, tag);
    QFETCH(QString, written);
    const QString file = ComposeTimedText(QString(), QString(),
                                          {{kSeparatorTag.toString(), u"-"_s}, {tag, QString()}});
    QCOMPARE(SplitWorkLines(file).at(4), written);
}

void TestLyricsFormat::writtenFilesReadBackToTheSameBytes_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<TaggedLine>>("body");
    QTest::newRow("new document") << QString() << QString()
                                  << body({{u"-------", u"-----------------------------------"}});
    QTest::newRow("stamped lines, one at zero seconds")
        << u"曲名\r\n歌手"_s << u"イントロ"_s
        << body({{u"-------", u"-----------------------------------"},
                 {u"[00:00]", u"最初の行"},
                 {u"[00:12]", u"～①"},
                 {u"       ", u"unmarked"},
                 {u"[--:--]", u""},
                 {u"       ", u""}});
    QTest::newRow("already re-saved")
        << u"h"_s << u"s"_s
        << body({{u"-------", u"-----"}, {u"[01:00]", u"x"}, {u"-------", u"-----"}});
}

void TestLyricsFormat::writtenFilesReadBackToTheSameBytes()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QList<TaggedLine>, body);
    const QString first = ComposeTimedText(header, start, body);
    const QString second = recompose(first);
    QCOMPARE(EncodeCp932(second).value(), EncodeCp932(first).value());
}

void TestLyricsFormat::randomDocumentsReadBackToTheSameBytes()
{
    // Documents as the program makes them: a header free of "-------" and
    // "[00:00]" lines, a separator line first, then any mix of tags and texts.
    // An empty line under "-------" is the one body pair that is written as
    // something else (an empty line) and is left out.
    QRandomGenerator random(20261207);
    const QStringList texts{QString(), u"a"_s, u"春の風"_s, u"-----"_s, u"[x]"_s, u" ～ "_s};
    const QStringList tags{u"[--:--]"_s, u"[00:00]"_s, u"[03:59]"_s,
                           u"       "_s, u"-------"_s, u"abc"_s};
    for (int round = 0; round < 200; ++round) {
        QStringList headerLines;
        for (int i = random.bounded(4); i > 0; --i)
            headerLines.append(QString(texts.at(random.bounded(texts.size()))).replace(u'-', u'='));
        QList<TaggedLine> lines{{kSeparatorTag.toString(), kSeparatorLine.toString()}};
        for (int i = random.bounded(30); i > 0; --i) {
            TaggedLine line{tags.at(random.bounded(tags.size())),
                            texts.at(random.bounded(texts.size()))};
            if (line.text.isEmpty() && line.tag == kSeparatorTag)
                continue;
            lines.append(line);
        }
        const QString first =
            ComposeTimedText(headerLines.join(u"\r\n"_s), texts.at(round % texts.size()), lines);
        const QString second = recompose(first);
        if (second != first)
            QFAIL(qPrintable(u"round %1 differs:\n%2\n---\n%3"_s.arg(round).arg(first, second)));
    }
}

QTEST_APPLESS_MAIN(TestLyricsFormat)
#include "tst_lyricsformat.moc"
