#include "session/timinglines.h"

#include "session/linetiming.h"
#include "session/transport.h"
#include "session/wordtiming.h"

#include <QScopedValueRollback>

#include <utility>

namespace verselet {

TimingLines::TimingLines(Transport& transport, ReadingProposer* readings, QObject* parent)
    : QObject(parent), m_transport(transport), m_proposals(readings),
      m_mode(std::make_unique<LineTiming>())
{
}

TimingLines::~TimingLines() = default;

void TimingLines::setRows(TimingRows rows)
{
    m_sheet = TimingSheet(std::move(rows));
    m_shownPlace = m_mode->mark(m_sheet);
    m_history.clear();
    m_proposals.forget();
    Q_EMIT rowsReset();
    Q_EMIT selectionChanged(-1);
    if (m_wordMode)
        proposeReadings();
}

void TimingLines::selectRow(int row)
{
    if (!m_sheet.hasRow(row))
        row = -1;
    if (row == m_sheet.selected())
        return;
    m_sheet.select(row);
    Q_EMIT selectionChanged(row);
    showSegmentPlace();
}

void TimingLines::backToTop()
{
    if (m_sheet.rowCount() > 0) {
        selectRow(0);
        Q_EMIT rowShownAtTop(0);
    }
    selectRow(-1);
}

SetStep TimingLines::set()
{
    const QScopedValueRollback moving(m_moving, true);
    const SetStep step = m_mode->set(*this);
    showSegmentPlace();
    return step;
}

bool TimingLines::setEnd()
{
    return m_mode->setEnd(*this);
}

NextStep TimingLines::next()
{
    const QScopedValueRollback moving(m_moving, true);
    const NextStep step = m_mode->next(*this);
    showSegmentPlace();
    if (step.showRow)
        Q_EMIT lineShownForEditing(step.selected);
    return step;
}

bool TimingLines::top()
{
    if (m_sheet.selected() < 0)
        return false;
    const QScopedValueRollback moving(m_moving, true);
    Q_EMIT rowShownAtTop(m_sheet.selected());
    return true;
}

bool TimingLines::editTag(const QString& editText)
{
    const int selected = m_sheet.selected();
    if (m_moving || selected < 0)
        return false;
    TimingRow row = m_sheet.row(selected);
    if (!row.applyEdit(editText))
        return false;
    SheetEdit edit(m_sheet);
    edit.setRow(selected, row);
    commit(edit, TimingAct::EditTag);
    return true;
}

bool TimingLines::nudge(qint32 deltaMs, bool repeat)
{
    return m_mode->nudge(*this, deltaMs, repeat);
}

bool TimingLines::retake()
{
    const bool done = m_mode->retake(*this);
    showSegmentPlace();
    return done;
}

bool TimingLines::shiftFromHere()
{
    return m_mode->shiftFromHere(*this);
}

bool TimingLines::drag(int row, int segment, qint32 milliseconds)
{
    return segment >= -1 && m_mode->drag(*this, row, segment, milliseconds);
}

bool TimingLines::setSplit(int row, const std::optional<WordShape>& shape)
{
    if (!m_sheet.hasRow(row))
        return false;
    const LineWords words = m_sheet.row(row).words();
    LineWords split = words;
    if (shape) {
        split.reshape(shape->starts, shape->readings);
    } else if (const std::optional<LineWords> proposed = m_proposals.wordsFor(m_sheet.row(row))) {
        split = *proposed;
    }
    if (words.count() == 0 || split == words)
        return false;
    SheetEdit edit(m_sheet);
    edit.setWords(row, split);
    if (row == m_sheet.selected())
        m_sheet.setSegment(0);
    commit(edit, TimingAct::Split);
    showSegmentPlace();
    return true;
}

bool TimingLines::undo()
{
    const SheetPlace was = m_sheet.place();
    const std::optional<EditStep> step = m_history.undo(m_sheet);
    restored(step, was);
    return step.has_value();
}

bool TimingLines::redo()
{
    const SheetPlace was = m_sheet.place();
    const std::optional<EditStep> step = m_history.redo(m_sheet);
    restored(step, was);
    return step.has_value();
}

void TimingLines::setWordMode(bool on)
{
    // The one place that asks which way the run times.
    if (on)
        m_mode = std::make_unique<WordTiming>();
    else
        m_mode = std::make_unique<LineTiming>();
    m_wordMode = on;
    m_sheet.setSegment(0);
    showSegmentPlace();
    if (on)
        proposeReadings();
}

void TimingLines::proposeReadings()
{
    QString why;
    const auto proposed = m_proposals.firstFor(m_sheet.rows(), why);
    if (!why.isEmpty())
        Q_EMIT readingsUnavailable(why);
    if (proposed.isEmpty())
        return;
    SheetEdit edit(m_sheet);
    for (const auto& [row, words] : proposed)
        edit.setWords(row, words);
    commit(edit, TimingAct::Readings);
}

SheetEdit TimingLines::edit()
{
    return SheetEdit(m_sheet);
}

bool TimingLines::commit(const SheetEdit& edit, TimingAct act, bool repeat)
{
    const EditStep step = edit.finish();
    for (const RowEdit& row : step.rows)
        Q_EMIT rowChanged(row.row);
    return m_history.record(step, int(act), repeat);
}

void TimingLines::setSegment(int segment)
{
    m_sheet.setSegment(segment);
}

void TimingLines::show(int row)
{
    Q_EMIT rowChanged(row);
}

void TimingLines::restored(const std::optional<EditStep>& step, const SheetPlace& was)
{
    if (!step)
        return;
    for (const RowEdit& edit : step->rows)
        Q_EMIT rowChanged(edit.row);
    // The rows are back; the selection moves there as the user's would, so
    // that the views follow it.
    const SheetPlace place = m_sheet.place();
    m_sheet.setPlace(was);
    selectRow(place.row);
    m_sheet.setSegment(place.segment);
    showSegmentPlace();
}

void TimingLines::showSegmentPlace()
{
    const SheetPlace now = m_mode->mark(m_sheet);
    if (now == m_shownPlace)
        return;
    const SheetPlace before = std::exchange(m_shownPlace, now);
    if (before.row >= 0)
        Q_EMIT rowChanged(before.row);
    if (now.row >= 0 && now.row != before.row)
        Q_EMIT rowChanged(now.row);
}

} // namespace verselet
