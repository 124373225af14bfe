#include "workfiles/timinglist.h"
#include "workfiles/workfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

class TestTimingList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowFollowsMarkAndTag_data();
    void rowFollowsMarkAndTag();
    void rowsLastAsLongAsAllThreeLists_data();
    void rowsLastAsLongAsAllThreeLists();
    void rowsFromTheWorkFiles();
    void missingWorkFileIsAnError();
    void tagsAreTheFirstSevenCharacters();
    void exactTimesStayWithMarkedRows();
    void savedTagFileHoldsOneLinePerRow_data();
    void savedTagFileHoldsOneLinePerRow();
    void threeHundredRowsSaveThreeHundredLines();
    void savedTagsComeBackAsTheNextRunsRows();
    void unmappableTagLeavesTheTagFileAlone();
    void unwritableTagFileIsReported();
};

void TestTimingList::rowFollowsMarkAndTag_data()
{
    QTest::addColumn<bool>("marked");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("row");

    QTest::newRow("marked, time kept") << true << u"[01:05]"_s << u"歌"_s << u"[01:05]歌"_s;
    QTest::newRow("marked, untimed kept") << true << u"[--:--]"_s << u"歌"_s << u"[--:--]歌"_s;
    QTest::newRow("marked separator counts") << true << u"-------"_s << u"---"_s << u"[--:--]---"_s;
    QTest::newRow("marked blank tag") << true << u"       "_s << u"歌"_s << u"[--:--]歌"_s;
    QTest::newRow("marked empty line is the tag alone")
        << true << QString() << QString() << u"[--:--]"_s;
    QTest::newRow("marked short bracket tag kept") << true << u"[ab"_s << QString() << u"[ab"_s;
    QTest::newRow("unmarked, time dropped") << false << u"[01:05]"_s << u"歌"_s << u"       歌"_s;
    QTest::newRow("unmarked untimed") << false << u"[--:--]"_s << QString() << u"       "_s;
    QTest::newRow("unmarked separator") << false << u"-------"_s << u"---"_s << u"----------"_s;
    QTest::newRow("unmarked short tag not filled up") << false << u"ab"_s << QString() << u"ab"_s;
    QTest::newRow("unmarked empty line") << false << QString() << QString() << QString();
    QTest::newRow("unmarked loaded text") << false << u"hello w"_s << u"orld"_s << u"hello world"_s;
}

void TestTimingList::rowFollowsMarkAndTag()
{
    QFETCH(bool, marked);
    QFETCH(QString, tag);
    QFETCH(QString, text);
    QFETCH(QString, row);
    QCOMPARE(BuildTimingList({text}, {tag}, {marked}), QStringList{row});
}

void TestTimingList::rowsLastAsLongAsAllThreeLists_data()
{
    QTest::addColumn<int>("texts");
    QTest::addColumn<int>("tags");
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("rows");
    QTest::newRow("fewer tags") << 5 << 3 << 5 << 3;
    QTest::newRow("fewer texts") << 2 << 272 << 272 << 2;
    QTest::newRow("fewer marks") << 4 << 4 << 1 << 1;
    QTest::newRow("no marks") << 4 << 4 << 0 << 0;
}

void TestTimingList::rowsLastAsLongAsAllThreeLists()
{
    QFETCH(int, texts);
    QFETCH(int, tags);
    QFETCH(int, marks);
    QFETCH(int, rows);
    QStringList textLines;
    for (int i = 0; i < texts; ++i)
        textLines.append(u"line %1"_s.arg(i));
    QStringList tagLines(tags, u"[--:--]"_s);
    QList<bool> markList(marks, true);

    QStringList expected;
    for (int i = 0; i < rows; ++i)
        expected.append(u"[--:--]line %1"_s.arg(i));
    QCOMPARE(BuildTimingList(textLines, tagLines, markList), expected);
}

void TestTimingList::rowsFromTheWorkFiles()
{
    WorkArea area;
    // The text file as a typed text ending with a line break leaves it (an
    // empty last line), the tag template's first four lines and one more.
    writeBytes(area.work.textFile(), QByteArray(35, '-') + "\r\n\x88\xEA\r\n\r\n");
    writeBytes(area.work.tagFile(), "-------\r\n[01:05]\r\n[--:--]\r\n[--:--]\r\n");
    QCOMPARE(BuildTimingList(area.work, {false, true, true, true}).value(),
             (QStringList{QString(42, u'-'), u"[01:05]一"_s, u"[--:--]"_s}));
    QCOMPARE(BuildTimingList(area.work, {true, false, false}).value(),
             (QStringList{u"[--:--]"_s + QString(35, u'-'), u"       一"_s, u"       "_s}));
}

void TestTimingList::missingWorkFileIsAnError()
{
    // No rows would be a run that saves an empty tag file: the file that
    // could not be read is named instead.
    WorkArea area;
    writeBytes(area.work.tagFile(), "[--:--]\r\n");
    const auto noText = BuildTimingList(area.work, {true});
    QVERIFY(!noText);
    QCOMPARE(noText.error().path, area.work.textFile());
    writeBytes(area.work.textFile(), "a\r\n");
    QVERIFY(QFile::remove(area.work.tagFile()));
    QVERIFY(QDir().mkdir(area.work.tagFile()));
    const auto noTags = BuildTimingList(area.work, {true});
    QVERIFY(!noTags);
    QCOMPARE(noTags.error().path, area.work.tagFile());
    QCOMPARE(noTags.error().kind, FileErrorKind::Unreadable);
}

void TestTimingList::tagsAreTheFirstSevenCharacters()
{
    QCOMPARE(TimingTags({u"[01:05]歌の一行目"_s, u"-------------"_s, u"ab"_s, QString(),
                         u"       "_s, u"一二三四五六七八"_s}),
             (QStringList{u"[01:05]"_s, u"-------"_s, u"ab"_s, QString(), u"       "_s,
                          u"一二三四五六七"_s}));
}

void TestTimingList::savedTagFileHoldsOneLinePerRow_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("stamped, untimed, unmarked, separator")
        << QStringList{QString(42, u'-'), u"[01:05]一"_s, u"[--:--]二"_s, u"       三"_s}
        << QByteArray("-------\r\n[01:05]\r\n[--:--]\r\n       \r\n");
    QTest::newRow("rows shorter than seven characters")
        << QStringList{u"ab"_s, QString(), u"[--:--]"_s} << QByteArray("ab\r\n\r\n[--:--]\r\n");
    QTest::newRow("loaded text as tag, in code page 932")
        << QStringList{u"一二三四五六七八九"_s}
        << QByteArray("\x88\xEA\x93\xF1\x8E\x4F\x8E\x6C"
                      "\x8C\xDC\x98\x5A\x8E\xB5\r\n");
    QTest::newRow("no rows empty the file") << QStringList() << QByteArray();
}

void TestTimingList::savedTagFileHoldsOneLinePerRow()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    WorkArea area;
    // The template is longer than any of these: nothing of it may remain.
    QVERIFY(WriteTagTemplate(area.work).ok());
    QVERIFY(SaveTimingTags(area.work, rows).ok());
    QCOMPARE(readBytes(area.work.tagFile()), bytes);
}

void TestTimingList::threeHundredRowsSaveThreeHundredLines()
{
    WorkArea area;
    QStringList rows;
    QByteArray expected;
    for (int i = 0; i < 300; ++i) {
        const QString tag =
            u"[%1:%2]"_s.arg(i / 60, 2, 10, QChar(u'0')).arg(i % 60, 2, 10, QChar(u'0'));
        rows.append(tag + u"line"_s);
        expected += tag.toLatin1() + "\r\n";
    }
    QVERIFY(SaveTimingTags(area.work, rows).ok());
    const QByteArray bytes = readBytes(area.work.tagFile());
    QCOMPARE(bytes.size(), 300 * 9);
    QCOMPARE(bytes, expected);
}

void TestTimingList::savedTagsComeBackAsTheNextRunsRows()
{
    // 300 rows saved; the next run pairs a longer text with exactly 300 tags.
    WorkArea area;
    QStringList rows;
    QByteArray text;
    for (int i = 0; i < 300; ++i)
        rows.append(u"[00:%1]x"_s.arg(i % 60, 2, 10, QChar(u'0')));
    for (int i = 0; i < 310; ++i)
        text += "x\r\n";
    QVERIFY(SaveTimingTags(area.work, rows).ok());
    writeBytes(area.work.textFile(), text);
    const QStringList next = BuildTimingList(area.work, QList<bool>(310, true)).value();
    QCOMPARE(next, rows);

    // A short row saved as an empty line does not count the next time.
    QVERIFY(SaveTimingTags(area.work, {u"-------"_s, QString()}).ok());
    QCOMPARE(BuildTimingList(area.work, {false, false}).value(),
             (QStringList{u"-------x"_s, u"x"_s}));
}

void TestTimingList::unmappableTagLeavesTheTagFileAlone()
{
    WorkArea area;
    QVERIFY(WriteTagTemplate(area.work).ok());
    // A tag that came from elsewhere may hold anything; hangul has no code
    // page 932 form.
    const auto saved = SaveTimingTags(area.work, {u"[00:01]a"_s, u"[\uD55C:--]b"_s});
    QVERIFY(!saved);
    QCOMPARE(saved.error().kind, FileErrorKind::Unmappable);
    QCOMPARE(saved.error().path, area.work.tagFile());
    QCOMPARE(saved.error().character, char32_t(0xD55C));
    QCOMPARE(saved.error().line, 2);
    QCOMPARE(saved.error().column, 2);
    QCOMPARE(readBytes(area.work.tagFile()), tagTemplateBytes());
}

void TestTimingList::unwritableTagFileIsReported()
{
    WorkArea area;
    QVERIFY(QDir().mkpath(area.work.tagFile()));
    const auto saved = SaveTimingTags(area.work, {u"[00:01]a"_s});
    QVERIFY(!saved);
    QCOMPARE(saved.error().kind, FileErrorKind::Unwritable);
    QCOMPARE(saved.error().path, area.work.tagFile());
    QVERIFY(QFileInfo(area.work.tagFile()).isDir());
}

void TestTimingList::exactTimesStayWithMarkedRows()
{
    const ExactTimes stored{12987, 65432, std::nullopt, 3000, 4000};
    // Row 1 unmarked loses its time; rows past the stored ones have none;
    // rows past the marks have none.
    QCOMPARE(TimingExactTimes(stored, {true, false, true, true}, 6),
             (ExactTimes{12987, std::nullopt, std::nullopt, 3000, std::nullopt, std::nullopt}));
    QCOMPARE(TimingExactTimes({}, {true, true}, 2), (ExactTimes{std::nullopt, std::nullopt}));
    QCOMPARE(TimingExactTimes(stored, {true, true}, 0), ExactTimes());
    // Words go the same way as the times.
    const LineWords words{u"ab"_s, {0, 1}, {1000, 2000}, {}};
    QCOMPARE(TimingWordTimes({words, words}, {false, true}, 3), (WordTimes{{}, words, {}}));
}

QTEST_APPLESS_MAIN(TestTimingList)
#include "tst_timinglist.moc"
