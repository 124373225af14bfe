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

// A track's name as the track list shows it: a longer one is cut to this
// many characters, the last of them an ellipsis, and the length still ends
// the entry.
constexpr qsizetype kShownNameLength = 40;

QString shownTrackName(const QString& name)
{
    if (name.size() <= kShownNameLength)
        return name;
    qsizetype kept = kShownNameLength - 1;
    // A character outside the BMP is not split in two.
    if (name.at(kept - 1).isHighSurrogate())
        --kept;
    return name.first(kept) + u'…';
}

} // namespace

TimingSession::TimingSession(CdAudioDevice& device, QObject* parent)
    : QObject(parent), m_device(device)
{
    // The device has no buttons of its own; were it to report them, they
    // would move the flag and nothing else.
    connect(&m_device, &CdAudioDevice::PlayClick, this, [this] { m_playingFlag = 1; });
    connect(&m_device, &CdAudioDevice::StopClick, this, [this] { m_playingFlag = 0; });
    connect(&m_device, &CdAudioDevice::playbackEnded, this, &TimingSession::playbackEnded);
}

void TimingSession::setRows(const QStringList& rows, const ExactTimes& exactTimes,
                            const WordTimes& wordTimes)
{
    m_rows = TimingRowsFromList(rows, exactTimes, wordTimes);
    m_selected = -1;
    m_segment = 0;
    m_shownPlace = m_wordMode ? nextSegment() : SegmentPlace{};
    m_undo.clear();
    m_redo.clear();
    Q_EMIT rowsReset();
    Q_EMIT selectionChanged(-1);
}

ExactTime TimingSession::exactTime(int row) const
{
    if (row < 0 || row >= rowCount())
        return std::nullopt;
    return m_rows.at(row).exactTime();
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
    if (row < 0 || row >= rowCount())
        row = -1;
    if (row == m_selected)
        return;
    m_selected = row;
    m_segment = 0;
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
    if (!m_rows.isEmpty()) {
        selectRow(0);
        Q_EMIT rowShownAtTop(0);
    }
    selectNone();
}

bool TimingSession::loadDisc(QStringView rememberedIndex)
{
    m_device.setCommand(u"Stop"_s);
    m_device.setTimeFormat(0);
    return relistTracks(rememberedIndex);
}

bool TimingSession::relistTracks(QStringView rememberedIndex)
{
    m_tracks.clear();
    m_selectedTrack = -1;
    const bool any = m_device.Tracks() >= 1;
    if (any) {
        for (int n = 1; n <= m_device.Tracks(); ++n) {
            m_device.setTrack(n);
            m_tracks.append(
                {m_device.TrackPosition(), m_device.TrackLength(), m_device.TrackName()});
        }
    }
    Q_EMIT tracksChanged();
    if (any) {
        chooseRememberedTrack(rememberedIndex);
        // The timer and the end-of-track check read the chosen track: the
        // device describes that one, not the last one listed.
        m_device.setTrack(selectedTrackNumber());
    }
    return any;
}

void TimingSession::chooseRememberedTrack(QStringView rememberedIndex)
{
    const double index = RoundHalfEven(ReadLenientNumber(rememberedIndex));
    if (index >= 0 && index < m_tracks.size())
        chooseTrack(int(index));
}

qint32 TimingSession::playingTrackStart() const
{
    const int index = selectedTrackNumber() - 1;
    return index < m_tracks.size() ? m_tracks.at(index).start : 0;
}

qint32 TimingSession::playingTrackLength() const
{
    const int index = selectedTrackNumber() - 1;
    return index < m_tracks.size() ? m_tracks.at(index).length : 0;
}

int TimingSession::selectedTrackNumber() const
{
    // With no track chosen the disc plays from its first track: no track 0 is
    // ever asked for.
    return std::max(m_selectedTrack, 0) + 1;
}

void TimingSession::setControls(bool canSet, bool canTest)
{
    if (canSet == m_canSet && canTest == m_canTest)
        return;
    m_canSet = canSet;
    m_canTest = canTest;
    Q_EMIT controlsChanged();
}

QStringList TimingSession::trackEntries() const
{
    QStringList entries;
    entries.reserve(m_tracks.size());
    for (int n = 1; n <= m_tracks.size(); ++n) {
        const Track& track = m_tracks.at(n - 1);
        const QString length = FormatTimeTag(track.length);
        // One arg() for all, so that a "%1" in a file's name stays as it is.
        entries.append(
            track.name.isEmpty()
                ? tr("ﾄﾗｯｸ%1 %2").arg(QString::number(n), length)
                : tr("ﾄﾗｯｸ%1 %2 %3").arg(QString::number(n), shownTrackName(track.name), length));
    }
    return entries;
}

QString TimingSession::playTime() const
{
    return m_shownSeconds ? FormatTimeTag(*m_shownSeconds * 1000) : kUntimedTag.toString();
}

void TimingSession::showTime(qint32 milliseconds)
{
    // The display changes once a second: no text is made on the other ticks.
    const qint32 seconds = std::max(milliseconds, 0) / 1000;
    if (m_shownSeconds == seconds)
        return;
    m_shownSeconds = seconds;
    Q_EMIT playTimeChanged(playTime());
}

void TimingSession::ResetToTrackStart()
{
    m_device.setCommand(u"Stop"_s);
    m_device.setTrack(selectedTrackNumber());
    m_device.setFrom(m_device.TrackPosition());
}

void TimingSession::goStopped()
{
    m_cue.reset();
    setControls(false, true);
    ResetToTrackStart();
    m_playingFlag = 0;
}

void TimingSession::chooseTrack(int index)
{
    if (index < -1 || index >= m_tracks.size())
        index = -1;
    m_selectedTrack = index;
    Q_EMIT trackChosen(index);
    goStopped();
}

void TimingSession::play()
{
    m_cue.reset();
    setControls(true, false);
    backToTop();
    m_device.setCommand(u"play"_s);
    m_playingFlag = 1;
}

void TimingSession::pause()
{
    setControls(false, true);
    m_device.setCommand(u"Stop"_s);
}

void TimingSession::stop()
{
    chooseTrack(m_selectedTrack);
}

void TimingSession::playFromSelectedRow()
{
    playFrom(qint32(GetSelectedTagOffset()));
}

void TimingSession::playFrom(qint32 trackMilliseconds)
{
    m_cue.reset();
    setControls(true, false);
    m_device.setTrack(selectedTrackNumber());
    m_device.setFrom(ClampToPosition(qint64(m_device.TrackPosition()) + trackMilliseconds));
    m_device.setCommand(u"Play"_s);
    m_playingFlag = 1;
}

qint32 TimingSession::heardPosition() const
{
    return std::max(m_device.Position() - m_device.TrackPosition(), 0);
}

qint32 TimingSession::stampPosition() const
{
    // The lag is the user's, in real time: slowed down, it spans less of the
    // song.
    const qint64 lag = std::llround(m_lagOffset * m_speed);
    return qint32(std::max<qint64>(qint64(heardPosition()) - lag, 0));
}

void TimingSession::setSpeed(double speed)
{
    if (speed <= 0)
        return;
    m_speed = speed;
    m_device.setSpeed(speed);
}

qint32 TimingSession::headPosition() const
{
    return m_cue ? *m_cue : heardPosition();
}

void TimingSession::seek(qint32 trackMilliseconds)
{
    const qint32 at = std::max(trackMilliseconds, 0);
    if (m_canSet && m_playingFlag == 1) {
        playFrom(at);
        return;
    }
    // Paused, as "||" leaves it: the flag stays up, "＞" plays on.
    m_device.setCommand(u"Stop"_s);
    m_device.setTrack(selectedTrackNumber());
    m_device.setFrom(ClampToPosition(qint64(m_device.TrackPosition()) + at));
    m_playingFlag = 1;
    setControls(false, true);
    m_cue = at;
    showTime(at);
}

bool TimingSession::setRowTime(int row, qint32 milliseconds)
{
    if (row < 0 || row >= rowCount() || !m_rows.at(row).when())
        return false;
    remember(snapshot());
    retime(row, std::max(milliseconds, 0));
    return true;
}

double TimingSession::GetSelectedTagOffset() const
{
    return m_selected >= 0 ? m_rows.at(m_selected).tagMilliseconds() : 0;
}

SetStep TimingSession::set()
{
    return m_wordMode ? stampSegment() : stampLine();
}

SetStep TimingSession::stampLine()
{
    m_editGuard = 1;
    const int before = m_selected;
    // Read at the press, not at the last tick: the tag is the same text as
    // the play time shown but for the time since that tick.
    const qint32 heard = stampPosition();
    Snapshot unstamped = snapshot();
    const SetStep step = PressSet(m_rows, m_selected, heard);
    if (step.stamped)
        remember(std::move(unstamped));
    if (step.runEnds) {
        // Lines not to be timed passed over on the way: the selection stands
        // on the last line.
        if (step.selected != before)
            selectRow(step.selected);
        goStopped();
        m_editGuard = 0;
        return step;
    }
    selectRow(step.selected);
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
    int from = m_selected;
    if (m_wordMode)
        from = std::max(from, nextSegment().row);
    const NextStep step = PressNext(m_rows, from);
    if (!m_rows.isEmpty())
        selectRow(step.selected);
    if (m_wordMode) {
        m_segment = 0;
        showSegmentPlace();
    }
    if (step.showRow)
        Q_EMIT lineShownForEditing(step.selected);
    m_editGuard = 0;
    return step;
}

bool TimingSession::top()
{
    if (m_selected < 0)
        return false;
    m_editGuard = 1;
    Q_EMIT rowShownAtTop(m_selected);
    m_editGuard = 0;
    return true;
}

bool TimingSession::editTag(const QString& editText)
{
    if (m_editGuard == 1 || m_selected < 0)
        return false;
    TimingRow row = m_rows.at(m_selected);
    if (!row.applyEdit(editText))
        return false;
    if (row != m_rows.at(m_selected)) {
        remember(snapshot());
        m_rows[m_selected] = row;
        Q_EMIT rowChanged(m_selected);
    }
    return true;
}

bool TimingSession::atTrackEnd() const
{
    // At or past the length, to the second: a late tick that skips the last
    // second still ends the track.
    return m_selectedTrack >= 0 && m_shownSeconds &&
           *m_shownSeconds >= m_tracks.at(m_selectedTrack).length / 1000;
}

void TimingSession::tick()
{
    if (m_playingFlag != 1) {
        showTime(0);
        return;
    }
    if (m_cue) {
        showTime(*m_cue);
        return;
    }
    showTime(heardPosition());
    // The play time has reached the track's length, to the second.
    if (atTrackEnd()) {
        goStopped();
        Q_EMIT endOfTrack();
    }
}

void TimingSession::playbackEnded()
{
    // The position no longer moves: Stopped, as at the end of a track,
    // instead of a frozen time to stamp.
    if (m_playingFlag != 1)
        return;
    goStopped();
}

void TimingSession::beginTest(bool fromBeginning)
{
    m_cue.reset();
    setControls(true, false);
    if (fromBeginning) {
        backToTop();
        // Where the last reset put the device, or on from a pause.
        m_device.setCommand(u"play"_s);
    } else {
        m_device.setFrom(qint32(m_device.TrackPosition() + GetSelectedTagOffset()));
        m_device.setCommand(u"Play"_s);
    }
    m_playingFlag = 1;
}

void TimingSession::endTest()
{
    goStopped();
}

bool TimingSession::nudge(qint32 deltaMs)
{
    if (m_wordMode && nudgeSegment(deltaMs))
        return true;
    if (m_selected < 0)
        return false;
    const ExactTime time = m_rows.at(m_selected).when();
    if (!time)
        return false;
    remember(snapshot());
    retime(m_selected, ClampToPosition(qint64(*time) + deltaMs));
    return true;
}

bool TimingSession::retake()
{
    if (m_wordMode && retakeSegment())
        return true;
    if (m_selected < 0)
        return false;
    const ExactTime time = m_rows.at(m_selected).when();
    if (!time)
        return false;
    playFrom(std::max(*time - kRetakeLeadMs, 0));
    if (m_wordMode) {
        // Space stamps the selected line's first segment next.
        m_segment = 0;
        showSegmentPlace();
    } else {
        // Set goes on from the line before, and so stamps this one next.
        selectRow(m_selected - 1);
    }
    return true;
}

bool TimingSession::shiftFromHere()
{
    if (!m_canSet || m_playingFlag != 1 || m_selected < 0)
        return false;
    if (m_wordMode && shiftSegment())
        return true;
    const ExactTime time = m_rows.at(m_selected).when();
    if (!time)
        return false;
    const qint32 now = stampPosition();
    const qint64 delta = qint64(now) - *time;
    remember(snapshot());
    retime(m_selected, now);
    for (int row = m_selected + 1; row < rowCount(); ++row) {
        if (const ExactTime later = m_rows.at(row).when())
            retime(row, ClampToPosition(*later + delta));
    }
    return true;
}

void TimingSession::retime(int row, qint32 milliseconds)
{
    m_rows[row] = m_rows.at(row).retimed(milliseconds);
    Q_EMIT rowChanged(row);
}

void TimingSession::rewords(int row, const LineWords& words)
{
    m_rows[row].setWords(words);
    Q_EMIT rowChanged(row);
}

void TimingSession::setWordMode(bool on)
{
    m_wordMode = on;
    m_segment = 0;
    showSegmentPlace();
}

TimingSession::SegmentPlace TimingSession::nextSegment() const
{
    if (m_selected >= 0) {
        const TimingRow& row = m_rows.at(m_selected);
        if (row.canTakeStamp() && m_segment < row.words().count())
            return {m_selected, m_segment};
    }
    return {NextRowToTime(m_rows, m_selected), 0};
}

void TimingSession::showSegmentPlace()
{
    const SegmentPlace now = m_wordMode ? nextSegment() : SegmentPlace{};
    if (now == m_shownPlace)
        return;
    const SegmentPlace before = std::exchange(m_shownPlace, now);
    if (before.row >= 0)
        Q_EMIT rowChanged(before.row);
    if (now.row >= 0 && now.row != before.row)
        Q_EMIT rowChanged(now.row);
}

SetStep TimingSession::stampSegment()
{
    const qint32 heard = stampPosition();
    const SegmentPlace place = nextSegment();
    // Nothing left to stamp: the run ends as it does line by line.
    if (place.row < 0)
        return stampLine();
    m_editGuard = 1;
    Snapshot before = snapshot();
    if (place.row != m_selected)
        selectRow(place.row);
    TimingRow row = m_rows.at(place.row);
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
    remember(std::move(before));
    m_rows[place.row] = row;
    m_segment = place.segment + 1;
    Q_EMIT rowChanged(place.row);
    showSegmentPlace();
    m_editGuard = 0;
    return {place.row, false, true};
}

bool TimingSession::stampSegmentEnd()
{
    if (m_selected < 0)
        return false;
    LineWords words = m_rows.at(m_selected).words();
    if (words.count() == 0 || m_segment < words.count() || !words.timeOf(words.count() - 1))
        return false;
    remember(snapshot());
    words.end = std::max(stampPosition(), *words.timeOf(words.count() - 1));
    rewords(m_selected, words);
    return true;
}

bool TimingSession::setSplit(int row, const SegmentStarts& starts)
{
    if (row < 0 || row >= rowCount())
        return false;
    const LineWords words = m_rows.at(row).words();
    LineWords split = words;
    split.resplit(starts);
    if (words.count() == 0 || split == words)
        return false;
    remember(snapshot());
    rewords(row, split);
    if (row == m_selected)
        m_segment = 0;
    showSegmentPlace();
    return true;
}

bool TimingSession::setSegmentTime(int row, int segment, qint32 milliseconds)
{
    if (row < 0 || row >= rowCount())
        return false;
    LineWords words = m_rows.at(row).words();
    if (!words.movedTime(segment, milliseconds))
        return false;
    remember(snapshot());
    words.move(segment, milliseconds);
    rewords(row, words);
    return true;
}

bool TimingSession::nudgeSegment(qint32 deltaMs)
{
    if (m_selected < 0)
        return false;
    LineWords words = m_rows.at(m_selected).words();
    const ExactTime time = words.timeOf(currentSegment());
    if (!time)
        return false;
    remember(snapshot());
    words.move(currentSegment(), ClampToPosition(qint64(*time) + deltaMs));
    rewords(m_selected, words);
    return true;
}

bool TimingSession::retakeSegment()
{
    if (m_selected < 0)
        return false;
    const ExactTime time = m_rows.at(m_selected).words().timeOf(currentSegment());
    if (!time)
        return false;
    playFrom(std::max(*time - kRetakeLeadMs, 0));
    // The next Set stamps this segment again.
    m_segment = currentSegment();
    showSegmentPlace();
    return true;
}

bool TimingSession::shiftSegment()
{
    LineWords words = m_rows.at(m_selected).words();
    const int segment = currentSegment();
    const ExactTime time = words.timeOf(segment);
    if (!time)
        return false;
    const qint64 delta = qint64(stampPosition()) - *time;
    remember(snapshot());
    words.shift(delta, segment);
    rewords(m_selected, words);
    for (int row = m_selected + 1; row < rowCount(); ++row) {
        if (const ExactTime later = m_rows.at(row).when())
            retime(row, ClampToPosition(*later + delta));
    }
    return true;
}

void TimingSession::remember(Snapshot before)
{
    m_undo.append(std::move(before));
    m_redo.clear();
}

void TimingSession::restore(const Snapshot& state)
{
    const Snapshot now = snapshot();
    m_rows = state.rows;
    for (int row = 0; row < rowCount(); ++row) {
        if (m_rows.at(row) != now.rows.at(row))
            Q_EMIT rowChanged(row);
    }
    selectRow(state.selected);
    m_segment = state.segment;
    showSegmentPlace();
}

bool TimingSession::undo()
{
    if (m_undo.isEmpty())
        return false;
    m_redo.append(snapshot());
    restore(m_undo.takeLast());
    return true;
}

bool TimingSession::redo()
{
    if (m_redo.isEmpty())
        return false;
    m_undo.append(snapshot());
    restore(m_redo.takeLast());
    return true;
}

QString TimingSession::finishRun()
{
    const QString remembered = QString::number(m_selectedTrack);
    setControls(false, true);
    ResetToTrackStart();
    return remembered;
}

} // namespace verselet
