#include "document/readings.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestReadings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wordsAlignWithTheirReadings_data();
    void wordsAlignWithTheirReadings();
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

QTEST_GUILESS_MAIN(TestReadings)
#include "tst_readings.moc"
