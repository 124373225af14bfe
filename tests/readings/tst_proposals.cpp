#include "readings/mecabreadings.h"

#include "testfiles.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// Lyric lines as a reader reads them aloud: each run of kanji with its
// reading after it (one reading for the run, of however many words). Words with more than one
// reading, and names, are here on purpose: the share below counts how many come out right.
const char16_t* const kLyrics[] = {
    u"心《こころ》の奥《おく》に眠《ねむ》る夢《ゆめ》",
    u"涙《なみだ》がこぼれても笑顔《えがお》でいたい",
    u"青《あお》い空《そら》に星《ほし》が光《ひか》る",
    u"君《きみ》を愛《あい》してる",
    u"未来《みらい》へ続《つづ》く道《みち》",
    u"世界《せかい》が変《か》わっても",
    u"約束《やくそく》したあの日《ひ》を忘《わす》れない",
    u"季節《きせつ》は巡《めぐ》る",
    u"永遠《えいえん》に君《きみ》のそばで",
    u"抱《だ》きしめて離《はな》さない",
    u"思《おも》い出《で》が溢《あふ》れ出《だ》す",
    u"走《はし》り出《だ》す朝《あさ》",
    u"優《やさ》しい風《かぜ》が吹《ふ》いた",
    u"時々君《ときどききみ》を思《おも》う",
    u"人々《ひとびと》の声《こえ》が響《ひび》く",
    u"少々遅《しょうしょうおく》れても",
    u"一人《ひとり》で歩《ある》く帰《かえ》り道《みち》",
    u"二人《ふたり》で見《み》た夕焼《ゆうや》け",
    u"一《ひと》つだけの願《ねが》い",
    u"三日月《みかづき》が浮《う》かぶ夜《よる》",
    u"東京《とうきょう》の街《まち》で",
    u"大阪《おおさか》に帰《かえ》ろう",
    u"桜《さくら》が舞《ま》い散《ち》る",
    u"太郎《たろう》と花子《はなこ》",
    u"坂《さか》の上《うえ》で待《ま》ってる",
    u"今日《きょう》も明日《あした》も",
    u"一日中歌《いちにちじゅううた》っていた",
    u"今《いま》すぐ会《あ》いたい",
    u"生《う》まれた意味《いみ》を探《さが》して",
    u"生《い》きていく",
    u"三ヶ月《さんかげつ》ぶりに会《あ》えた",
    u"明日《あした》の風《かぜ》に吹《ふ》かれて",
    u"ラブソングを君《きみ》に",
    u"Oh baby 夢《ゆめ》を見《み》せて",
    u"LOVEは止《と》まらない",
    u"太陽《たいよう》が昇《のぼ》る",
    u"月明《つきあ》かりの下《した》で",
    u"雨上《あめあ》がりの虹《にじ》",
    u"花火《はなび》が夜空《よぞら》を染《そ》める",
    u"海《うみ》の向《む》こうへ",
    u"手《て》を繋《つな》いで歩《ある》こう",
    u"悲《かな》しみを越《こ》えて",
    u"光《ひかり》の中《なか》へ",
    u"胸《むね》の鼓動《こどう》が止《と》まらない",
    u"眠《ねむ》れない夜《よる》",
    u"記憶《きおく》の欠片《かけら》",
    u"運命《うんめい》の赤《あか》い糸《いと》",
    u"奇跡《きせき》を信《しん》じて",
    u"遠《とお》い日《ひ》の約束《やくそく》",
    u"黄昏《たそがれ》の街角《まちかど》",
    u"君《きみ》の笑顔《えがお》が好《す》きだから",
    u"僕《ぼく》らは歌《うた》い続《つづ》ける",
    u"雪《ゆき》が降《ふ》る街《まち》",
    u"白《しろ》い息《いき》を吐《は》いて",
    u"今夜《こんや》は帰《かえ》さない",
    u"大人《おとな》になっても",
    u"子供《こども》の頃《ころ》の夢《ゆめ》",
    u"一緒《いっしょ》に行《い》こう",
    u"何度《なんど》でも立《た》ち上《あ》がる",
    u"1000年先《ねんさき》も",
    u"上《うえ》を向《む》いて歩《ある》こう",
    u"上手《じょうず》に言《い》えない",
    u"一生忘《いっしょうわす》れない",
    u"生《なま》の声《こえ》を聴《き》かせて",
    u"風《かぜ》になりたい",
    u"風車《かざぐるま》が回《まわ》る",
    u"今日《きょう》という日《ひ》",
    u"心《こころ》の中《なか》で",
    u"真夜中《まよなか》のドライブ",
    u"星空《ほしぞら》を見上《みあ》げて",
    u"歌声《うたごえ》が響《ひび》く",
    u"愛《いと》しい人《ひと》",
    u"素直《すなお》になれなくて",
    u"君《きみ》に届《とど》け",
    u"最後《さいご》のキス",
    u"夏祭《なつまつ》りの夜《よる》",
    u"千《せん》の風《かぜ》になって",
    u"京都《きょうと》の春《はる》",
    u"春夏秋冬《しゅんかしゅうとう》",
    u"一日《いちにち》の終《お》わりに",
};

// What the table must keep: just under the share measured.
constexpr double kLeastShareRight = 0.97;

// The line with "《kana》" after the kanji of each reading, the bars of its
// segments kept when `barred`; "｜" marks a reading that begins inside a run
// of kanji whose first kanji have none, which no reader writes.
QString Shown(QStringView line, const Readings& readings, bool barred)
{
    QString shown;
    qsizetype at = 0;
    for (const Reading& reading : readings) {
        if (reading.start < at || reading.start + reading.length > line.size())
            return u"out of the line: "_s + QString::number(reading.start);
        shown += line.sliced(at, reading.start - at);
        if (reading.start > at && TakesReading(line.at(reading.start - 1).unicode()))
            shown += u'｜';
        shown += line.sliced(reading.start, reading.length);
        shown +=
            u'《' + (barred ? BarredSegments(reading.kana, reading.starts) : reading.kana) + u'》';
        at = reading.start + reading.length;
    }
    return shown += line.sliced(at);
}

// The readings of words whose kanji follow each other joined, as the table
// writes them: what counts there is the kana each run of kanji is read with,
// not how finely the proposal splits it among its words.
Readings JoinedRuns(const Readings& readings)
{
    Readings joined;
    for (const Reading& reading : readings) {
        if (!joined.isEmpty() && joined.last().start + joined.last().length == reading.start) {
            joined.last().length += reading.length;
            joined.last().kana += reading.kana;
        } else {
            joined.append(reading);
        }
    }
    return joined;
}

// The line a reader's notation is written over.
QString Written(QString notation)
{
    static const QRegularExpression readings(u"《[^》]*》"_s);
    return notation.remove(readings);
}

QString SkipReason()
{
    MecabReadings probe;
    return probe.unavailableReason();
}

} // namespace

class TestProposals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mecabOpensOnFirstNeed();
    void lyricsAreReadAsAReaderReadsThem();
    void readingsLandInTheLine_data();
    void readingsLandInTheLine();
    void withoutMecabNothingIsProposedAndTheReasonSaysWhy_data();
    void withoutMecabNothingIsProposedAndTheReasonSaysWhy();
};

void TestProposals::mecabOpensOnFirstNeed()
{
    const auto mapped = [] {
        return testfiles::readBytes(u"/proc/self/maps"_s).contains("libmecab");
    };
    QVERIFY(!mapped());
    MecabReadings readings;
    QVERIFY(!mapped());
    QCOMPARE(Shown(u"ラララ", readings.propose(u"ラララ"), false), u"ラララ"_s);
    QVERIFY(!mapped());
    if (const QString reason = readings.unavailableReason(); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    QVERIFY(mapped());
}

void TestProposals::lyricsAreReadAsAReaderReadsThem()
{
    if (const QString reason = SkipReason(); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    MecabReadings readings;
    int right = 0;
    for (const char16_t* lyric : kLyrics) {
        const QString expected = QString::fromUtf16(lyric);
        const QString line = Written(expected);
        const QString shown = Shown(line, JoinedRuns(readings.propose(line)), false);
        if (shown == expected)
            ++right;
        else
            qInfo("missed: %s, a reader reads %s", qUtf8Printable(shown), qUtf8Printable(expected));
    }
    const int count = int(std::size(kLyrics));
    const double share = double(right) / count;
    qInfo("%d of %d lines read right (%.1f %%)", right, count, share * 100);
    QVERIFY2(share >= kLeastShareRight, qPrintable(u"%1 of %2"_s.arg(right).arg(count)));
}

void TestProposals::readingsLandInTheLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no kanji") << u"ありがとう、ラララ"_s << u"ありがとう、ラララ"_s;
    QTest::newRow("an empty line") << QString() << QString();
    QTest::newRow("after Latin text") << u"Hello 世界"_s << u"Hello 世界《せ|か|い》"_s;
    QTest::newRow("after a surrogate pair") << u"🎵今日も"_s << u"🎵今日《きょ|う》も"_s;
    QTest::newRow("after a lone surrogate")
        << QString(QChar(0xD800)) + u"空"_s << QString(QChar(0xD800)) + u"空《そ|ら》"_s;
    QTest::newRow("between blanks") << u"  空  "_s << u"  空《そ|ら》  "_s;
    QTest::newRow("two words in one run of kanji, a reading each")
        << u"時々君を"_s << u"時々《と|き|ど|き》君《き|み》を"_s;
    QTest::newRow("a word read through, as one")
        << u"世界中の人と"_s << u"世界中《せ|か|い|じゅ|う》の人《ひ|と》と"_s;
    QTest::newRow("a number and its counter, as one") << u"二人きり"_s << u"二人《ふ|た|り》きり"_s;
    QTest::newRow("kanji the dictionary does not know") << u"𠮷"_s << u"𠮷"_s;
}

void TestProposals::readingsLandInTheLine()
{
    if (const QString reason = SkipReason(); !reason.isEmpty())
        QSKIP(qPrintable(reason));
    QFETCH(QString, line);
    QFETCH(QString, shown);
    MecabReadings readings;
    QCOMPARE(Shown(line, readings.propose(line), true), shown);
}

void TestProposals::withoutMecabNothingIsProposedAndTheReasonSaysWhy_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("dictionary");
    QTest::addColumn<QStringList>("named"); // what the reason names
    const QString mecab = u"libmecab.so.2"_s;
    QTest::newRow("no such library")
        << u"libmecab-none.so.2"_s << QString() << QStringList{u"libmecab2"_s};
    QTest::newRow("a library that is not MeCab")
        << u"libc.so.6"_s << QString() << QStringList{u"libc.so.6"_s, u"libmecab2"_s};
    QTest::newRow("no such dictionary folder")
        << mecab << u"/nonexistent/ipadic"_s
        << QStringList{u"/nonexistent/ipadic"_s, u"mecab-ipadic-utf8"_s};
    QTest::newRow("a folder without a dictionary")
        << mecab << u"EMPTY"_s << QStringList{u"EMPTY"_s, u"mecab-ipadic-utf8"_s};
    QTest::newRow("a dictionary MeCab cannot read")
        << mecab << u"BROKEN"_s << QStringList{u"BROKEN"_s};
    QTest::newRow("a dictionary that is not UTF-8")
        << mecab << u"/var/lib/mecab/dic/ipadic"_s
        << QStringList{u"/var/lib/mecab/dic/ipadic"_s, u"UTF-8"_s, u"mecab-ipadic-utf8"_s};
}

void TestProposals::withoutMecabNothingIsProposedAndTheReasonSaysWhy()
{
    QFETCH(QString, library);
    QFETCH(QString, dictionary);
    QFETCH(QStringList, named);
    // An empty folder, and one with a dictionary's files holding nothing.
    QTemporaryDir empty;
    if (dictionary == u"BROKEN"_s) {
        testfiles::writeBytes(empty.filePath(u"sys.dic"_s), "not a dictionary");
        testfiles::writeBytes(empty.filePath(u"dicrc"_s), "cost-factor = 800\n");
    }
    if (dictionary == u"EMPTY"_s || dictionary == u"BROKEN"_s) {
        dictionary = empty.path();
        named.replace(0, empty.path());
    }
    // The dictionary rows need the library (mecab-ipadic-utf8 comes with the
    // EUC-JP dictionary it is made from).
    if (library == u"libmecab.so.2"_s) {
        if (const QString reason = SkipReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
    }
    MecabReadings readings(library, dictionary);
    QCOMPARE(readings.propose(u"空を見上げて").size(), 0);
    const QString reason = readings.unavailableReason();
    for (const QString& name : named)
        QVERIFY2(reason.contains(name), qPrintable(reason));
}

QTEST_GUILESS_MAIN(TestProposals)
#include "tst_proposals.moc"
