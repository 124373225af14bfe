#include "realtime/realtimeinput.h"

#include "realtime/finishdialog.h"
#include "realtime/lineselectiondialog.h"
#include "realtime/timinglist.h"
#include "testdisplay/testdisplaywindow.h"
#include "timing/timingwindow.h"

#include <QApplication>
#include <QEvent>

namespace verselet {

namespace {

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
        if (!m_window || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != m_window)
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

RealtimeInput::RealtimeInput(RealtimeContext& context) : m_context(context) {}

void RealtimeInput::run(const QList<SelectionRow>& rows, QWidget* owner)
{
    LineSelectionDialog selection(owner);
    selection.setRows(rows);
    QObject::connect(&selection, &LineSelectionDialog::timingRequested, &selection, [this, &selection] {
        // Built from the work files as they are now: after a run whose tags
        // were not kept, the next OK starts again from the unchanged tag file.
        const QStringList timingRows = BuildTimingList(m_context.tempRoot, selection.marks());
        // A run that ended the input ends the selection too; after one that
        // was closed by the finish dialog's frame, the selection stays, marks
        // and all, for another run.
        if (runTiming(timingRows, &selection))
            selection.accept();
    });
    selection.exec();
}

bool RealtimeInput::runTiming(const QStringList& rows, QWidget* over)
{
    // The window opens the device and lists the tracks as it is created, with
    // the event loop running while a disc is read. Until it is up, the window
    // below takes no input: no second OK (a second timing window would
    // overwrite this one's stamps when it saves), no closing it from under
    // the run.
    std::unique_ptr<TimingWindow> timing;
    {
        const InputHold hold(over);
        timing = std::make_unique<TimingWindow>(m_context.makeDevice(), m_context.driveName,
                                                m_context.rememberedTrack, over);
    }
    timing->setTimingRows(rows);

    TimingWindow* window = timing.get();
    QObject::connect(window, &TimingWindow::testRequested, window, [this, window](bool fromBeginning) {
        TestDisplayWindow display(fromBeginning ? TestDisplayWindow::Start::FromBeginning
                                                : TestDisplayWindow::Start::FromSelectedLine,
                              window->session(), m_context.startText, window);
        display.exec();
    });
    bool ended = false;
    // The finish dialog runs once the timing window has asked to close and
    // its closing steps are done; the window stays on screen until the
    // dialog is gone, and closes whatever the dialog decided.
    QObject::connect(
        window, &TimingWindow::closeRequested, window,
        [this, window, &ended] {
            m_context.rememberedTrack = window->rememberedTrack();
            FinishDialog finish(m_context, window->session().rows(), window);
            ended = finish.exec() != FinishDialog::Closed;
            window->finishClosing();
        },
        Qt::QueuedConnection);
    timing->exec();
    return ended;
}

} // namespace verselet
