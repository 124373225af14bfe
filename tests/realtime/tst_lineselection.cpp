#include "audio/cdaudiodevice.h"
#include "document/lyricsdocument.h"
#include "realtime/lineselectiondialog.h"
#include "realtime/realtimecontext.h"
#include "realtime/realtimeinput.h"
#include "timing/timingwindow.h"
#include "workfiles/workfiles.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

#include "modalscript.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "widgetnames.h"

using namespace verselet;
using namespace Qt::StringLiterals;
using namespace testfiles;
using namespace testmodal;

namespace {

const QString kHyphens35(35, u'-');

// A disc with one track of a minute that never plays: the timing window opens
// it without a message and the tests decide when a run ends.
class OneTrackDisc : public CdAudioDevice
{
public:
    void setFileName(const QString& name) override { m_name = name; }
    QString FileName() const override { return m_name; }
    void setCommand(const QString& command) override
    {
        if (command == u"Open"_s)
            Q_EMIT opened(true);
    }
    void setTimeFormat(int) override {}
    int TimeFormat() const override { return 0; }
    int Tracks() const override { return 1; }
    void setTrack(int) override {}
    int Track() const override { return 1; }
    qint32 TrackLength() const override { return 60000; }
    qint32 TrackPosition() const override { return 0; }
    qint32 Position() const override { return 0; }
    void setFrom(qint32) override {}
    bool isPlaying() const override { return false; }
    bool isSilent() const override { return true; }

private:
    QString m_name;
};

// Reads its disc the way a real drive does: Open returns at once, and the
// disc is read a while later, the event loop running meanwhile.
class SlowDisc final : public OneTrackDisc
{
public:
    explicit SlowDisc(std::function<void()> whileOpening) : m_whileOpening(std::move(whileOpening))
    {
    }
    void setCommand(const QString& command) override
    {
        if (command != u"Open"_s)
            return;
        QTimer::singleShot(50, this, m_whileOpening);
        QTimer::singleShot(300, this, [this] { Q_EMIT opened(true); });
    }

private:
    std::function<void()> m_whileOpening;
};

// What a real-time input needs of the editor, without the editor: a window
// to stand over, the document, and the command that writes the body to the
// text file and runs the input over the window.
class Editor final : public QWidget
{
public:
    explicit Editor(const WorkFolder& work) : m_work(work) {}
    void setBodyText(const QString& text) { m_document.setBodyText(text); }
    QString bodyText() const { return m_document.bodyText(); }
    void setDeviceFactory(std::function<std::unique_ptr<CdAudioDevice>()> make)
    {
        m_makeDevice = std::move(make);
    }
    void realTimeInput()
    {
        const auto rows = PrepareLineSelection(m_work, m_document.bodyText());
        QVERIFY(rows.ok());
        RealtimeContext context;
        context.work = m_work;
        context.document = &m_document;
        context.makeDevice = m_makeDevice;
        RealtimeInput(context).run(rows.value(), this);
    }

private:
    WorkFolder m_work;
    LyricsDocument m_document;
    std::function<std::unique_ptr<CdAudioDevice>()> m_makeDevice;
};

// A step of a modal script posts what it presses or closes before it looks
// at the window: the windows open one inside the other, so the action must
// run from the event loop after the step, and a check that fails half-way
// still lets the command end.
void press(QWidget* window, const QString& buttonName)
{
    if (auto* button = window->findChild<QPushButton*>(buttonName))
        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
    else
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

void closeByFrame(QWidget* window)
{
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

struct Row
{
    QString text;
    bool marked;
    friend bool operator==(const Row&, const Row&) = default;
};

QList<Row> rowsOf(const QListWidget* list)
{
    QList<Row> rows;
    for (int i = 0; i < list->count(); ++i)
        rows.append({list->item(i)->text(), list->item(i)->checkState() == Qt::Checked});
    return rows;
}

char* toString(const Row& row)
{
    return QTest::toString(u"%1 %2"_s.arg(row.marked ? u"[x]"_s : u"[ ]"_s, row.text));
}

void setMark(QListWidget* list, int row, bool marked)
{
    list->item(row)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
}

// The body lines and the tag file of the timing-list tests, line by line:
//   tag        text   marked as listed, then by the user
//   -------    (sep)  no
//   [01:05]    一     yes
//   [00:10]    二     yes, unmarked
//   [--:--]    ""     yes
//   ""         ""     no
//   ab         cd     no
//   -------    三     no, marked
//   [--:--]    四     yes, unmarked
//   [02:00]    五     yes
// The text has one line more, 六, which has no tag line and takes no part.
const QString kBody = kHyphens35 + u"\r\n一\r\n二\r\n\r\n\r\ncd\r\n三\r\n四\r\n五\r\n六"_s;
const QByteArray kTags = "-------\r\n[01:05]\r\n[00:10]\r\n[--:--]\r\n\r\nab\r\n-------\r\n"
                         "[--:--]\r\n[02:00]\r\n";
const QList<Row> kListed = {{kHyphens35, false}, {u"一"_s, true},    {u"二"_s, true},
                            {QString(), true},   {QString(), false}, {u"cd"_s, false},
                            {u"三"_s, false},    {u"四"_s, true},    {u"五"_s, true}};

void markAsTheUserDoes(QListWidget* list)
{
    setMark(list, 6, true);
    setMark(list, 2, false);
    setMark(list, 7, false);
}

const QStringList kTimingRows = {
    u"-------"_s + kHyphens35, // the separator is never counted
    u"[01:05]一"_s,            // kept marked: its time stays
    u"       二"_s,            // unmarked: its time is dropped
    u"[--:--]"_s,              // an empty line, marked: the tag alone
    QString(),                 // an empty tag, unmarked, stays empty
    u"abcd"_s,                 // a short tag, unmarked, is not filled up
    u"[--:--]三"_s,            // not counted before, newly marked
    u"       四"_s,            // untimed, unmarked
    u"[02:00]五"_s,
};

} // namespace

class TestLineSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void widgetsHaveTheirPlacesTextsAndFont();
    void dialogIsCentredOnTheEditor();
    void rowsCarryTheirOwnMarks();
    void selectAllAndClearAllMarkEveryRowAndGoToTheTop();
    void separatorsAreNeverMarkedNorStamped();
    void realTimeInputListsTheTagFileMarksModally();
    void closingByTheFrameWritesNothing();
    void okTimesTheRowsByTheMarksUntilARunEndsTheInput();
    void savedRunIsWhatTheNextInputLists();
    void whileTheDiscIsReadTheDialogTakesNoInput();
    void unreadableWorkFileStartsNoRun();

private:
    // The editor on the test's own folders, with a disc that needs no drive.
    std::unique_ptr<Editor> startEditor();
    const WorkFolder& work() const { return m_home->work; }

    std::unique_ptr<WorkArea> m_home;
};

void TestLineSelection::init()
{
    m_home = std::make_unique<WorkArea>();
}

void TestLineSelection::cleanup()
{
    m_home.reset();
}

std::unique_ptr<Editor> TestLineSelection::startEditor()
{
    if (!WriteTagTemplate(work()).ok())
        return nullptr;
    auto w = std::make_unique<Editor>(work());
    w->setDeviceFactory([] { return std::unique_ptr<CdAudioDevice>(new OneTrackDisc); });
    return w;
}

void TestLineSelection::widgetsHaveTheirPlacesTextsAndFont()
{
    auto w = startEditor();
    QVERIFY(w);
    LineSelectionDialog d(w.get());
    QCOMPARE(d.objectName(), u"Form2"_s);
    QCOMPARE(d.parentWidget(), w.get());
    QCOMPARE(d.windowTitle(), u"歌詞の選択"_s);
    // 8205 x 5805 twips, and a border that does not resize.
    QCOMPARE(d.size(), QSize(547, 387));
    QCOMPARE(d.minimumSize(), QSize(547, 387));
    QCOMPARE(d.maximumSize(), QSize(547, 387));
    QVERIFY(!(d.windowFlags() & Qt::WindowContextHelpButtonHint));
    QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));

    auto* label = d.findChild<QLabel*>(u"Label1"_s);
    QCOMPARE(label, named<QLabel>(d, "Label1"));
    QCOMPARE(label->text(), u"実際にカウントさせたい行を選択してください"_s);
    QCOMPARE(label->geometry(), QRect(8, 16, 305, 17));

    struct Button
    {
        QString name, text, tip;
        QRect place;
    };
    const QList<Button> buttons = {
        {u"Command3"_s, u"すべて解除"_s, QString(), QRect(312, 8, 73, 25)},
        {u"Command2"_s, u"すべて選択"_s, QString(), QRect(392, 8, 73, 25)},
        {u"Command1"_s, u"OK"_s, u"タイミング入力画面へ進む"_s, QRect(472, 8, 73, 25)},
    };
    for (const Button& expected : buttons) {
        auto* button = d.findChild<QPushButton*>(expected.name);
        QVERIFY2(button, qPrintable(expected.name));
        QCOMPARE(button->text(), expected.text);
        QCOMPARE(button->toolTip(), expected.tip);
        QCOMPARE(button->geometry(), expected.place);
    }
    QCOMPARE(d.findChild<QPushButton*>(u"Command1"_s), named<QPushButton>(d, "Command1"));
    QCOMPARE(d.findChild<QPushButton*>(u"Command2"_s), named<QPushButton>(d, "Command2"));
    QCOMPARE(d.findChild<QPushButton*>(u"Command3"_s), named<QPushButton>(d, "Command3"));

    auto* list = d.findChild<QListWidget*>(u"List1"_s);
    QCOMPARE(list, named<QListWidget>(d, "List1"));
    QCOMPARE(list->geometry(), QRect(0, 40, 545, 344));
    QCOMPARE(list->toolTip(), u"実際に表示させたい行を選択してください"_s);
    QCOMPARE(list->font().family(), u"Noto Sans Mono CJK JP"_s);
    QCOMPARE(list->font().pointSizeF(), 13.5);
    QCOMPARE(list->font().weight(), QFont::Normal);
    QCOMPARE(QFontInfo(list->font()).family(), u"Noto Sans Mono CJK JP"_s);
}

void TestLineSelection::dialogIsCentredOnTheEditor()
{
    auto w = startEditor();
    QVERIFY(w);
    w->move(120, 40);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    LineSelectionDialog d(w.get());
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    const QPoint offset = d.frameGeometry().center() - w->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(u"%1,%2"_s.arg(offset.x()).arg(offset.y())));
}

void TestLineSelection::rowsCarryTheirOwnMarks()
{
    auto w = startEditor();
    QVERIFY(w);
    LineSelectionDialog d(w.get());
    d.setRows({{u"a"_s, true}, {u"b"_s, false}, {u"c"_s, true}});
    QCOMPARE(rowsOf(named<QListWidget>(d, "List1")),
             (QList<Row>{{u"a"_s, true}, {u"b"_s, false}, {u"c"_s, true}}));
    QCOMPARE(named<QListWidget>(d, "List1")->currentRow(), 0);
    QCOMPARE(d.marks(), (QList<bool>{true, false, true}));
    for (int i = 0; i < named<QListWidget>(d, "List1")->count(); ++i)
        QVERIFY(named<QListWidget>(d, "List1")->item(i)->flags() & Qt::ItemIsUserCheckable);

    // Space toggles the current row's mark, and no other.
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    named<QListWidget>(d, "List1")->setFocus();
    named<QListWidget>(d, "List1")->setCurrentRow(1);
    QTest::keyClick(named<QListWidget>(d, "List1"), Qt::Key_Space);
    QCOMPARE(d.marks(), (QList<bool>{true, true, true}));
    QTest::keyClick(named<QListWidget>(d, "List1"), Qt::Key_Space);
    QCOMPARE(d.marks(), (QList<bool>{true, false, true}));
    // Return in the list starts nothing: no button takes it.
    QTest::keyClick(named<QListWidget>(d, "List1"), Qt::Key_Return);
    QVERIFY(d.isVisible());
    QCOMPARE(d.marks(), (QList<bool>{true, false, true}));

    // Filling again replaces the rows.
    d.setRows({{u"x"_s, false}});
    QCOMPARE(rowsOf(named<QListWidget>(d, "List1")), (QList<Row>{{u"x"_s, false}}));
    d.setRows({});
    QCOMPARE(named<QListWidget>(d, "List1")->count(), 0);
    QCOMPARE(named<QListWidget>(d, "List1")->currentRow(), -1);
}

void TestLineSelection::selectAllAndClearAllMarkEveryRowAndGoToTheTop()
{
    auto w = startEditor();
    QVERIFY(w);
    LineSelectionDialog d(w.get());
    const QList<SelectionRow> rows = {
        {u"一"_s, false}, {u"二"_s, true}, {QString(), false}, {u"四"_s, true}};
    d.setRows(rows);

    named<QListWidget>(d, "List1")->setCurrentRow(3);
    QTest::mouseClick(named<QPushButton>(d, "Command2"), Qt::LeftButton);
    QCOMPARE(rowsOf(named<QListWidget>(d, "List1")),
             (QList<Row>{{u"一"_s, true}, {u"二"_s, true}, {QString(), true}, {u"四"_s, true}}));
    QCOMPARE(named<QListWidget>(d, "List1")->currentRow(), 0);
    QCOMPARE(d.cursor().shape(), Qt::ArrowCursor);

    named<QListWidget>(d, "List1")->setCurrentRow(2);
    QTest::mouseClick(named<QPushButton>(d, "Command3"), Qt::LeftButton);
    QCOMPARE(
        rowsOf(named<QListWidget>(d, "List1")),
        (QList<Row>{{u"一"_s, false}, {u"二"_s, false}, {QString(), false}, {u"四"_s, false}}));
    QCOMPARE(named<QListWidget>(d, "List1")->currentRow(), 0);

    // An empty list has no row to make current.
    d.setRows({});
    QTest::mouseClick(named<QPushButton>(d, "Command2"), Qt::LeftButton);
    QTest::mouseClick(named<QPushButton>(d, "Command3"), Qt::LeftButton);
    QCOMPARE(named<QListWidget>(d, "List1")->count(), 0);
    QCOMPARE(named<QListWidget>(d, "List1")->currentRow(), -1);
}

void TestLineSelection::separatorsAreNeverMarkedNorStamped()
{
    // The separator and a rule typed in the body take no mark from a click,
    // Space or すべて選択, and the first Space stamps the first lyric line.
    auto w = startEditor();
    QVERIFY(w);
    w->setBodyText(kHyphens35 + u"\r\n一\r\n---\r\n二"_s);
    ScriptedDevice* disc = nullptr;
    w->setDeviceFactory([&disc] {
        auto device = std::make_unique<ScriptedDevice>(QList<qint32>{60000});
        disc = device.get();
        return device;
    });
    QList<QList<bool>> marks;
    QStringList timed;
    ModalScript script;
    script.then([&](QWidget* window) {
        press(window, u"Command1"_s);
        auto* list = named<QListWidget>(window, "List1");
        QStyleOptionViewItem box;
        box.initFrom(list);
        box.features = QStyleOptionViewItem::HasCheckIndicator;
        for (int row = 0; row < list->count(); ++row) {
            box.rect = list->visualItemRect(list->item(row));
            QTest::mouseClick(
                list->viewport(), Qt::LeftButton, {},
                list->style()
                    ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &box, list)
                    .center());
        }
        marks.append(qobject_cast<LineSelectionDialog*>(window)->marks());
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            QTest::keyClick(list, Qt::Key_Space);
        }
        marks.append(qobject_cast<LineSelectionDialog*>(window)->marks());
        QTest::mouseClick(named<QPushButton>(window, "Command3"), Qt::LeftButton);
        QTest::mouseClick(named<QPushButton>(window, "Command2"), Qt::LeftButton);
    });
    script.then([&](QWidget* window) {
        closeByFrame(window);
        QTest::mouseClick(named<QPushButton>(window, "Command2"), Qt::LeftButton); // ＞
        QVERIFY(disc && disc->isPlaying());
        disc->advance(2030);
        QTest::keyClick(named<QListView>(window, "List1"), Qt::Key_Space);
        timed = qobject_cast<TimingWindow*>(window)->run().lines().sheet().listRows();
    });
    script.thenClick(u"Command2"_s); // 編集を破棄してもどる
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(marks, (QList<QList<bool>>{{false, false, false, false}, {false, true, false, true}}));
    QCOMPARE(timed, (QStringList{u"-------"_s + kHyphens35, u"[00:02]一"_s, u"       ---"_s,
                                 u"[--:--]二"_s}));
}

void TestLineSelection::realTimeInputListsTheTagFileMarksModally()
{
    auto w = startEditor();
    QVERIFY(w);
    // A new document of 300 lines: the tag template has 272 lines.
    QString body = kHyphens35;
    for (int i = 1; i < 300; ++i)
        body += u"\r\n行%1"_s.arg(i);
    w->setBodyText(body);

    QList<Row> shown;
    int current = -2;
    bool modal = false;
    QWidget* owner = nullptr;
    ModalScript script;
    script.then([&](QWidget* window) {
        closeByFrame(window);
        auto* d = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(d);
        shown = rowsOf(named<QListWidget>(d, "List1"));
        current = named<QListWidget>(d, "List1")->currentRow();
        modal = d->isModal();
        owner = d->parentWidget();
    });
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.seen, QStringList{u"Form2"_s});
    QCOMPARE(script.unexpected, 0);

    QCOMPARE(shown.size(), 272);
    QCOMPARE(shown.at(0), (Row{kHyphens35, false}));
    for (int i = 1; i < 272; ++i)
        QCOMPARE(shown.at(i), (Row{u"行%1"_s.arg(i), true}));
    QCOMPARE(current, 0);
    QVERIFY(modal);
    QCOMPARE(owner, w.get());
}

void TestLineSelection::closingByTheFrameWritesNothing()
{
    auto w = startEditor();
    QVERIFY(w);
    writeBytes(work().tagFile(), kTags);
    w->setBodyText(kBody);

    QList<Row> listed;
    ModalScript script;
    script.then([&](QWidget* window) {
        closeByFrame(window);
        auto* d = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(d);
        listed = rowsOf(named<QListWidget>(d, "List1"));
        named<QPushButton>(d, "Command2")->click();
    });
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.seen, QStringList{u"Form2"_s});
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(listed, kListed);
    QCOMPARE(readBytes(work().tagFile()), kTags);
    QVERIFY(!QFile::exists(work().stagingFile()));
    QCOMPARE(w->bodyText(), kBody);
}

void TestLineSelection::okTimesTheRowsByTheMarksUntilARunEndsTheInput()
{
    auto w = startEditor();
    QVERIFY(w);
    writeBytes(work().tagFile(), kTags);
    w->setBodyText(kBody);

    QPointer<LineSelectionDialog> selection;
    QList<QStringList> timed;
    QList<Qt::CursorShape> pointerDuringRun;
    QList<bool> overSelection;
    QList<Row> afterFirstRun;
    Qt::CursorShape pointerAfterRun = Qt::BlankCursor;

    ModalScript script;
    auto expectRun = [&](const QString& finishButton) {
        script.then([&](QWidget* window) {
            closeByFrame(window);
            auto* timing = qobject_cast<TimingWindow*>(window);
            QVERIFY(timing);
            timed.append(timing->run().lines().sheet().listRows());
            overSelection.append(selection && timing->parentWidget() == selection.data());
            pointerDuringRun.append(selection ? selection->cursor().shape() : Qt::BlankCursor);
        });
        if (finishButton.isEmpty())
            script.thenClose();
        else
            script.thenClick(finishButton);
    };

    script.then([&](QWidget* window) {
        press(window, u"Command1"_s);
        selection = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(selection);
        QCOMPARE(rowsOf(named<QListWidget>(selection, "List1")), kListed);
        markAsTheUserDoes(named<QListWidget>(selection, "List1"));
    });
    // The finish dialog closed by its frame: the input goes on.
    expectRun(QString());
    script.then([&](QWidget* window) {
        press(window, u"Command1"_s);
        QCOMPARE(window, selection.data());
        afterFirstRun = rowsOf(named<QListWidget>(selection, "List1"));
        pointerAfterRun = selection->cursor().shape();
    });
    // 編集を破棄してもどる ends it.
    expectRun(u"Command2"_s);

    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.seen,
             (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s, u"Form2"_s, u"Form3"_s, u"Form6"_s}));
    QCOMPARE(script.unexpected, 0);

    QCOMPARE(timed.size(), 2);
    QCOMPARE(timed.at(0), kTimingRows);
    // The run that was not kept changed nothing the next one starts from.
    QCOMPARE(timed.at(1), kTimingRows);
    QCOMPARE(overSelection, (QList<bool>{true, true}));
    QCOMPARE(pointerDuringRun, (QList<Qt::CursorShape>{Qt::WaitCursor, Qt::WaitCursor}));

    // The marks stay the user's: OK changes neither them nor the texts.
    QList<Row> marked = kListed;
    marked[6].marked = true;
    marked[2].marked = false;
    marked[7].marked = false;
    QCOMPARE(afterFirstRun, marked);
    QCOMPARE(pointerAfterRun, Qt::ArrowCursor);

    // The finished run closed the selection and the command returned.
    QCOMPARE(readBytes(work().tagFile()), kTags);
}

void TestLineSelection::unreadableWorkFileStartsNoRun()
{
    // A run without rows would have "編集を保存してもどる" save an empty tag
    // file: the failure is told instead, and the selection stays.
    auto w = startEditor();
    QVERIFY(w);
    writeBytes(work().tagFile(), kTags);
    w->setBodyText(kBody);
    ModalScript script;
    script.then([this](QWidget* window) {
        QVERIFY(QFile::remove(work().textFile()));
        QVERIFY(QDir().mkdir(work().textFile()));
        press(window, u"Command1"_s);
    });
    script.thenMessage();
    script.thenClose();
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(script.seen.size(), 3);
    QCOMPARE(script.seen.last(), u"Form2"_s);
    QCOMPARE(script.messages.at(0).text,
             u"作業ファイル %1 を読み込めませんでした。"_s.arg(work().textFile()));
    QCOMPARE(readBytes(work().tagFile()), kTags);
}

void TestLineSelection::whileTheDiscIsReadTheDialogTakesNoInput()
{
    auto w = startEditor();
    QVERIFY(w);
    w->setBodyText(kHyphens35 + u"\r\n一\r\n二"_s);
    QPointer<LineSelectionDialog> selection;
    int devices = 0;
    bool marksKept = false;
    bool openAfterwards = false;
    // While the first OK's disc is read, as the window system delivers them
    // (so the way a user makes them): OK again, すべて解除, Escape. The timing
    // window is up and modal from the first moment.
    w->setDeviceFactory([&] {
        ++devices;
        return std::make_unique<SlowDisc>([&] {
            if (!selection || devices > 1)
                return;
            QWindow* window = selection->windowHandle();
            const auto centre = [&](QWidget* widget) {
                return widget->mapTo(selection, widget->rect().center());
            };
            QTest::mouseClick(window, Qt::LeftButton, {},
                              centre(named<QPushButton>(selection, "Command1")));
            QTest::mouseClick(window, Qt::LeftButton, {},
                              centre(named<QPushButton>(selection, "Command3")));
            QTest::keyClick(window, Qt::Key_Escape);
            marksKept = rowsOf(named<QListWidget>(selection, "List1")).at(1).marked;
            openAfterwards = selection->isVisible();
        });
    });

    ModalScript script;
    script.then([&](QWidget* window) {
        selection = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(selection);
        QMetaObject::invokeMethod(named<QPushButton>(selection, "Command1"), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    // The one timing window, closed once its disc has been read.
    script.then([&](QWidget* window) {
        QVERIFY(qobject_cast<TimingWindow*>(window)->run().isOpening());
        QTimer::singleShot(400, window, [window] { closeByFrame(window); });
    });
    script.thenClick(u"Command2"_s); // 編集を破棄してもどる
    w->realTimeInput();

    QVERIFY(script.done());
    QCOMPARE(script.seen, (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s}));
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(devices, 1);
    QVERIFY(marksKept);
    QVERIFY(openAfterwards);
}

void TestLineSelection::savedRunIsWhatTheNextInputLists()
{
    auto w = startEditor();
    QVERIFY(w);
    writeBytes(work().tagFile(), kTags);
    w->setBodyText(kBody);

    ModalScript script;
    script.then([](QWidget* window) {
        press(window, u"Command1"_s);
        auto* d = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(d);
        markAsTheUserDoes(named<QListWidget>(d, "List1"));
    });
    script.thenClose();
    // 編集を保存してもどる keeps the tags of the run.
    script.thenClick(u"Command1"_s);
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.seen, (QStringList{u"Form2"_s, u"Form3"_s, u"Form6"_s}));
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(readBytes(work().tagFile()),
             QByteArray("-------\r\n[01:05]\r\n       \r\n[--:--]\r\n\r\nabcd\r\n[--:--]\r\n"
                        "       \r\n[02:00]\r\n"));

    // The next input opens on the saved marks, not on the ones of the first.
    QList<Row> listed;
    script.then([&](QWidget* window) {
        closeByFrame(window);
        auto* d = qobject_cast<LineSelectionDialog*>(window);
        QVERIFY(d);
        listed = rowsOf(named<QListWidget>(d, "List1"));
    });
    w->realTimeInput();
    QVERIFY(script.done());
    QCOMPARE(script.seen.size(), 4);
    QCOMPARE(script.unexpected, 0);
    QCOMPARE(listed, (QList<Row>{{kHyphens35, false},
                                 {u"一"_s, true},
                                 {u"二"_s, false},
                                 {QString(), true},
                                 {QString(), false},
                                 {u"cd"_s, false},
                                 {u"三"_s, true},
                                 {u"四"_s, false},
                                 {u"五"_s, true}}));
}

QTEST_MAIN(TestLineSelection)
#include "tst_lineselection.moc"
