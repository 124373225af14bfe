#include "document/readings.h"
#include "document/wordnotation.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestReadings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wordsAlignWithTheirReadings_data();
    void wordsAlignWithTheirReadings();
    void theNotationChangesSplitAndReadingsOnly_data();
    void theNotationChangesSplitAndReadingsOnly();
    void proposedReadingsMakeTheirRunsSegments_data();
    void proposedReadingsMakeTheirRunsSegments();
    void timesStayWhileTheUnitsDo_data();
    void timesStayWhileTheUnitsDo();
};

// A word's readings as "base《ka|na》 …", the bars between segments; "none"
// when the reading does not fit.
static QString Shown(QStringView written, const std::optional<Readings>& readings)
{
    if (!readings)
        return u"none"_s;
    QStringList shown;
    for (const Reading& reading : *readings)
        shown.append(written.sliced(reading.start, reading.length).toString() + u"《"_s +
                     BarredSegments(reading.kana, reading.starts) + u"》"_s);
    return shown.join(u' ');
}

void TestReadings::wordsAlignWithTheirReadings_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one kanji") << u"歌"_s << u"ウタ"_s << u"歌《う|た》"_s;
    QTest::newRow("one mora each") << u"大切"_s << u"タイセツ"_s << u"大切《た|い|せ|つ》"_s;
    QTest::newRow("small kana join") << u"今日"_s << u"キョウ"_s << u"今日《きょ|う》"_s;
    QTest::newRow("small tsu joins") << u"学校"_s << u"ガッコウ"_s << u"学校《がっ|こ|う》"_s;
    QTest::newRow("okurigana off") << u"抱いて"_s << u"ダイテ"_s << u"抱《だ》"_s;
    QTest::newRow("two runs") << u"思い出"_s << u"オモイデ"_s << u"思《お|も》 出《で》"_s;
    QTest::newRow("a run takes what the kana leave")
        << u"行い"_s << u"オコナイ"_s << u"行《お|こ|な》"_s;
    QTest::newRow("the same kana either side")
        << u"行き来"_s << u"イキキ"_s << u"行《い》 来《き》"_s;
    QTest::newRow("two verbs") << u"走り出す"_s << u"ハシリダス"_s << u"走《は|し》 出《だ》"_s;
    QTest::newRow("a prefix in kana") << u"お願い"_s << u"オネガイ"_s << u"願《ね|が》"_s;
    QTest::newRow("a suffix in kana") << u"赤ちゃん"_s << u"アカチャン"_s << u"赤《あ|か》"_s;
    QTest::newRow("々 repeats") << u"人々"_s << u"ヒトビト"_s << u"人々《ひ|と|び|と》"_s;
    QTest::newRow("ヶ as a counter")
        << u"一ヶ月"_s << u"イッカゲツ"_s << u"一ヶ月《いっ|か|げ|つ》"_s;
    QTest::newRow("a reading of the whole") << u"一人"_s << u"ヒトリ"_s << u"一人《ひ|と|り》"_s;
    QTest::newRow("katakana written too")
        << u"東京タワー"_s << u"トウキョウタワー"_s << u"東京《と|う|きょ|う》"_s;
    QTest::newRow("a hiragana reading") << u"空"_s << u"そら"_s << u"空《そ|ら》"_s;
    QTest::newRow("no kanji, no reading") << u"ライブ"_s << u"ライブ"_s << QString();
    QTest::newRow("kana that do not fit") << u"抱いて"_s << u"ダクテ"_s << u"none"_s;
    QTest::newRow("a digit read aloud") << u"1人"_s << u"ヒトリ"_s << u"none"_s;
    QTest::newRow("a kanji with nothing to read") << u"空"_s << QString() << u"none"_s;
    QTest::newRow("longer than a word") << u"空"_s << QString(65, u'ア') << u"none"_s;
    QTest::newRow("an extension B kanji") << u"𠮷野"_s << u"ヨシノ"_s << u"𠮷野《よ|し|の》"_s;
}

void TestReadings::wordsAlignWithTheirReadings()
{
    QFETCH(QString, written);
    QFETCH(QString, reading);
    QFETCH(QString, shown);
    QCOMPARE(Shown(written, AlignReading(written, reading)), shown);
}

// The text's default split reshaped by a notated form, shown notated again;
// "refused" when the form gives no shape.
static QString Reshaped(const QString& text, const QString& notated)
{
    const std::optional<WordShape> shape = ShapeFromNotation(text, notated);
    if (!shape)
        return u"refused"_s;
    LineWords words = LineWords::split(text);
    words.reshape(shape->starts, shape->readings);
    return NotatedWords(words);
}

void TestReadings::theNotationChangesSplitAndReadingsOnly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("notated");
    QTest::addColumn<QString>("shown");
    const QString line = u"大切な思い"_s;
    const QString both = u"大切《た|い|せ|つ》|な|思《お|も》|い"_s;
    QTest::newRow("readings and bars") << line << both << both;
    QTest::newRow("kana edited") << line << u"大切《だ|い|じ》|な|思い"_s
                                 << u"大切《だ|い|じ》|な|思い"_s;
    QTest::newRow("one segment without bars")
        << line << u"大切《たいせつ》|な思い"_s << u"大切《たいせつ》|な思い"_s;
    QTest::newRow("an empty reading goes") << line << u"大切《》|な|思い"_s << u"大切|な|思い"_s;
    QTest::newRow("over a segment with kana")
        << line << u"大切な《たいせつな》|思い"_s << u"大切な《たいせつな》|思い"_s;
    QTest::newRow("the base changed") << line << u"大好《だ|い》|な|思い"_s << u"refused"_s;
    QTest::newRow("a reading first") << line << u"《た》大切|な|思い"_s << u"refused"_s;
    QTest::newRow("a reading after a bar") << line << u"大切|《た》な|思い"_s << u"refused"_s;
    QTest::newRow("text right after a reading")
        << line << u"大切《たいせつ》な|思い"_s << u"refused"_s;
    QTest::newRow("a reading still open") << line << u"大切《たい|な|思い"_s << u"refused"_s;
    QTest::newRow("a closing mark alone") << line << u"大切》|な|思い"_s << u"refused"_s;
    QTest::newRow("two readings over one segment")
        << line << u"大切《た》《い》|な|思い"_s << u"refused"_s;
    QTest::newRow("a bar at the reading's end")
        << line << u"大切《たい|》|な思い"_s << u"refused"_s;
    QTest::newRow("bars together in a reading")
        << line << u"大切《た||い》|な思い"_s << u"refused"_s;
    QTest::newRow("a bar alone in a reading") << line << u"大切《|》|な思い"_s << u"refused"_s;
    QTest::newRow("a text with the marks itself has bars only")
        << u"《空》"_s << u"《|空|》"_s << u"《|空|》"_s;
}

void TestReadings::theNotationChangesSplitAndReadingsOnly()
{
    QFETCH(QString, text);
    QFETCH(QString, notated);
    QFETCH(QString, shown);
    QCOMPARE(Reshaped(text, notated), shown);
    // What is refused is a change on its way, or another text.
    if (shown != u"refused"_s)
        QVERIFY(WritesText(text, notated));
}

void TestReadings::proposedReadingsMakeTheirRunsSegments_data()
{
    QTest::addColumn<QString>("split");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QList<qsizetype>>("firstUnits");
    const QString units = u"せ か い の た い せ つ な"_s;
    QTest::newRow("split by default")
        << u"世|界|の|大|切|な"_s << u"世界《せ|か|い》|の|大切《た|い|せ|つ》|な"_s << units
        << QList<qsizetype>{0, 3, 4, 8, 9};
    QTest::newRow("the user's segments around a run part")
        << u"世界の|大切な"_s << u"世界《せ|か|い》|の|大切《た|い|せ|つ》|な"_s << units
        << QList<qsizetype>{0, 3, 4, 8, 9};
    QTest::newRow("a reading the line had goes")
        << u"世界《よ》|の|大切な"_s << u"世界《せ|か|い》|の|大切《た|い|せ|つ》|な"_s << units
        << QList<qsizetype>{0, 3, 4, 8, 9};
}

void TestReadings::proposedReadingsMakeTheirRunsSegments()
{
    QFETCH(QString, split);
    QFETCH(QString, shown);
    QFETCH(QString, units);
    QFETCH(QList<qsizetype>, firstUnits);
    const QString text = u"世界の大切な"_s;
    LineWords words = LineWords::split(text);
    const std::optional<WordShape> shape = ShapeFromNotation(text, split);
    QVERIFY(shape);
    words.reshape(shape->starts, shape->readings);
    words.setReadings({{0, 2, u"せかい"_s, {0, 1, 2}}, {3, 2, u"たいせつ"_s, {0, 1, 2, 3}}});
    QCOMPARE(NotatedWords(words), shown);
    QStringList sung;
    for (qsizetype unit = 0; unit < words.count(); ++unit)
        sung.append(words.unitText(unit).toString());
    QCOMPARE(sung.join(u' '), units);
    QList<qsizetype> firsts;
    for (qsizetype segment = 0; segment <= words.segmentCount(); ++segment)
        firsts.append(words.firstUnitOf(segment));
    QCOMPARE(firsts, firstUnits);
    QCOMPARE(words.unitAt(6), (WordUnit{2, 2}));
    QCOMPARE(words.unitAt(3), (WordUnit{1, -1}));
    QCOMPARE(words.unitAt(9), WordUnit());
}

void TestReadings::timesStayWhileTheUnitsDo_data()
{
    QTest::addColumn<QString>("notated");
    QTest::addColumn<bool>("kept");
    QTest::newRow("kana changed alone") << u"世界《よ|の|な》|の"_s << true;
    QTest::newRow("a reading split again") << u"世界《せか|い》|の"_s << false;
    QTest::newRow("a reading taken off") << u"世界|の"_s << false;
    QTest::newRow("segments moved") << u"世|界《か》|の"_s << false;
}

void TestReadings::timesStayWhileTheUnitsDo()
{
    QFETCH(QString, notated);
    QFETCH(bool, kept);
    LineWords words{
        u"世界の"_s, {0, 2}, {100, 200, 300, 400}, 500, {{0, 2, u"せかい"_s, {0, 1, 2}}}};
    const std::optional<WordShape> shape = ShapeFromNotation(words.text, notated);
    QVERIFY(shape);
    words.reshape(shape->starts, shape->readings);
    QCOMPARE(words.hasTimes(), kept);
    QCOMPARE(NotatedWords(words), notated);
}

QTEST_GUILESS_MAIN(TestReadings)
#include "tst_readings.moc"
