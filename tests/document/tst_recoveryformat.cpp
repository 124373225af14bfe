#include "document/recoveryformat.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::LyricsSnapshot)

class TestRecoveryFormat final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFieldComesBack_data();
    void everyFieldComesBack();
    void whatIsNotARecoveryFileIsRefused_data();
    void whatIsNotARecoveryFileIsRefused();
};

void TestRecoveryFormat::everyFieldComesBack_data()
{
    QTest::addColumn<LyricsSnapshot>("lyrics");
    QTest::newRow("a timed document")
        << LyricsSnapshot{u"歌のタイトル\r\n作者"_s,
                          u"はじまり"_s,
                          u"-----------------------------------\r\n一行目\r\n二行目\r\n"_s,
                          {u"-------"_s, u"[00:12]"_s, u"[01:05]"_s, u"[--:--]"_s},
                          {std::nullopt, 12345, 65432, std::nullopt},
                          u"/home/u/歌詞/夏.txt"_s,
                          {{},
                           {u"一行目"_s, {0, 1, 2}, {12345, std::nullopt, 13000}, 14000},
                           {u"二行目"_s, {0, 2}, {}, {}}}};
    QTest::newRow("characters code page 932 cannot hold")
        << LyricsSnapshot{u"🎤 Ünïcödé"_s,
                          u"한국어"_s,
                          u"e\u0301\r\n\u2028\r\n\t\0end"_s,
                          {u"[00:00]"_s},
                          {0},
                          u"a\nb\r.txt"_s,
                          {{u"🎤 a;b,c"_s, {0, 2, 4}, {0, 1, 2}, {}}}};
    QTest::newRow("readings timed per segment")
        << LyricsSnapshot{{},
                          {},
                          u"世界の大切な"_s,
                          {u"[00:01]"_s},
                          {1000},
                          {},
                          {{u"世界の大切な"_s,
                            {0, 2, 3, 5},
                            {1000, 1100, std::nullopt, 1300, 1400, 1500, 1600},
                            1700,
                            {{0, 2, u"せかい"_s, {0, 1, 2}}, {3, 2, u"た;い,せ つ\n"_s, {0, 2}}}}}};
    QTest::newRow("everything empty") << LyricsSnapshot{};
    QTest::newRow("one empty tag line, no exact time")
        << LyricsSnapshot{{}, {}, u"x"_s, {QString()}, {}, {}, {}};
    QTest::newRow("texts that look like the file's own lines")
        << LyricsSnapshot{u"end\nexact 3\n"_s,
                          u"tags 1 0\n"_s,
                          u"body 999\n\n"_s,
                          {u"end"_s, QString(), u"-"_s},
                          {std::numeric_limits<qint32>::max(), std::nullopt, 0},
                          u"name 0"_s,
                          {{u"words 1\n-"_s, {0}, {0}, {}}}};
    QTest::newRow("opened from an LRC file")
        << LyricsSnapshot{u"T"_s,
                          {},
                          u"x"_s,
                          {u"[00:01]"_s},
                          {1239},
                          u"a.txt"_s,
                          {},
                          {{u"[au:Author]"_s, u"[by: end ]"_s, QString()},
                           LrcPrecision::Milliseconds,
                           true,
                           true,
                           {}}};
    QTest::newRow("opened from a karaoke text") << LyricsSnapshot{
        {},
        {},
        u"x"_s,
        {u"[00:01]"_s},
        {1230},
        u"k.txt"_s,
        {},
        {{}, LrcPrecision::Hundredths, false, false, {u"@TaggingBy=誰か"_s, u"@Offset=+10"_s}}};
}

void TestRecoveryFormat::everyFieldComesBack()
{
    QFETCH(LyricsSnapshot, lyrics);
    const QDateTime updated(QDate(2026, 12, 8), QTime(5, 50, 12, 345), Qt::UTC);
    const auto back = ParseRecovery(FormatRecovery(lyrics, updated));
    QVERIFY(back.ok());
    QCOMPARE(back.value().lyrics, lyrics);
    QCOMPARE(back.value().updated, updated);
    // Files of the versions before, without readings and karaoke lines,
    // without the LRC file's lines (and the first without words), still read.
    const bool readings =
        std::any_of(lyrics.wordTimes.cbegin(), lyrics.wordTimes.cend(),
                    [](const LineWords& words) { return !words.readings.isEmpty(); });
    if (readings || !lyrics.lrcOrigin.karaokeLines.isEmpty())
        return;
    const QByteArray third = FormatRecovery(lyrics, updated)
                                 .replace("recovery 4\n", "recovery 3\n")
                                 .replace("\nreadings 0\n", "\n")
                                 .replace("\nkaraoke 0 0\n\nend\n", "\nend\n");
    QCOMPARE(ParseRecovery(third).value().lyrics, lyrics);
    if (lyrics.lrcOrigin == LrcOrigin()) {
        const QByteArray second = QByteArray(third)
                                      .replace("recovery 3\n", "recovery 2\n")
                                      .replace("\nlrc 2 0 0\nmetadata 0 0\n\nend\n", "\nend\n");
        QCOMPARE(ParseRecovery(second).value().lyrics, lyrics);
        if (lyrics.wordTimes.isEmpty()) {
            const QByteArray first = QByteArray(second)
                                         .replace("recovery 2\n", "recovery 1\n")
                                         .replace("\nwords 0\nend\n", "\nend\n");
            QCOMPARE(ParseRecovery(first).value().lyrics, lyrics);
        }
    }
}

void TestRecoveryFormat::whatIsNotARecoveryFileIsRefused_data()
{
    const QByteArray good =
        FormatRecovery({u"h"_s,
                        u"s"_s,
                        u"一行\r\n"_s,
                        {u"[00:01]"_s, u"-------"_s},
                        {1000},
                        u"f.txt"_s,
                        {{u"一行"_s, {0, 1}, {1000, 1500}, {}, {{0, 1, u"いち"_s, {0, 1}}}}},
                        {{u"[au:A]"_s}, LrcPrecision::Hundredths, false, false, {u"@K=v"_s}}},
                       QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC));
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<RecoveryProblem>("problem");
    QTest::newRow("empty") << QByteArray() << RecoveryProblem::Damaged;
    QTest::newRow("another file") << QByteArray("[00:00]hello\r\n") << RecoveryProblem::Damaged;
    QTest::newRow("a later version") << QByteArray(good).replace("recovery 4\n", "recovery 5\n")
                                     << RecoveryProblem::FutureVersion;
    QTest::newRow("version 0") << QByteArray(good).replace("recovery 4\n", "recovery 0\n")
                               << RecoveryProblem::Damaged;
    QTest::newRow("a block longer than the file")
        << QByteArray(good).replace("body 8\n", "body 80\n") << RecoveryProblem::Damaged;
    QTest::newRow("a negative size")
        << QByteArray(good).replace("start 1\n", "start -1\n") << RecoveryProblem::Damaged;
    QTest::newRow("fewer tag lines than counted")
        << QByteArray(good).replace("tags 2 ", "tags 3 ") << RecoveryProblem::Damaged;
    QTest::newRow("an exact time that is no number")
        << QByteArray(good).replace("\n1000\n", "\n1e3!\n") << RecoveryProblem::Damaged;
    QTest::newRow("bytes that are not UTF-8")
        << QByteArray(good).replace("h\n", "\xff\n") << RecoveryProblem::Damaged;
    QTest::newRow("something after the end") << good + "more\n" << RecoveryProblem::Damaged;
    QTest::newRow("a split past the line's end")
        << QByteArray(good).replace("0,1;", "0,7;") << RecoveryProblem::Damaged;
    QTest::newRow("more times than units")
        << QByteArray(good).replace("1000,1500;", "1000,1500,2000,2500;")
        << RecoveryProblem::Damaged;
    QTest::newRow("a reading over no whole segment")
        << QByteArray(good).replace("\n0 1 0,1\n", "\n0 2 0,1\n") << RecoveryProblem::Damaged;
    QTest::newRow("a reading split past its kana")
        << QByteArray(good).replace("\n0 1 0,1\n", "\n0 1 0,9\n") << RecoveryProblem::Damaged;
    QTest::newRow("more readings than segments")
        << QByteArray(good).replace("readings 1\n", "readings 3\n") << RecoveryProblem::Damaged;
    QTest::newRow("a version 3 file with readings")
        << QByteArray(good).replace("recovery 4\n", "recovery 3\n") << RecoveryProblem::Damaged;
    // A document keeps at most one exact time and one line's words per tag
    // line.
    QTest::newRow("more exact times than tag lines")
        << QByteArray(good).replace("exact 1\n1000\n", "exact 3\n1000\n-\n-\n")
        << RecoveryProblem::Damaged;
    QTest::newRow("more words than tag lines") << QByteArray(good)
                                                      .replace("words 1\n", "words 3\n")
                                                      .replace(";-\nend\n", ";-\n-\n-\nend\n")
                                               << RecoveryProblem::Damaged;
    QTest::newRow("a version 1 file with words")
        << QByteArray(good).replace("recovery 4\n", "recovery 1\n") << RecoveryProblem::Damaged;
    QTest::newRow("a version 2 file with the LRC file's lines")
        << QByteArray(good).replace("recovery 4\n", "recovery 2\n") << RecoveryProblem::Damaged;
    QTest::newRow("four decimals")
        << QByteArray(good).replace("\nlrc 2 ", "\nlrc 4 ") << RecoveryProblem::Damaged;
    QTest::newRow("more metadata lines than its bytes hold")
        << QByteArray(good).replace("metadata 1 ", "metadata 9 ") << RecoveryProblem::Damaged;
    QTest::newRow("more karaoke lines than its bytes hold")
        << QByteArray(good).replace("karaoke 1 ", "karaoke 9 ") << RecoveryProblem::Damaged;
    QTest::newRow("no karaoke lines in a version 4 file")
        << QByteArray(good).replace("karaoke 1 4\n@K=v\n", "") << RecoveryProblem::Damaged;
    // A write cut short anywhere (a full disk without the rename) is refused.
    for (qsizetype cut = 1; cut < good.size(); cut += 7)
        QTest::addRow("cut after %lld bytes", qlonglong(cut))
            << good.first(cut) << RecoveryProblem::Damaged;
}

void TestRecoveryFormat::whatIsNotARecoveryFileIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(RecoveryProblem, problem);
    const auto parsed = ParseRecovery(bytes);
    QVERIFY(!parsed.ok());
    QCOMPARE(parsed.error(), problem);
}

QTEST_APPLESS_MAIN(TestRecoveryFormat)
#include "tst_recoveryformat.moc"
