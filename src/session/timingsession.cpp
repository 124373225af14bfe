#include "session/timingsession.h"

#include "session/linetiming.h"
#include "session/wordtiming.h"

#include "document/lenientnumber.h"
#include "document/lyricsformat.h"
#include "document/timetag.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace verselet {

using namespace Qt::StringLiterals;

TimingSession::TimingSession(CdAudioDevice& device, QObject* parent)
    : QObject(parent), m_device(device), m_transport(device), m_mode(std::make_unique<LineTiming>())
{
    // What the views follow of the transport.
    connect(&m_transport, &Transport::stateChanged, this, &TimingSession::controlsChanged);
    connect(&m_transport, &Transport::playTimeChanged, this, &TimingSession::playTimeChanged);
    connect(&m_transport, &Transport::tracksChanged, this, &TimingSession::tracksChanged);
    connect(&m_transport, &Transport::trackChosen, this, &TimingSession::trackChosen);
    connect(&m_transport, &Transport::endOfTrack, this, &TimingSession::endOfTrack);
}

void TimingSession::setRows(const QStringList& rows, const ExactTimes& exactTimes,
                            const WordTimes& wordTimes)
{
    setRows(TimingRowsFromList(rows, exactTimes, wordTimes));
}

void TimingSession::setRows(TimingRows rows)
{
    m_sheet = TimingSheet(std::move(rows));
    m_shownPlace = m_mode->mark(m_sheet);
    m_history.clear();
    Q_EMIT rowsReset();
    Q_EMIT selectionChanged(-1);
}

ExactTime TimingSession::exactTime(int row) const
{
    if (row < 0 || row >= rowCount())
        return std::nullopt;
    return m_sheet.row(row).exactTime();
}

ExactTimes TimingSession::exactTimes() const
{
    ExactTimes times;
    times.reserve(rowCount());
    for (int row = 0; row < rowCount(); ++row)
        times.append(exactTime(row));
    return times;
}

void TimingSession::selectRow(int row)
{
    if (!m_sheet.hasRow(row))
        row = -1;
    if (row == m_sheet.selected())
        return;
    m_sheet.select(row);
    Q_EMIT selectionChanged(row);
    showSegmentPlace();
}

void TimingSession::selectNone()
{
    selectRow(-1);
}

void TimingSession::backToTop()
{
    // Back to the top with nothing selected: the next Set stamps the first
    // line to be timed.
    if (m_sheet.rowCount() > 0) {
        selectRow(0);
        Q_EMIT rowShownAtTop(0);
    }
    selectNone();
}

void TimingSession::play()
{
    backToTop();
    m_transport.play();
}

void TimingSession::playFromSelectedRow()
{
    m_transport.playFrom(qint32(GetSelectedTagOffset()));
}

void TimingSession::setSpeed(double speed)
{
    m_transport.setSpeed(int(std::lround(speed * 100)));
}

void TimingSession::seek(qint32 trackMilliseconds)
{
    m_transport.seek(trackMilliseconds);
}

bool TimingSession::setRowTime(int row, qint32 milliseconds)
{
    return m_mode->drag(*this, row, -1, milliseconds);
}

double TimingSession::GetSelectedTagOffset() const
{
    const int selected = m_sheet.selected();
    return selected >= 0 ? m_sheet.row(selected).tagMilliseconds() : 0;
}

SetStep TimingSession::set()
{
    m_editGuard = 1;
    const SetStep step = m_mode->set(*this);
    showSegmentPlace();
    m_editGuard = 0;
    return step;
}

NextStep TimingSession::next()
{
    m_editGuard = 1;
    const NextStep step = m_mode->next(*this);
    showSegmentPlace();
    if (step.showRow)
        Q_EMIT lineShownForEditing(step.selected);
    m_editGuard = 0;
    return step;
}

bool TimingSession::top()
{
    if (m_sheet.selected() < 0)
        return false;
    m_editGuard = 1;
    Q_EMIT rowShownAtTop(m_sheet.selected());
    m_editGuard = 0;
    return true;
}

bool TimingSession::editTag(const QString& editText)
{
    const int selected = m_sheet.selected();
    if (m_editGuard == 1 || selected < 0)
        return false;
    TimingRow row = m_sheet.row(selected);
    if (!row.applyEdit(editText))
        return false;
    SheetEdit edit(m_sheet);
    edit.setRow(selected, row);
    commit(edit, TimingAct::EditTag);
    return true;
}

void TimingSession::beginTest(bool fromBeginning)
{
    if (fromBeginning) {
        backToTop();
        m_transport.beginTest(std::nullopt);
    } else {
        m_transport.beginTest(qint32(GetSelectedTagOffset()));
    }
}

bool TimingSession::nudge(qint32 deltaMs, bool repeat)
{
    return m_mode->nudge(*this, deltaMs, repeat);
}

bool TimingSession::retake()
{
    const bool done = m_mode->retake(*this);
    showSegmentPlace();
    return done;
}

bool TimingSession::shiftFromHere()
{
    return m_mode->shiftFromHere(*this);
}

SheetEdit TimingSession::edit()
{
    return SheetEdit(m_sheet);
}

void TimingSession::setSegment(int segment)
{
    m_sheet.setSegment(segment);
}

void TimingSession::show(int row)
{
    Q_EMIT rowChanged(row);
}

bool TimingSession::commit(const SheetEdit& edit, TimingAct act, bool repeat)
{
    const EditStep step = edit.finish();
    for (const RowEdit& row : step.rows)
        Q_EMIT rowChanged(row.row);
    return m_history.record(step, int(act), repeat);
}

void TimingSession::setWordMode(bool on)
{
    // The one place that asks which way the run times.
    if (on)
        m_mode = std::make_unique<WordTiming>();
    else
        m_mode = std::make_unique<LineTiming>();
    m_wordMode = on;
    m_sheet.setSegment(0);
    showSegmentPlace();
}

void TimingSession::showSegmentPlace()
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

bool TimingSession::stampSegmentEnd()
{
    return m_mode->setEnd(*this);
}

bool TimingSession::setSplit(int row, const SegmentStarts& starts)
{
    if (!m_sheet.hasRow(row))
        return false;
    const LineWords words = m_sheet.row(row).words();
    LineWords split = words;
    split.resplit(starts);
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

bool TimingSession::setSegmentTime(int row, int segment, qint32 milliseconds)
{
    return segment >= 0 && m_mode->drag(*this, row, segment, milliseconds);
}

void TimingSession::restored(const std::optional<EditStep>& step, const SheetPlace& was)
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

bool TimingSession::undo()
{
    const SheetPlace was = m_sheet.place();
    const std::optional<EditStep> step = m_history.undo(m_sheet);
    restored(step, was);
    return step.has_value();
}

bool TimingSession::redo()
{
    const SheetPlace was = m_sheet.place();
    const std::optional<EditStep> step = m_history.redo(m_sheet);
    restored(step, was);
    return step.has_value();
}

QString TimingSession::finishRun()
{
    m_transport.halt();
    return QString::number(selectedTrack());
}

} // namespace verselet
