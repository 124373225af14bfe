#include "session/timingsession.h"

#include "document/lenientnumber.h"
#include "document/lyricsformat.h"
#include "document/timetag.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// A retake starts this long before the line, to hear it coming.
constexpr qint32 kRetakeLeadMs = 3000;

} // namespace

TimingSession::TimingSession(CdAudioDevice& device, QObject* parent)
    : QObject(parent), m_device(device), m_transport(device)
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
    m_sheet = TimingSheet(TimingRowsFromList(rows, exactTimes, wordTimes));
    m_shownPlace = m_wordMode ? nextSegment() : SheetPlace{};
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
    if (!m_sheet.hasRow(row) || !m_sheet.row(row).when())
        return false;
    SheetEdit edit(m_sheet);
    retime(edit, row, std::max(milliseconds, 0));
    return commit(edit, Act::Drag);
}

double TimingSession::GetSelectedTagOffset() const
{
    const int selected = m_sheet.selected();
    return selected >= 0 ? m_sheet.row(selected).tagMilliseconds() : 0;
}

SetStep TimingSession::set()
{
    return m_wordMode ? stampSegment() : stampLine();
}

SetStep TimingSession::stampLine()
{
    m_editGuard = 1;
    const int before = m_sheet.selected();
    // Read at the press, not at the last tick: the tag is the same text as
    // the play time shown but for the time since that tick.
    const qint32 heard = m_transport.stampPosition();
    SheetEdit edit(m_sheet);
    const SetStep step = PressSet(edit, heard);
    if (step.runEnds) {
        // Lines not to be timed passed over on the way: the selection stands
        // on the last line.
        if (step.selected != before)
            selectRow(step.selected);
        commit(edit, Act::Stamp);
        m_transport.halt();
        m_editGuard = 0;
        return step;
    }
    selectRow(step.selected);
    commit(edit, Act::Stamp);
    Q_EMIT rowChanged(step.selected);
    m_editGuard = 0;
    return step;
}

NextStep TimingSession::next()
{
    m_editGuard = 1;
    // Next passes over the line the next stamp would go to. Line by line
    // that is the line after the selection, which Next selects; in word mode
    // it is the line the mark is on, and Next goes on to the line after it
    // when the mark has left the selection, so that Space stamps the line
    // Next selects, from its first segment.
    int from = m_sheet.selected();
    if (m_wordMode)
        from = std::max(from, nextSegment().row);
    const NextStep step = PressNext(m_sheet.rows(), from);
    if (m_sheet.rowCount() > 0)
        selectRow(step.selected);
    if (m_wordMode) {
        m_sheet.setSegment(0);
        showSegmentPlace();
    }
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
    setRow(edit, selected, row);
    commit(edit, Act::EditTag);
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
    if (m_wordMode && nudgeSegment(deltaMs, repeat))
        return true;
    const int selected = m_sheet.selected();
    if (selected < 0)
        return false;
    const ExactTime time = m_sheet.row(selected).when();
    if (!time)
        return false;
    SheetEdit edit(m_sheet);
    retime(edit, selected, ClampToPosition(qint64(*time) + deltaMs));
    return commit(edit, Act::Nudge, repeat);
}

bool TimingSession::retake()
{
    if (m_wordMode && retakeSegment())
        return true;
    const int selected = m_sheet.selected();
    if (selected < 0)
        return false;
    const ExactTime time = m_sheet.row(selected).when();
    if (!time)
        return false;
    m_transport.playFrom(std::max(*time - kRetakeLeadMs, 0));
    if (m_wordMode) {
        // Space stamps the selected line's first segment next.
        m_sheet.setSegment(0);
        showSegmentPlace();
    } else {
        // Set goes on from the line before, and so stamps this one next.
        selectRow(selected - 1);
    }
    return true;
}

bool TimingSession::shiftFromHere()
{
    const int selected = m_sheet.selected();
    if (!m_transport.isRunning() || selected < 0)
        return false;
    if (m_wordMode && shiftSegment())
        return true;
    const ExactTime time = m_sheet.row(selected).when();
    if (!time)
        return false;
    const qint32 now = m_transport.stampPosition();
    const qint64 delta = qint64(now) - *time;
    SheetEdit edit(m_sheet);
    retime(edit, selected, now);
    for (int row = selected + 1; row < rowCount(); ++row) {
        if (const ExactTime later = m_sheet.row(row).when())
            retime(edit, row, ClampToPosition(*later + delta));
    }
    return commit(edit, Act::Shift);
}

void TimingSession::setRow(SheetEdit& edit, int row, TimingRow value)
{
    edit.setRow(row, std::move(value));
    Q_EMIT rowChanged(row);
}

void TimingSession::retime(SheetEdit& edit, int row, qint32 milliseconds)
{
    setRow(edit, row, m_sheet.row(row).retimed(milliseconds));
}

void TimingSession::rewords(SheetEdit& edit, int row, const LineWords& words)
{
    TimingRow line = m_sheet.row(row);
    line.setWords(words);
    setRow(edit, row, std::move(line));
}

bool TimingSession::commit(const SheetEdit& edit, Act act, bool repeat)
{
    return m_history.record(edit.finish(), int(act), repeat);
}

void TimingSession::setWordMode(bool on)
{
    m_wordMode = on;
    m_sheet.setSegment(0);
    showSegmentPlace();
}

void TimingSession::showSegmentPlace()
{
    const SheetPlace now = m_wordMode ? nextSegment() : SheetPlace{};
    if (now == m_shownPlace)
        return;
    const SheetPlace before = std::exchange(m_shownPlace, now);
    if (before.row >= 0)
        Q_EMIT rowChanged(before.row);
    if (now.row >= 0 && now.row != before.row)
        Q_EMIT rowChanged(now.row);
}

SetStep TimingSession::stampSegment()
{
    const qint32 heard = m_transport.stampPosition();
    const SheetPlace place = nextSegment();
    // Nothing left to stamp: the run ends as it does line by line.
    if (place.row < 0)
        return stampLine();
    m_editGuard = 1;
    SheetEdit edit(m_sheet);
    if (place.row != m_sheet.selected())
        selectRow(place.row);
    TimingRow row = m_sheet.row(place.row);
    if (!row.canTakeStamp()) {
        m_editGuard = 0;
        return {place.row, false, false};
    }
    // The first segment's stamp is the line's. A segment stamped again
    // starts the line's take again from there: the later times of the take
    // before go with it, so that the line's times stay in order.
    LineWords words = row.words();
    words.stamp(place.segment, heard);
    row.setWords(words);
    edit.setRow(place.row, row);
    m_sheet.setSegment(place.segment + 1);
    commit(edit, Act::Stamp);
    Q_EMIT rowChanged(place.row);
    showSegmentPlace();
    m_editGuard = 0;
    return {place.row, false, true};
}

bool TimingSession::stampSegmentEnd()
{
    const int selected = m_sheet.selected();
    if (selected < 0)
        return false;
    LineWords words = m_sheet.row(selected).words();
    if (words.count() == 0 || m_sheet.segment() < words.count() || !words.timeOf(words.count() - 1))
        return false;
    words.end = std::max(m_transport.stampPosition(), *words.timeOf(words.count() - 1));
    SheetEdit edit(m_sheet);
    rewords(edit, selected, words);
    return commit(edit, Act::StampEnd);
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
    rewords(edit, row, split);
    if (row == m_sheet.selected())
        m_sheet.setSegment(0);
    commit(edit, Act::Split);
    showSegmentPlace();
    return true;
}

bool TimingSession::setSegmentTime(int row, int segment, qint32 milliseconds)
{
    if (!m_sheet.hasRow(row))
        return false;
    LineWords words = m_sheet.row(row).words();
    if (!words.movedTime(segment, milliseconds))
        return false;
    words.move(segment, milliseconds);
    SheetEdit edit(m_sheet);
    rewords(edit, row, words);
    return commit(edit, Act::Drag);
}

bool TimingSession::nudgeSegment(qint32 deltaMs, bool repeat)
{
    const int selected = m_sheet.selected();
    if (selected < 0)
        return false;
    LineWords words = m_sheet.row(selected).words();
    const ExactTime time = words.timeOf(currentSegment());
    if (!time)
        return false;
    words.move(currentSegment(), ClampToPosition(qint64(*time) + deltaMs));
    SheetEdit edit(m_sheet);
    rewords(edit, selected, words);
    // A segment its neighbour holds back has still been handled: the line
    // is not nudged instead.
    commit(edit, Act::Nudge, repeat);
    return true;
}

bool TimingSession::retakeSegment()
{
    const int selected = m_sheet.selected();
    if (selected < 0)
        return false;
    const ExactTime time = m_sheet.row(selected).words().timeOf(currentSegment());
    if (!time)
        return false;
    m_transport.playFrom(std::max(*time - kRetakeLeadMs, 0));
    // The next Set stamps this segment again.
    m_sheet.setSegment(currentSegment());
    showSegmentPlace();
    return true;
}

bool TimingSession::shiftSegment()
{
    const int selected = m_sheet.selected();
    LineWords words = m_sheet.row(selected).words();
    const int segment = currentSegment();
    const ExactTime time = words.timeOf(segment);
    if (!time)
        return false;
    const qint64 delta = qint64(m_transport.stampPosition()) - *time;
    words.shift(delta, segment);
    SheetEdit edit(m_sheet);
    rewords(edit, selected, words);
    for (int row = selected + 1; row < rowCount(); ++row) {
        if (const ExactTime later = m_sheet.row(row).when())
            retime(edit, row, ClampToPosition(*later + delta));
    }
    commit(edit, Act::Shift);
    return true;
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
