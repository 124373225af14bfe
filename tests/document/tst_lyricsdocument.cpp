#include "document/lyricsdocument.h"
#include "document/lyricsformat.h"
#include "document/lyricsloader.h"

#include <QSignalSpy>
#include <QTest>

#include "timedrows.h"

using namespace verselet;
using namespace Qt::StringLiterals;

class TestLyricsDocument : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changesAreToldAndUnsavedUntilSaved_data();
    void changesAreToldAndUnsavedUntilSaved();
    void newAndOpenedDocumentsHoldTheTagFile();
};

void TestLyricsDocument::changesAreToldAndUnsavedUntilSaved_data()
{
    // Steps on an opened document; the signals they give, in order, and
    // whether it is unsaved after them.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("unsaved");
    QTest::newRow("nothing") << QStringList{} << QStringList{} << false;
    QTest::newRow("the same text again") << QStringList{u"body=one"_s} << QStringList{} << false;
    QTest::newRow("a text typed") << QStringList{u"header=title"_s, u"start=intro"_s}
                                  << QStringList{u"header"_s, u"start"_s} << true;
    QTest::newRow("typed, then back as it was")
        << QStringList{u"body=two"_s, u"body=one"_s} << QStringList{u"body"_s, u"body"_s} << false;
    QTest::newRow("tags kept by a run")
        << QStringList{u"keep"_s} << QStringList{u"timing"_s} << true;
    QTest::newRow("kept, then saved")
        << QStringList{u"keep"_s, u"saved"_s} << QStringList{u"timing"_s} << false;
    QTest::newRow("typed, then saved")
        << QStringList{u"body=two"_s, u"saved"_s} << QStringList{u"body"_s} << false;
    QTest::newRow("typed, then new")
        << QStringList{u"body=two"_s, u"new"_s} << QStringList{u"body"_s, u"reset"_s} << false;
}

void TestLyricsDocument::changesAreToldAndUnsavedUntilSaved()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, told);
    QFETCH(bool, unsaved);
    LyricsDocument document;
    LoadedLyrics opened;
    opened.bodyText = u"one"_s;
    document.load(opened);
    QStringList seen;
    for (const auto& [signal, name] : {std::pair{&LyricsDocument::headerChanged, u"header"_s},
                                       std::pair{&LyricsDocument::startChanged, u"start"_s},
                                       std::pair{&LyricsDocument::bodyChanged, u"body"_s},
                                       std::pair{&LyricsDocument::timingChanged, u"timing"_s},
                                       std::pair{&LyricsDocument::reset, u"reset"_s}})
        connect(&document, signal, this, [&seen, name] { seen.append(name); });
    for (const QString& step : steps) {
        const QString value = step.section(u'=', 1);
        if (step.startsWith(u"header="_s))
            document.setHeaderText(value);
        else if (step.startsWith(u"start="_s))
            document.setStartText(value);
        else if (step.startsWith(u"body="_s))
            document.setBodyText(value);
        else if (step == u"keep"_s)
            document.keepTags(TimedRows({u"-------"_s, u"[00:01]"_s}, {std::nullopt, 1234}));
        else if (step == u"saved"_s)
            document.markSaved();
        else
            document.clear();
    }
    QCOMPARE(seen, told);
    QCOMPARE(document.isModified(), unsaved);
}

void TestLyricsDocument::newAndOpenedDocumentsHoldTheTagFile()
{
    LyricsDocument document;
    QCOMPARE(document.bodyText(), kSeparatorLine.toString());
    QCOMPARE(document.tagLines(), TagTemplateLines());
    QVERIFY(document.exactTimes().isEmpty());

    LoadedLyrics lrc;
    lrc.headerText = u"title"_s;
    lrc.startText = u"intro"_s;
    lrc.bodyText = kSeparatorLine.toString() + u"\r\none"_s;
    lrc.tagLines = TagsAfterTimedLoad({u"-------"_s, u"[00:12]"_s});
    lrc.exactTimes = {std::nullopt, 12340};
    lrc.lrcOrigin = {{u"[by:someone]"_s}, LrcPrecision::Milliseconds, true, true, {}};
    document.setFileName(u"/m/song.txt"_s);
    document.load(lrc);
    QCOMPARE(document.headerText(), u"title"_s);
    QCOMPARE(document.startText(), u"intro"_s);
    QCOMPARE(document.tagLines(), lrc.tagLines);
    QCOMPARE(document.exactTimes(), lrc.exactTimes);
    QCOMPARE(document.lrcOrigin(), lrc.lrcOrigin);
    QCOMPARE(document.snapshot().lrcOrigin, lrc.lrcOrigin);
    // New keeps the name the dialogs start from, and nothing of the LRC file.
    document.clear();
    QCOMPARE(document.fileName(), u"/m/song.txt"_s);
    QCOMPARE(document.headerText(), QString());
    QCOMPARE(document.tagLines(), TagTemplateLines());
    QCOMPARE(document.lrcOrigin(), LrcOrigin());
}

QTEST_APPLESS_MAIN(TestLyricsDocument)
#include "tst_lyricsdocument.moc"
