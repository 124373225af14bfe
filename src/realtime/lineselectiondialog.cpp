#include "realtime/lineselectiondialog.h"

#include "app/mainwindow.h"
#include "cd/cdaudiodevice.h"
#include "realtime/timinglist.h"
#include "timing/timingwindow.h"
#include "widgets/twips.h"
#include "widgets/widgetstyle.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, QRect place)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Return in the list must not start a timing run or clear the marks.
    button->setAutoDefault(false);
    button->setGeometry(place);
    return button;
}

// Holds the user's input back from one window (its close box and every
// widget in it) while it lives. Windows opened meanwhile, such as a progress
// dialog or a message, take their input as usual.
class InputHold final : public QObject
{
public:
    explicit InputHold(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

private:
    QWidget* m_window;
};

} // namespace

LineSelectionDialog::LineSelectionDialog(MainWindow* main)
    : QDialog(main, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint),
      m_main(main)
{
    setObjectName(u"Form2"_s);
    setWindowTitle(QString());
    // A fixed border; QDialog centres the dialog on its owner when it is shown.
    setFixedSize(TwipsToPixels(8205), TwipsToPixels(5805));

    Label1 = new QLabel(u"実際にカウントさせたい行を選択してください"_s, this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setGeometry(TwipsRect(120, 240, 4575, 255));

    Command3 = makeButton(this, u"Command3"_s, u"すべて解除"_s, TwipsRect(4680, 120, 1095, 375));
    connect(Command3, &QPushButton::clicked, this, &LineSelectionDialog::Command3_Click);

    Command2 = makeButton(this, u"Command2"_s, u"すべて選択"_s, TwipsRect(5880, 120, 1095, 375));
    connect(Command2, &QPushButton::clicked, this, &LineSelectionDialog::Command2_Click);

    Command1 = makeButton(this, u"Command1"_s, u"OK"_s, TwipsRect(7080, 120, 1095, 375));
    Command1->setToolTip(u"タイミング入力画面へ進む"_s);
    connect(Command1, &QPushButton::clicked, this, &LineSelectionDialog::Command1_Click);

    List1 = new QListWidget(this);
    List1->setObjectName(u"List1"_s);
    List1->setGeometry(TwipsRect(0, 600, 8175, 5160));
    List1->setToolTip(u"実際に表示させたい行を選択してください"_s);
    List1->setFont(TerminalFont());
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setFocus();
}

void LineSelectionDialog::setRows(const QList<SelectionRow>& rows)
{
    List1->clear();
    for (const SelectionRow& row : rows) {
        auto* item = new QListWidgetItem(row.text, List1);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(row.marked ? Qt::Checked : Qt::Unchecked);
    }
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

QList<bool> LineSelectionDialog::marks() const
{
    QList<bool> marks;
    marks.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        marks.append(List1->item(i)->checkState() == Qt::Checked);
    return marks;
}

void LineSelectionDialog::Form_Activate()
{
    if (m_main->state().ReturnToEditor == 1) {
        m_main->state().ReturnToEditor = 0;
        accept();
    }
}

void LineSelectionDialog::Command1_Click()
{
    // One timing window at a time: a second one's save would overwrite the
    // first one's stamps.
    if (m_starting)
        return;
    m_starting = true;
    setCursor(Qt::WaitCursor);
    // Built from the work files as they are now: after a run whose tags were
    // not kept, the next OK starts again from the unchanged tag file.
    const QStringList rows = BuildTimingList(m_main->state().TempRoot, marks());
    // The window opens the device and lists the tracks as it is created,
    // with the event loop running while a disc is read. Until it is up, this
    // dialog takes no input: no second OK, no marks that the run would not
    // have, no closing it from under the run. It may delete itself when it
    // closes, hence the guard.
    QPointer<TimingWindow> timing;
    {
        const InputHold hold(this);
        timing = new TimingWindow(m_main, m_main->makeCdAudioDevice(), this);
    }
    timing->setTimingRows(rows);
    timing->exec();
    delete timing.data();
    setCursor(Qt::ArrowCursor);
    m_starting = false;
    // The timing window is gone and this dialog is the active window again;
    // this is where a finished real-time input returns to the editor.
    Form_Activate();
}

void LineSelectionDialog::Command2_Click()
{
    setCursor(Qt::WaitCursor);
    markAll(true);
    setCursor(Qt::ArrowCursor);
}

void LineSelectionDialog::Command3_Click()
{
    markAll(false);
}

void LineSelectionDialog::markAll(bool marked)
{
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
    if (List1->count() > 0)
        List1->setCurrentRow(0);
}

} // namespace verselet
