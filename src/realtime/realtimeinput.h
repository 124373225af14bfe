#pragma once

// Runs one real-time input, window after window: the line selection; for each
// OK, a timing window over it, the test displays it asks for, and the finish
// dialog when it is closed. The windows report what happened through their
// results and signals; none opens the next.

#include "document/exacttimes.h"
#include "realtime/realtimecontext.h"
#include "workfiles/workfiles.h"

#include <QList>
#include <QStringList>

class QWidget;

namespace verselet {

class RealtimeInput final
{
public:
    // `context` outlives the input; its remembered track is updated as timing
    // windows close.
    explicit RealtimeInput(RealtimeContext& context);

    // The line selection over `owner`, listing `rows`, until a run ends the
    // input (any of the finish dialog's buttons) or the selection is closed.
    void run(const QList<SelectionRow>& rows, QWidget* owner);

    // One timing run on these timing-list rows and their exact times, over
    // `over`. True when the finish dialog ended the input; false when it was
    // closed by its frame.
    bool runTiming(const QStringList& rows, QWidget* over, const ExactTimes& exactTimes = {});

private:
    RealtimeContext& m_context;
};

} // namespace verselet
