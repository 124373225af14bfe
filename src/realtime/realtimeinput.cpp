#include "realtime/realtimeinput.h"

#include "document/lyricsdocument.h"
#include "realtime/finishdialog.h"
#include "realtime/lineselectiondialog.h"
#include "testdisplay/testdisplaywindow.h"
#include "timing/timingwindow.h"
#include "widgets/messages.h"
#include "workfiles/timinglist.h"

namespace verselet {

RealtimeInput::RealtimeInput(RealtimeContext& context, QObject* parent)
    : QObject(parent), m_context(context)
{
}

void RealtimeInput::run(const QList<SelectionRow>& rows, QWidget* owner)
{
    LineSelectionDialog selection(owner);
    selection.setRows(rows);
    QObject::connect(
        &selection, &LineSelectionDialog::timingRequested, &selection, [this, &selection] {
            // Built from the work files as they are now: after a run whose tags
            // were not kept, the next OK starts again from the unchanged tag file.
            const auto timingRows = BuildTimingList(m_context.work, selection.marks());
            if (!timingRows) {
                // No run starts, and the tag file stays as it is.
                ShowMessage(&selection, FileErrorText(timingRows.error(), m_context.work),
                            QMessageBox::Warning);
                return;
            }
            // The rows of the run, each with the exact time and the words the
            // document keeps for its line.
            const TimingRows rows =
                TimingListRows(timingRows.value(), selection.marks(), *m_context.document);
            // A run that ended the input ends the selection too; after one that
            // was closed by the finish dialog's frame, the selection stays, marks
            // and all, for another run.
            if (runTiming(rows, &selection))
                selection.accept();
        });
    selection.exec();
}

bool RealtimeInput::runTiming(const TimingRows& rows, QWidget* over)
{
    // The run starts reading the disc as it is made, and its window is
    // shown, modal over `over`, at once: nothing below it takes input (no
    // second OK, whose window would overwrite this one's stamps) while the
    // disc is read.
    TimingRun run(m_context.makeDevice(), m_context.driveName, m_context.rememberedTrack,
                  m_context.readings);
    auto timing = std::make_unique<TimingWindow>(run, over);
    timing->setFinishedByOwner(true);
    run.lines().setRows(rows);

    TimingWindow* window = timing.get();
    QObject::connect(
        &run, &TimingRun::testRequested, window, [this, window, &run](bool fromBeginning) {
            TestDisplayWindow display(fromBeginning ? TestDisplayWindow::Start::FromBeginning
                                                    : TestDisplayWindow::Start::FromSelectedLine,
                                      run, m_context.document->startText(), window);
            display.exec();
        });
    bool ended = false;
    // The finish dialog runs once the timing window has asked to close and
    // its closing steps are done; the window stays on screen until the
    // dialog is gone, and closes whatever the dialog decided.
    QObject::connect(
        window, &TimingWindow::finishRequested, window,
        [this, window, &run, &ended] {
            m_context.rememberedTrack = run.rememberedTrack();
            FinishDialog finish(m_context, run.lines().sheet().rows(),
                                run.transport().tracks().playing(), window);
            // The dialog keeps in the document what it writes, also when
            // the input goes on (a save dialog cancelled).
            ended = finish.exec() != FinishDialog::Closed;
            window->finishClosing();
        },
        Qt::QueuedConnection);
    timing->exec();
    return ended;
}

} // namespace verselet
