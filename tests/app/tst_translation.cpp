// The English interface: which language a desktop gets, the translation file
// against the texts of the code, and every window read in either language.

#include "app/encodingquestion.h"
#include "app/mainwindow.h"
#include "audio/audiooutput.h"
#include "cd/calibrationwindow.h"
#include "cd/drivedialog.h"
#include "document/textfile.h"
#include "help/aboutwindow.h"
#include "help/helplauncher.h"
#include "realtime/finishdialog.h"
#include "realtime/lineselectiondialog.h"
#include "realtime/realtimecontext.h"
#include "settings/calibration.h"
#include "settings/datafiles.h"
#include "settings/drivelist.h"
#include "settings/uilanguage.h"
#include "testdisplay/testdisplaywindow.h"
#include "widgets/messages.h"
#include "widgets/wrapbutton.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QXmlStreamReader>

#include "scripteddevice.h"
#include "testfiles.h"
#include "timingrig.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;

namespace {

// Hiragana, katakana (full and half width) and the CJK ideographs: what an
// English reader cannot read. Full-width signs such as ＞ and ▼ are not.
bool hasKanaOrKanji(const QString& text)
{
    const QList<uint> chars = text.toUcs4();
    return std::any_of(chars.begin(), chars.end(), [](uint c) {
        return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) ||
               (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
               (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF66 && c <= 0xFF9F);
    });
}

QStringList placeholders(const QString& text)
{
    QStringList found;
    for (const auto& match : QRegularExpression(u"%\\d"_s).globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

bool hasAccelerator(const QString& text)
{
    return QString(text).remove(u"&&"_s).contains(u'&');
}

// Every text a window shows or may show (tool tips, combo entries, the
// texts of hidden widgets), with where it stands.
QList<QPair<QString, QString>> textsOf(QWidget* window)
{
    QList<QPair<QString, QString>> texts{
        {window->objectName() + u" title"_s, window->windowTitle()}};
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        const QString where = window->objectName() + u'/' + w->objectName();
        texts.append({where + u" tip"_s, w->toolTip()});
        if (auto* label = qobject_cast<QLabel*>(w))
            texts.append({where, QTextDocumentFragment::fromHtml(label->text()).toPlainText()});
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts.append({where, button->text()});
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts.append({where + u" entry"_s, combo->itemText(i)});
        }
    }
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        for (const QAction* menu : main->menuBar()->actions()) {
            texts.append({u"menu"_s, menu->text()});
            for (const QAction* item : menu->menu()->actions())
                texts.append({u"menu item"_s, item->text()});
        }
    }
    return texts;
}

// The shown widgets whose text is wider than the widget, or for a caption
// that wraps, taller. A text on one line is as tall in either language.
QStringList clippedIn(QWidget* window)
{
    QStringList clipped;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        QSize needed;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty())
                continue;
            // A label that wraps must hold its lines at its width.
            needed = label->wordWrap() ? QSize(0, label->heightForWidth(label->width()))
                                       : QSize(label->sizeHint().width(), 0);
        } else if (auto* push = qobject_cast<QPushButton*>(w)) {
            // A push button's size hint has a style's least width: its
            // caption must fit inside its frame, wrapped where it wraps.
            QStyleOptionButton option;
            option.initFrom(push);
            const QRect area =
                push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
            const int wraps = qobject_cast<WrapButton*>(push) ? Qt::TextWordWrap : 0;
            const QRect text = push->fontMetrics().boundingRect(area, Qt::AlignCenter | wraps,
                                                                QString(push->text()).remove(u'&'));
            // Wrapped lines are inked from the capitals' top on the first
            // to the baseline of the last; the space above and below may
            // run into the frame.
            const QFontMetrics& metrics = push->fontMetrics();
            const int ink =
                text.height() - (metrics.ascent() - metrics.capHeight()) - metrics.descent();
            needed = QSize(text.width() + w->width() - area.width(), wraps ? ink : 0);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            needed = QSize(button->sizeHint().width(), 0);
        } else {
            continue;
        }
        if (needed.width() > w->width() || needed.height() > w->height())
            clipped.append(u"%1 \"%2\" needs %3x%4 in %5x%6"_s
                               .arg(w->objectName(), w->property("text").toString())
                               .arg(needed.width())
                               .arg(needed.height())
                               .arg(w->width())
                               .arg(w->height()));
    }
    return clipped;
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetUiLanguage(UiLanguage::Japanese); }

    void languageFollowsTheDesktop_data();
    void languageFollowsTheDesktop();
    void translationHoldsEveryTextOfTheCode();
    void everyWindowReadsInItsLanguage_data();
    void everyWindowReadsInItsLanguage();
    void messagesReadInEnglish();
};

void TestTranslation::languageFollowsTheDesktop_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QString>("forced");
    QTest::addColumn<bool>("english");
    QTest::newRow("Japanese desktop") << QStringList{u"ja-JP"_s, u"ja"_s} << QString() << false;
    QTest::newRow("English desktop") << QStringList{u"en-GB"_s, u"en"_s} << QString() << true;
    QTest::newRow("another language") << QStringList{u"fr-FR"_s, u"fr"_s} << QString() << true;
    // LANGUAGE=fr:ja, as Qt lists it.
    QTest::newRow("Japanese listed after French")
        << QStringList{u"fr"_s, u"fr-Latn-FR"_s, u"fr-FR"_s, u"ja"_s, u"ja-Jpan-JP"_s, u"ja-JP"_s}
        << QString() << false;
    QTest::newRow("C locale") << QStringList{u"C"_s} << QString() << false;
    QTest::newRow("C with a charset") << QStringList{u"C.UTF-8"_s} << QString() << false;
    QTest::newRow("POSIX") << QStringList{u"en-US-u-va-posix"_s} << QString() << false;
    QTest::newRow("no locale at all") << QStringList{} << QString() << false;
    QTest::newRow("forced English") << QStringList{u"ja-JP"_s} << u"en"_s << true;
    QTest::newRow("forced Japanese") << QStringList{u"de-DE"_s} << u" JA "_s << false;
    QTest::newRow("forced nonsense") << QStringList{u"de-DE"_s} << u"klingon"_s << true;
    QTest::newRow("forced with a country") << QStringList{u"de-DE"_s} << u"ja_JP"_s << false;
    QTest::newRow("forced with a charset") << QStringList{u"ja-JP"_s} << u"en_US.UTF-8"_s << true;
    QTest::newRow("forced as a list") << QStringList{u"en-US"_s} << u"fr:ja_JP"_s << false;
}

void TestTranslation::languageFollowsTheDesktop()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(QString, forced);
    QFETCH(bool, english);
    QCOMPARE(ChooseUiLanguage(uiLanguages, forced) == UiLanguage::English, english);
}

void TestTranslation::translationHoldsEveryTextOfTheCode()
{
    // The translator's file brought up to date with the code, in a copy: a
    // text of the code not translated yet comes in unfinished, one gone from
    // the code stays as vanished.
    QTemporaryDir dir;
    const QString ts = dir.filePath(u"verselet_en.ts"_s);
    QVERIFY(QFile::copy(QStringLiteral(TS_FILE), ts));
    QProcess lupdate;
    lupdate.start(QStringLiteral(LUPDATE_PROGRAM), QStringList{QStringLiteral(SOURCE_TREE)} +
                                                       QStringLiteral(LUPDATE_OPTIONS).split(u' ') +
                                                       QStringList{u"-ts"_s, ts});
    QVERIFY(lupdate.waitForFinished(60000));
    QCOMPARE(lupdate.exitCode(), 0);

    QFile file(ts);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    bool numerus = false;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name"_s) {
            context = xml.readElementText();
        } else if (xml.name() == u"message"_s) {
            numerus = xml.attributes().value(u"numerus"_s) == u"yes"_s;
        } else if (xml.name() == u"source"_s) {
            source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.name() == u"translation"_s) {
            const QString type = xml.attributes().value(u"type"_s).toString();
            QStringList forms;
            if (numerus) {
                while (xml.readNextStartElement())
                    forms.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            } else {
                forms.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
            }
            const QString what = context + u": "_s + source;
            QVERIFY2(type.isEmpty(), qPrintable(type + u" "_s + what));
            // A count has English's two forms, one and more; the second
            // names the count.
            QVERIFY2(forms.size() == (numerus ? 2 : 1), qPrintable(what));
            QVERIFY2(!numerus || forms.last().contains(u"%n"_s), qPrintable(what));
            for (const QString& english : forms) {
                QVERIFY2(!english.isEmpty() && !hasKanaOrKanji(english), qPrintable(what));
                QVERIFY2(placeholders(english) == placeholders(source), qPrintable(what));
                // A menu may gain an access key in English, never lose one.
                QVERIFY2(!hasAccelerator(source) || hasAccelerator(english), qPrintable(what));
            }
            ++messages;
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QVERIFY(messages > 100);
}

void TestTranslation::everyWindowReadsInItsLanguage_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("English") << true;
    QTest::newRow("Japanese") << false;
}

void TestTranslation::everyWindowReadsInItsLanguage()
{
    QFETCH(bool, english);
    SetUiLanguage(english ? UiLanguage::English : UiLanguage::Japanese);
    WorkArea home;
    MainWindow main;
    QVERIFY(main.Form_Load());
    main.show();

    // Lyrics and file names are the user's, in Latin letters here, so that
    // every kana in the English run is the program's own.
    LineSelectionDialog selection(&main);
    selection.setRows({{u"[00:01]First line"_s, true}, {u"[--:--]Second line"_s, false}});
    TimingRig timing;
    timing.open(std::make_unique<ScriptedDevice>(QList<qint32>{61000, 95000}), ChosenDriveName(),
                u"1"_s, &main);
    timing->run().lines().setRows(
        TimingRowsFromList({u"[00:01]First line"_s, u"[00:05]Second line"_s}));
    TestDisplayWindow display(TestDisplayWindow::Start::FromBeginning, timing->run(), u"Intro"_s,
                              timing.get());
    RealtimeContext context;
    context.work = home.work;
    FinishDialog finish(context, timing->run().lines().sheet().rows(), {}, timing.get());
    DriveDialog drives(MakeSilentOutput, &main);
    CalibrationWindow calibration(MakeSilentOutput, &drives);
    AboutWindow about(&main);
    EncodingQuestion question(u"/home/u/song.txt"_s, "First line\r\n", TextEncoding::Cp932,
                              ReadingDoubt::OtherEncoding, &main);

    // The windows' titles and the demo disc's entry; each window's own test
    // reads them in Japanese.
    auto* discs = drives.findChild<QComboBox*>(u"Combo1"_s);
    if (english)
        QCOMPARE((QStringList{selection.windowTitle(), timing->windowTitle(), display.windowTitle(),
                              finish.windowTitle(), drives.windowTitle(),
                              discs->itemText(discs->count() - 1)}),
                 (QStringList{u"Choose Lines"_s, u"Real-time Input"_s, u"Test Display"_s,
                              u"End of Real-time Input"_s, u"Settings"_s, u"Demo disc"_s}));

    int japaneseTexts = 0;
    for (QWidget* window : QList<QWidget*>{&main, &selection, timing.get(), &display, &finish,
                                           &drives, &calibration, &about, &question}) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        for (const auto& [where, text] : textsOf(window)) {
            if (english)
                QVERIFY2(!hasKanaOrKanji(text), qPrintable(where + u": "_s + text));
            japaneseTexts += hasKanaOrKanji(text) ? 1 : 0;
        }
        const QStringList clipped = clippedIn(window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u"; "_s)));
        window->hide();
    }
    // Japanese again once the translation is taken away.
    QCOMPARE(japaneseTexts > 50, !english);
    QCOMPARE(QFileInfo(HelpFilePath()).fileName(), english ? u"index.en.html"_s : u"index.html"_s);
    QVERIFY(QFileInfo(HelpFilePath()).isFile());

    // Qt's own dialogs too, where Qt's translations are installed.
    if (!english &&
        !QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u"/qtbase_ja.qm"_s))
        QSKIP("qtbase_ja.qm (Debian's qt6-translations-l10n) is not installed: Qt's dialogs stay "
              "English");
    QMessageBox box(QMessageBox::Question, u"Verselet"_s, u"?"_s,
                    QMessageBox::Ok | QMessageBox::Cancel);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE((QStringList{box.button(QMessageBox::Cancel)->text(),
                          files.labelText(QFileDialog::Accept)}),
             english ? (QStringList{u"Cancel"_s, u"&Open"_s})
                     : (QStringList{u"キャンセル"_s, u"開く(&O)"_s}));
}

void TestTranslation::messagesReadInEnglish()
{
    // The message texts made outside a window class, each with what it
    // names; they come from contexts of their own. Then the texts that
    // count, for one and for two.
    SetUiLanguage(UiLanguage::English);
    const WorkFolder work(u"/home/u/.cache/verselet/temp"_s);
    FileError unmappable;
    unmappable.kind = FileErrorKind::Unmappable;
    unmappable.line = 3;
    unmappable.column = 7;
    unmappable.character = U'\u2460';
    const auto counted = [](std::pair<const char*, const char*> text, int n) {
        return QCoreApplication::translate(text.first, text.second, nullptr, n);
    };
    const std::pair kPresses{"verselet::CalibrationWindow", "測定中... %n 回"};
    const std::pair kTooFew{"verselet::CalibrationWindow",
                            "クリック音に合わせて押された回数が足りないため、測定できませんでした。"
                            "\r\n(%n 回、%1 回以上必要です)"};
    const std::pair kUntimed{
        "Messages",
        "タイムが入っていない歌詞が %n 行あります。このままLRCファイルを作成しますか？"};
    FileError notText{FileErrorKind::NotText, u"/home/u/x.txt"_s};
    notText.line = 12;
    const QList<QPair<QString, QString>> messages{
        {FileErrorText(unmappable, work), u"Line 3, character 7: “①” (U+2460)"_s},
        {TextFileNotSavedText(work), work.textFile() + u"t could"_s},
        {CannotOpenFileText(notText.path, notText), u"opened.\r\n/home/u/x.txt\r\nLine 12"_s},
        {ReadingDoubtText(notText.path, ReadingDoubt::InvalidBytes, TextEncoding::Big5),
         u"no Big5 (Traditional Chinese) text"_s},
        {RecoveryQuestionText(QDateTime(QDate(2026, 12, 8), QTime(9, 5))), u"2026/12/08 09:05"_s},
        {HelpFailureText(kHelpLaunchFailed), QString::number(kHelpLaunchFailed)},
        {CalibrationText({132, 18}), u"+132 ms (±18)"_s},
        {counted(kPresses, 1), u"Measuring... 1 press"_s},
        {counted(kPresses, 2), u"Measuring... 2 presses"_s},
        {counted(kTooFew, 1), u"(1 press; at least %1 are needed)"_s},
        {counted(kTooFew, 2), u"(2 presses; at least %1 are needed)"_s},
        {counted(kUntimed, 1), u"1 lyric line has no time."_s},
        {counted(kUntimed, 2), u"2 lyric lines have no time."_s},
        {counted({"verselet::StatusLine", "歌詞 %n 行"}, 1), u"1 lyric line"_s},
        {counted({"verselet::StatusLine", "歌詞 %n 行"}, 3), u"3 lyric lines"_s},
    };
    for (const auto& [text, named] : messages) {
        QVERIFY2(!hasKanaOrKanji(text), qPrintable(text));
        QVERIFY2(text.contains(named), qPrintable(text));
    }
}

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
