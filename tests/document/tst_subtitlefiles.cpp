// Files of the subtitle forms opened as documents: which form a name and a
// content are read as, what the document gets, and where a damaged one is
// wrong. The forms themselves are read and written in their own tests.

#include "document/lyricsfile.h"

#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::DroppedParts)

namespace {

const QString kSeparator = QString(35, u'-');
constexpr ExactTime kNone = std::nullopt;

// A file of these bytes under this name, opened as the user opens one.
auto openedFile(const QString& name, const QByteArray& bytes)
{
    testfiles::WorkArea home;
    const QString path = home.filePath(name);
    testfiles::writeBytes(path, bytes);
    return ReadLyricsFile(path);
}

} // namespace

class TestSubtitleFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openedAsTheirForm_data();
    void openedAsTheirForm();
    void damagedFilesSayWhereAndWhy_data();
    void damagedFilesSayWhereAndWhy();
};

void TestSubtitleFiles::openedAsTheirForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("form"); // SubtitleForm
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("line"); // the body's first line
    QTest::addColumn<ExactTime>("time");
    QTest::addColumn<LineWords>("words");
    QTest::addColumn<DroppedParts>("dropped");

    QTest::newRow("SRT: a cue at 0 is the start text, markup dropped")
        << u"a.srt"_s
        << "1\r\n00:00:00,000 --> 00:00:02,000\r\n\xE5\x89\x8D\xE5\xA5\x8F\r\n\r\n"
           "2\r\n00:00:02,500 --> 00:00:04,000\r\n<i>\xE4\xB8\x80</i>\r\n\r\n"_ba
        << int(SubtitleForm::Srt) << u"前奏"_s << u"一"_s << ExactTime(2500) << LineWords()
        << DroppedParts{false, false, true, false};
    QTest::newRow("WebVTT: inline times are word times; a note and cue settings dropped")
        << u"b.VTT"_s
        << "WEBVTT\n\nNOTE by hand\n\n00:00:01.000 --> 00:00:03.000 align:start\n"
           "\xE3\x81\x8D\xE3\x82\x87<00:00:01.500>\xE3\x81\x86\n"_ba
        << int(SubtitleForm::WebVtt) << QString() << u"きょう"_s << ExactTime(1000)
        << LineWords{u"きょう"_s, {0, 2}, {1000, 1500}, 3000, {}}
        << DroppedParts{false, true, false, true};
    QTest::newRow("an .xml that is no TTML is a plain text")
        << u"c.xml"_s << "<note>a</note>\r\n"_ba << int(SubtitleForm::None) << QString()
        << u"<note>a</note>"_s << kNone << LineWords() << DroppedParts();
}

void TestSubtitleFiles::openedAsTheirForm()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, form);
    QFETCH(QString, start);
    QFETCH(QString, line);
    QFETCH(ExactTime, time);
    QFETCH(LineWords, words);
    QFETCH(DroppedParts, dropped);
    const auto opened = openedFile(name, bytes);
    QVERIFY(opened);
    QCOMPARE(int(opened.value().subtitle), form);
    QCOMPARE(opened.value().dropped, dropped);
    const LoadedLyrics& lyrics = opened.value().lyrics;
    QCOMPARE(lyrics.startText, start);
    QCOMPARE(lyrics.bodyText.split(u"\r\n"_s).value(1), line);
    if (form != int(SubtitleForm::None)) {
        QCOMPARE(lyrics.bodyText.split(u"\r\n"_s).value(0), kSeparator);
        QCOMPARE(lyrics.exactTimes.value(1), time);
        QCOMPARE(lyrics.wordTimes.value(1), words);
    }
}

void TestSubtitleFiles::damagedFilesSayWhereAndWhy_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("damage"); // DamageKind

    QTest::newRow("a time that is none")
        << u"bad.vtt"_s << "WEBVTT\n\n00:00:01.000 --> 00:0x:03.000\nA\n"_ba << 3
        << int(DamageKind::BadTime);
    QTest::newRow("no cue at all")
        << u"none.srt"_s << "hello\r\n"_ba << 1 << int(DamageKind::NotThisForm);
    // A file as large as one that opens reaches its reader, whatever the form.
    const QByteArray nearlyTooLarge(kMaxUserTextBytes - 16, 'x');
    for (const char* name : {"large.srt", "large.vtt", "large.ass", "large.ttml"})
        QTest::newRow(name) << QString::fromLatin1(name) << nearlyTooLarge << 1
                            << int(DamageKind::NotThisForm);
}

void TestSubtitleFiles::damagedFilesSayWhereAndWhy()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(int, damage);
    const auto opened = openedFile(name, bytes);
    QVERIFY(!opened);
    QCOMPARE(opened.error().kind, FileErrorKind::Damaged);
    QCOMPARE(opened.error().line, line);
    QCOMPARE(int(opened.error().damage), damage);
}

QTEST_APPLESS_MAIN(TestSubtitleFiles)
#include "tst_subtitlefiles.moc"
