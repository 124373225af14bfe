#include "document/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

QByteArray encoded(const char* codec, const QString& text)
{
    QStringEncoder encoder(codec);
    return encoder.encode(text);
}

// Korean lyrics as their writers' own systems save them.
const QString kKorean = u"밤하늘의 노래\r\n[00:00]바람이 불어오는 곳\r\n-------\r\n"
                        u"[00:12]너와 함께 걷던 그 길 위에\r\n[00:31]사랑해 오늘도 내일도\r\n"_s;

} // namespace

class TestTextFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cp932RoundTrips_data();
    void cp932RoundTrips();
    void unlabelledBytesAreReadAsTheyWereWritten_data();
    void unlabelledBytesAreReadAsTheyWereWritten();
    void invalidBytesBecomeReplacementCharacters_data();
    void invalidBytesBecomeReplacementCharacters();
    void unmappableCharacterIsLocated_data();
    void unmappableCharacterIsLocated();
    void foldedCharactersTakeTheirCp932Codes_data();
    void foldedCharactersTakeTheirCp932Codes();
    void userTextEncodingIsDetected_data();
    void userTextEncodingIsDetected();
    void everyLineEndBecomesCrLf_data();
    void everyLineEndBecomesCrLf();
    void userFileFailures();
    void readingIsDoubtedUnlessItIsClean_data();
    void readingIsDoubtedUnlessItIsClean();
    void chosenEncodingReadsTheBytes_data();
    void chosenEncodingReadsTheBytes();
    void userFileAtTheSizeLimitIsRead();
    void userFileWithoutReadPermission();
    void workLinesSplitAtCarriageReturns_data();
    void workLinesSplitAtCarriageReturns();
    void workFileBytesAreExact();
    void writingEmptiesTheFileFirst();
    void unmappableTextLeavesTheFileUntouched();
    void writeFailuresAreReported();
    void plantedLinkIsReplacedNotWrittenThrough();
};

void TestTextFile::cp932RoundTrips_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii with backslash and tilde")
        << QByteArray("a\\b~c[01:05]") << u"a\\b~c[01:05]"_s;
    QTest::newRow("fullwidth tilde 81 60") << QByteArray("\x81\x60") << u"\uFF5E"_s;
    QTest::newRow("circled one 87 40") << QByteArray("\x87\x40") << u"\u2460"_s;
    QTest::newRow("hiragana and kanji") << QByteArray("\x82\xA0\x8A\xBF\x8E\x9A") << u"あ漢字"_s;
    QTest::newRow("halfwidth katakana") << QByteArray("\xC3\xB7\xBD\xC4") << u"ﾃｷｽﾄ"_s;
    QTest::newRow("line ends kept") << QByteArray("a\r\nb\nc\r") << u"a\r\nb\nc\r"_s;
}

void TestTextFile::cp932RoundTrips()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const DecodedText decoded = DecodeCp932(bytes);
    QCOMPARE(decoded.text, text);
    QVERIFY(!decoded.hadInvalidBytes);
    const auto encoded = EncodeCp932(text);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.value(), bytes);
}

void TestTextFile::unlabelledBytesAreReadAsTheyWereWritten_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8") << "\xE6\x9C\x9D\xE3\x81\xAE\xE7\xAA\x93"_ba << u"朝の窓"_s;
    QTest::newRow("Shift-JIS") << "\x92\xA9\x82\xCC\x91\x8B"_ba << u"朝の窓"_s;
    QTest::newRow("Latin-1 at the end") << "Caf\xE9"_ba << u"Café"_s;
    QTest::newRow("Latin-1 before a blank, no Shift-JIS trail byte")
        << "Beyonc\xE9 Knowles"_ba << u"Beyoncé Knowles"_s;
    QTest::newRow("ASCII") << "Second"_ba << u"Second"_s;
}

void TestTextFile::unlabelledBytesAreReadAsTheyWereWritten()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeUnlabelledText(bytes), text);
}

void TestTextFile::invalidBytesBecomeReplacementCharacters_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("lead byte cut off at the end") << QByteArray("ab\x82") << u"ab\uFFFD"_s;
    QTest::newRow("lead byte before a space") << QByteArray("\x82 x") << u"\uFFFD x"_s;
    QTest::newRow("bytes that are no character")
        << QByteArray("\x80\xA0\xFD\xFF") << u"\uFFFD\uFFFD\uFFFD\uFFFD"_s;
    QTest::newRow("NUL byte") << QByteArray("a\0b", 3) << u"a\uFFFDb"_s;
    QTest::newRow("only a lead byte") << QByteArray("\x88") << u"\uFFFD"_s;
}

void TestTextFile::invalidBytesBecomeReplacementCharacters()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const DecodedText decoded = DecodeCp932(bytes);
    QCOMPARE(decoded.text, text);
    QVERIFY(decoded.hadInvalidBytes);
    // A replacement character can never be written back as something else.
    const auto encoded = EncodeCp932(decoded.text);
    QVERIFY(!encoded.ok());
    QCOMPARE(encoded.error().character, char32_t(0xFFFD));
}

void TestTextFile::unmappableCharacterIsLocated_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("character");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::newRow("hangul") << u"\uD55C"_s << 0xD55Cu << 1 << 1;
    QTest::newRow("yen sign has no look-alike to fold to") << u"\u00A5100"_s << 0xA5u << 1 << 1;
    QTest::newRow("folded characters before it keep the columns")
        << u"\u301C\u2212\u00A0\u2028"_s << 0x2028u << 1 << 4;
    QTest::newRow("emoji on the second line") << u"abc\r\nd\U0001F600e"_s << 0x1F600u << 2 << 2;
    QTest::newRow("after an emoji on the same line columns count characters")
        << u"\U0001F600"_s << 0x1F600u << 1 << 1;
    QTest::newRow("lone LF and CR end lines too") << u"a\nb\rc\r\n\u00E9"_s << 0xE9u << 4 << 1;
    QTest::newRow("lone surrogate") << u"ab"_s + QChar(0xD800) << 0xD800u << 1 << 3;
}

void TestTextFile::unmappableCharacterIsLocated()
{
    QFETCH(QString, text);
    QFETCH(uint, character);
    QFETCH(int, line);
    QFETCH(int, column);
    const auto encoded = EncodeCp932(text);
    QVERIFY(!encoded.ok());
    QCOMPARE(uint(encoded.error().character), character);
    QCOMPARE(encoded.error().line, line);
    QCOMPARE(encoded.error().column, column);
}

void TestTextFile::foldedCharactersTakeTheirCp932Codes_data()
{
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("folded");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wave dash") << u"\u301C"_s << u"\uFF5E"_s << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << u"\u2212"_s << u"\uFF0D"_s << QByteArray("\x81\x7C");
    QTest::newRow("double vertical line") << u"\u2016"_s << u"\u2225"_s << QByteArray("\x81\x61");
    QTest::newRow("cent sign") << u"\u00A2"_s << u"\uFFE0"_s << QByteArray("\x81\x91");
    QTest::newRow("pound sign") << u"\u00A3"_s << u"\uFFE1"_s << QByteArray("\x81\x92");
    QTest::newRow("not sign") << u"\u00AC"_s << u"\uFFE2"_s << QByteArray("\x81\xCA");
    QTest::newRow("em dash") << u"\u2014"_s << u"\u2015"_s << QByteArray("\x81\x5C");
    QTest::newRow("no-break space") << u"\u00A0"_s << u" "_s << QByteArray(" ");
    QTest::newRow("in a line") << u"[01:05]\u3042\u301C\u3044"_s << u"[01:05]\u3042\uFF5E\u3044"_s
                               << QByteArray("[01:05]\x82\xA0\x81\x60\x82\xA2");
}

void TestTextFile::foldedCharactersTakeTheirCp932Codes()
{
    QFETCH(QString, original);
    QFETCH(QString, folded);
    QFETCH(QByteArray, bytes);
    // Text is folded whenever it is written as code page 932...
    QCOMPARE(FoldForCp932(original), folded);
    QVERIFY(CanEncodeCp932(original));
    const auto encoded = EncodeCp932(original);
    QVERIFY(encoded.ok());
    QCOMPARE(encoded.value(), bytes);
    // ...but never as it is read: a UTF-8 or UTF-16 file keeps its
    // characters, and code page 932 text holds the folded ones.
    const UserText utf8 = DecodeUserText(original.toUtf8());
    QCOMPARE(utf8.text, original);
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(original.utf16()), original.size() * 2);
    QCOMPARE(DecodeUserText(utf16).text, original);
    QCOMPARE(DecodeUserText(bytes).text, folded);
    // A work text that must come back whole comes back as it was written.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"whole.tmp"_s);
    QVERIFY(WriteWorkTextWhole(path, original).ok());
    QCOMPARE(ReadWorkFile(path).value(), QStringList{original});
    QVERIFY(WriteWorkTextWhole(path, folded).ok());
    QCOMPARE(readBytes(path), bytes);
}

void TestTextFile::userTextEncodingIsDetected_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("invalid");
    const int cp932 = int(TextEncoding::Cp932);
    const int utf8 = int(TextEncoding::Utf8);
    const int utf16 = int(TextEncoding::Utf16);
    QTest::newRow("shift-jis") << QByteArray("\x89\xCC\x8E\x8C") << u"歌詞"_s << cp932 << false;
    QTest::newRow("ascii") << QByteArray("[00:00]abc") << u"[00:00]abc"_s << cp932 << false;
    QTest::newRow("utf-8 without BOM")
        << QByteArray("\xE6\xAD\x8C\xE8\xA9\x9E") << u"歌詞"_s << utf8 << false;
    QTest::newRow("utf-8 BOM is not text") << QByteArray("\xEF\xBB\xBF"
                                                         "abc")
                                           << u"abc"_s << utf8 << false;
    QTest::newRow("utf-8 BOM with a broken sequence") << QByteArray("\xEF\xBB\xBF"
                                                                    "a\xE6\xAD")
                                                      << u"a\uFFFD\uFFFD"_s << utf8 << true;
    QTest::newRow("shift-jis that is not utf-8")
        << QByteArray("\x82\xA0\x82\xA2") << u"あい"_s << cp932 << false;
    QTest::newRow("utf-16le BOM") << QByteArray("\xFF\xFE\x4C\x6B\x5E\x8A\n\0", 8) << u"歌詞\r\n"_s
                                  << utf16 << false;
    QTest::newRow("utf-16be BOM") << QByteArray("\xFE\xFF\x6B\x4C", 4) << u"歌"_s << utf16 << false;
}

void TestTextFile::userTextEncodingIsDetected()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(bool, invalid);
    const UserText decoded = DecodeUserText(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(int(decoded.encoding), encoding);
    QCOMPARE(decoded.hadInvalidBytes, invalid);
}

void TestTextFile::everyLineEndBecomesCrLf_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("mixed") << u"a\nb\rc\r\nd"_s << u"a\r\nb\r\nc\r\nd"_s;
    QTest::newRow("CR CR LF is two line ends") << u"a\r\r\nb"_s << u"a\r\n\r\nb"_s;
    QTest::newRow("LF CR is two line ends") << u"\n\r"_s << u"\r\n\r\n"_s;
    QTest::newRow("trailing lone CR") << u"x\r"_s << u"x\r\n"_s;
    QTest::newRow("nothing to do") << u"x\r\ny"_s << u"x\r\ny"_s;
}

void TestTextFile::everyLineEndBecomesCrLf()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(NormalizeLineEnds(in), out);
    // What the user opens is normalised before anything looks at it.
    QCOMPARE(DecodeUserText(in.toLatin1()).text, out);
}

void TestTextFile::userFileFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    auto missing = ReadUserTextFile(dir.filePath(u"none.txt"_s));
    QVERIFY(!missing.ok());
    QCOMPARE(missing.error().kind, FileErrorKind::NotFound);
    QVERIFY(!QFile::exists(dir.filePath(u"none.txt"_s)));

    auto folder = ReadUserTextFile(dir.path());
    QVERIFY(!folder.ok());
    QCOMPARE(folder.error().kind, FileErrorKind::Unreadable);

    const QString binary = dir.filePath(u"binary.txt"_s);
    writeBytes(binary, QByteArray("ID3\0\0\x01", 6));
    auto notText = ReadUserTextFile(binary);
    QVERIFY(!notText.ok());
    QCOMPARE(notText.error().kind, FileErrorKind::NotText);
    QCOMPARE(notText.error().line, 1);
    // Its line, each of CR LF, LF and CR ending one.
    writeBytes(binary, QByteArray("a\r\nb\nc\rd\0", 10));
    QCOMPARE(ReadUserTextFile(binary).error().line, 4);

    // A NUL character in UTF-16 is refused the same way.
    const QString utf16Nul = dir.filePath(u"nul16.txt"_s);
    writeBytes(utf16Nul, QByteArray("\xFF\xFE"
                                    "a\0\0\0b\0",
                                    8));
    auto notText16 = ReadUserTextFile(utf16Nul);
    QVERIFY(!notText16.ok());
    QCOMPARE(notText16.error().kind, FileErrorKind::NotText);
    QCOMPARE(notText16.error().line, 1);
    // The same in UTF-16 chosen for a file without a BOM.
    writeBytes(utf16Nul, QByteArray("a\0\n\0\0\0", 6));
    QCOMPARE(ReadUserTextFile(utf16Nul, TextEncoding::Utf16).error().line, 2);
    // UTF-16 as such holds zero bytes and is read.
    writeBytes(utf16Nul, QByteArray("\xFF\xFE"
                                    "a\0b\0",
                                    6));
    auto utf16Text = ReadUserTextFile(utf16Nul);
    QVERIFY(utf16Text.ok());
    QCOMPARE(utf16Text.value().text, u"ab"_s);

    const QString large = dir.filePath(u"large.txt"_s);
    {
        QFile f(large);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxUserTextBytes + 1));
    }
    auto tooLarge = ReadUserTextFile(large);
    QVERIFY(!tooLarge.ok());
    QCOMPARE(tooLarge.error().kind, FileErrorKind::TooLarge);
    QCOMPARE(tooLarge.error().path, large);
}

void TestTextFile::readingIsDoubtedUnlessItIsClean_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadingDoubt>("doubt");
    const auto doubted = ReadingDoubt::OtherEncoding;
    const auto clean = ReadingDoubt::None;
    // Lines that are valid code page 932 all the same: half-width katakana.
    QTest::newRow("Korean") << encoded("EUC-KR", u"[00:18]작은 별빛이 내려앉아\r\n"_s) << doubted;
    QTest::newRow("simplified Chinese")
        << encoded("GB18030", u"月亮悄悄地照亮了我的心\r\n"_s) << doubted;
    QTest::newRow("traditional Chinese") << encoded("Big5", u"不要忘記今天的約定\r\n"_s) << doubted;
    QTest::newRow("Korean lyrics") << encoded("EUC-KR", kKorean) << ReadingDoubt::InvalidBytes;
    QTest::newRow("UTF-8 BOM, broken")
        << QByteArray("\xEF\xBB\xBF\xE6") << ReadingDoubt::InvalidBytes;
    QTest::newRow("UTF-16 cut in the middle of a character")
        << QByteArray("\xFF\xFE\x93\x30\x93") << ReadingDoubt::InvalidBytes;
    // Japanese in half-width katakana: words of odd length, or kanji beside.
    QTest::newRow("half-width katakana alone")
        << encoded("CP932", u"ﾖｿﾞﾗﾉ ｳﾀ\r\n[00:12]ｱｲｼﾃﾙ ｷﾐｦ\r\n"_s) << clean;
    QTest::newRow("beside kanji and signs") << encoded("CP932", u"～♪①㈱ ﾃｷｽﾄ文書 ｶﾗｵｹ"_s) << clean;
}

void TestTextFile::readingIsDoubtedUnlessItIsClean()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadingDoubt, doubt);
    const UserText read = DecodeUserText(bytes);
    QCOMPARE(DoubtAboutReading(bytes, read), doubt);
    // What gives the doubt away is not the decoder's error flag.
    if (doubt == ReadingDoubt::OtherEncoding)
        QVERIFY(!read.hadInvalidBytes);
}

void TestTextFile::chosenEncodingReadsTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("invalid");
    QTest::newRow("GB18030") << encoded("GB18030", u"我们的歌\n"_s) << TextEncoding::Gb18030
                             << u"我们的歌\r\n"_s << false;
    // 똠 is one of the Hangul that only code page 949 has.
    QTest::newRow("EUC-KR") << encoded("windows-949", u"똠방각하"_s) << TextEncoding::EucKr
                            << u"똠방각하"_s << false;
    QTest::newRow("Shift-JIS that is UTF-8 too")
        << QByteArray("\xC3\xA9") << TextEncoding::Cp932 << u"ﾃｩ"_s << false;
    QTest::newRow("UTF-16 without a BOM")
        << QByteArray("\x4C\x6B\n\0", 4) << TextEncoding::Utf16 << u"歌\r\n"_s << false;
    QTest::newRow("a lead byte cut off")
        << QByteArray("a\xC4") << TextEncoding::Gb18030 << u"a\uFFFD"_s << true;
}

void TestTextFile::chosenEncodingReadsTheBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, text);
    QFETCH(bool, invalid);
    const UserText read = DecodeUserTextAs(bytes, encoding);
    QCOMPARE(read.text, text);
    QCOMPARE(read.encoding, encoding);
    QCOMPARE(read.hadInvalidBytes, invalid);
}

void TestTextFile::userFileAtTheSizeLimitIsRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"limit.txt"_s);
    QByteArray bytes(kMaxUserTextBytes, 'a');
    bytes[0] = '\x82';
    bytes[1] = '\xA0';
    writeBytes(path, bytes);
    auto read = ReadUserTextFile(path);
    QVERIFY(read.ok());
    QCOMPARE(read.value().text.size(), kMaxUserTextBytes - 1);
    QCOMPARE(read.value().text.front(), QChar(u'あ'));
}

void TestTextFile::userFileWithoutReadPermission()
{
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther));
    const QString path = dir.filePath(u"secret.txt"_s);
    writeBytes(path, "lyrics");
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));

    int kind = -1;
    if (geteuid() != 0) {
        const auto read = ReadUserTextFile(path);
        QVERIFY(!read.ok());
        kind = int(read.error().kind);
    } else {
        // Root reads anything: the reading is done by this program again, as
        // the unprivileged user "nobody".
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        if (setpriv.isEmpty())
            QSKIP("setpriv (util-linux) is needed to drop root's privileges");
        const auto readAsNobody = [&setpriv](const QString& file) {
            QProcess child;
            child.start(setpriv, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                  QCoreApplication::applicationFilePath(), u"--read"_s, file});
            return child.waitForFinished(10000) && child.exitStatus() == QProcess::NormalExit
                       ? child.exitCode()
                       : -1;
        };
        // The same user reads a file it may read: the refusal below is the
        // file's permission, not the set-up.
        const QString open = dir.filePath(u"open.txt"_s);
        writeBytes(open, "lyrics");
        QCOMPARE(readAsNobody(open), 100);
        kind = readAsNobody(path);
    }
    QCOMPARE(kind, int(FileErrorKind::Unreadable));
}

void TestTextFile::workLinesSplitAtCarriageReturns_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("last line without end") << u"a"_s << QStringList{u"a"_s};
    QTest::newRow("CR alone ends a line") << u"a\rb\r"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("LF after CR consumed") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone LF is a character") << u"a\nb\r\n"_s << QStringList{u"a\nb"_s};
    QTest::newRow("LF at the start of a line") << u"a\r\n\nb"_s << QStringList{u"a"_s, u"\nb"_s};
    QTest::newRow("CR CR LF gives an empty line") << u"a\r\r\n"_s << QStringList{u"a"_s, QString()};
    QTest::newRow("empty lines") << u"\r\n\r\n"_s << QStringList{QString(), QString()};
}

void TestTextFile::workLinesSplitAtCarriageReturns()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(SplitWorkLines(text), lines);
}

void TestTextFile::workFileBytesAreExact()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"w.tmp"_s);
    const QStringList lines{u"[01:05]～①"_s, QString(), u"ﾃｷｽﾄ"_s};
    QVERIFY(WriteWorkLines(path, lines).ok());
    QCOMPARE(readBytes(path), QByteArray("[01:05]\x81\x60\x87\x40\r\n\r\n\xC3\xB7\xBD\xC4\r\n"));
    auto back = ReadWorkFile(path);
    QVERIFY(back.ok());
    QCOMPARE(back.value(), lines);

    auto missing = ReadWorkFile(dir.filePath(u"none.tmp"_s));
    QVERIFY(!missing.ok());
    QCOMPARE(missing.error().kind, FileErrorKind::NotFound);
}

void TestTextFile::writingEmptiesTheFileFirst()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"w.tmp"_s);
    writeBytes(path, QByteArray(5000, 'x'));
    QVERIFY(WriteWorkText(path, u"ab"_s).ok());
    QCOMPARE(readBytes(path), QByteArray("ab"));
}

void TestTextFile::unmappableTextLeavesTheFileUntouched()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"w.tmp"_s);
    writeBytes(path, "old\r\n");
    auto written = WriteWorkLines(path, {u"ok"_s, u"a\uD55Cb"_s});
    QVERIFY(!written.ok());
    QCOMPARE(written.error().kind, FileErrorKind::Unmappable);
    QCOMPARE(written.error().path, path);
    QCOMPARE(uint(written.error().character), 0xD55Cu);
    QCOMPARE(written.error().line, 2);
    QCOMPARE(written.error().column, 2);
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
}

void TestTextFile::writeFailuresAreReported()
{
    QTemporaryDir dir;
    auto noFolder = WriteWorkText(dir.filePath(u"missing/w.tmp"_s), u"a"_s);
    QVERIFY(!noFolder.ok());
    QCOMPARE(noFolder.error().kind, FileErrorKind::Unwritable);

    // A disk that is full takes the open but not the bytes.
    auto full = WriteWorkText(u"/dev/full"_s, u"a"_s);
    QVERIFY(!full.ok());
    QCOMPARE(full.error().kind, FileErrorKind::Unwritable);
}

void TestTextFile::plantedLinkIsReplacedNotWrittenThrough()
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(u"precious.txt"_s);
    writeBytes(outside, "keep me");
    const QString work = dir.filePath(u"rigth.tmp"_s);
    QVERIFY(QFile::link(outside, work));
    QVERIFY(WriteWorkLines(work, {u"new"_s}).ok());
    QCOMPARE(readBytes(outside), QByteArray("keep me"));
    QVERIFY(!QFileInfo(work).isSymLink());
    QCOMPARE(readBytes(work), QByteArray("new\r\n"));
}

// "--read PATH" reads a file the way the program opens one and exits with the
// error kind, or 100 when it was read.
int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--read") == 0) {
        const auto read = ReadUserTextFile(QString::fromLocal8Bit(argv[2]));
        return read.ok() ? 100 : int(read.error().kind);
    }
    QCoreApplication app(argc, argv);
    TestTextFile test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_textfile.moc"
