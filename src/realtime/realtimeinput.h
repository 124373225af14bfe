#pragma once

// Runs one real-time input, window after window: the line selection; for each
// OK, a timing run (its device, its session, the user's lag, the disc read)
// and the timing window that shows it, the test displays it asks for, and the
// finish dialog when it is closed. The controller owns the run; the windows
// report what happened through their results and signals, and none opens the
// next.

#include "document/timingrow.h"
#include "realtime/realtimecontext.h"
#include "workfiles/workfiles.h"

#include <QList>
#include <QObject>
#include <QStringList>

class QWidget;

namespace verselet {

class RealtimeInput final : public QObject
{
    Q_OBJECT

public:
    // `context` outlives the input; its remembered track is updated as timing
    // runs finish.
    explicit RealtimeInput(RealtimeContext& context, QObject* parent = nullptr);

    // The line selection over `owner`, listing `rows`, until a run ends the
    // input (any of the finish dialog's buttons) or the selection is closed.
    void run(const QList<SelectionRow>& rows, QWidget* owner);

    // One timing run on these timing-list rows, over `over`. True when the
    // finish dialog ended the input; false when it was closed by its frame.
    bool runTiming(const TimingRows& rows, QWidget* over);

private:
    RealtimeContext& m_context;
};

} // namespace verselet
