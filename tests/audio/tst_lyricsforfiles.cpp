#include "audio/lyricsforfiles.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::LrcDocument)

class TestLyricsForFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void syncedLyricsGoLineByLineOrWordByWord_data();
    void syncedLyricsGoLineByLineOrWordByWord();
};

void TestLyricsForFiles::syncedLyricsGoLineByLineOrWordByWord_data()
{
    QTest::addColumn<LrcDocument>("lrc");
    QTest::addColumn<QList<SyncedText>>("synced");
    QTest::addColumn<QString>("text"); // what goes into a Vorbis comment or an MP4 atom

    LrcDocument lines;
    lines.startText = u"前奏"_s;
    lines.lines = {{1500, u"朝の窓"_s, {}, std::nullopt}, {4250, QString(), {}, std::nullopt}};
    QTest::newRow("a line each, the start text at 0, a timed empty line")
        << lines << QList<SyncedText>{{0, u"前奏"_s}, {1500, u"\n朝の窓"_s}, {4250, u"\n"_s}}
        << u"[re:Verselet]\n[00:00.00]前奏\n[00:01.50]朝の窓\n[00:04.25]\n"_s;

    LrcDocument words;
    // "「朝の窓」" timed from its second character: the quote goes with the first word.
    words.lines = {{1000, u"「朝の窓」"_s, {{1, 1000}, {3, 1400}}, 1900},
                   {2000, u"光"_s, {}, std::nullopt}};
    QTest::newRow("a word each, what comes before the first with it")
        << words << QList<SyncedText>{{1000, u"「朝の"_s}, {1400, u"窓」"_s}, {2000, u"\n光"_s}}
        << u"[re:Verselet]\n[00:01.00]<00:01.00>「<00:01.00>朝の<00:01.40>窓」<00:01.90>\n"
           u"[00:02.00]<00:02.00>光\n"_s;
}

void TestLyricsForFiles::syncedLyricsGoLineByLineOrWordByWord()
{
    QFETCH(LrcDocument, lrc);
    QFETCH(QList<SyncedText>, synced);
    QFETCH(QString, text);
    const EmbeddedLyrics lyrics = LyricsForAudioFile(lrc);
    QCOMPARE(lyrics.synced, synced);
    QCOMPARE(lyrics.lrcText, text);
    // An ID3v2 tag's unsynchronised lyrics are plain LRC: the tag has the
    // word times in its synchronised ones.
    QVERIFY(!lyrics.plainLrcText.contains(u'<'));
    QVERIFY(lyrics.plainLrcText.contains(lrc.lines.constFirst().text));
}

QTEST_APPLESS_MAIN(TestLyricsForFiles)
#include "tst_lyricsforfiles.moc"
