#pragma once

// One run of real-time input, without a window: the lines to time, the
// selected line, the track list of the disc, the transport and the play time
// as a tag. The timing window and the test displays are its views; they call
// its operations and follow its signals, and none of them reads another's
// widgets.
//
// Rows are values (TimingRow): a tag that holds a time in milliseconds or
// the characters of a tag field that holds none, and the line's text. The
// list and the tag file see them as the timing list has always been written:
// the tag, then the text. Set keeps the heard position as the row's time and
// shows its truncation.

#include "audio/cdaudiodevice.h"
#include "document/exacttimes.h"
#include "document/timingrow.h"
#include "session/edithistory.h"
#include "session/stamping.h"
#include "session/timingmode.h"
#include "session/timingsheet.h"
#include "session/transport.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace verselet {

class TimingSession final : public QObject, private TimingContext
{
    Q_OBJECT

public:
    // Drives `device`, which outlives the session.
    explicit TimingSession(CdAudioDevice& device, QObject* parent = nullptr);

    CdAudioDevice& device() { return m_device; }
    Transport& transport() override { return m_transport; }
    const Transport& transport() const { return m_transport; }

    // ---- The lines of the run
    // The rows of the timing list and their exact times, row for row
    // (missing ones are none).
    void setRows(TimingRows rows);
    void setRows(const QStringList& rows, const ExactTimes& exactTimes = {},
                 const WordTimes& wordTimes = {});
    // Each row as the list shows it: the tag, then the text.
    QStringList rows() const { return m_sheet.listRows(); }
    const TimingRow& row(int row) const { return m_sheet.row(row); }
    const TimingRows& lines() const { return m_sheet.rows(); }
    const TimingSheet& sheet() const override { return m_sheet; }
    int rowCount() const { return m_sheet.rowCount(); }
    // A row's exact time (milliseconds into the track), while its tag is
    // still the truncation of it; none otherwise.
    ExactTime exactTime(int row) const;
    // Every row's, as exactTime() gives them.
    ExactTimes exactTimes() const;
    // Every row's words worth keeping (times, or a split of the user's).
    WordTimes wordTimes() const { return KeptWordTimes(m_sheet.rows()); }

    // The selected row, -1 for none. The user's choice in a view comes here.
    int selectedRow() const { return m_sheet.selected(); }
    void selectRow(int row);

    // ---- The disc: "ﾄﾗｯｸn [mm:ss]" per track, and the chosen one (-1: none).
    QStringList trackEntries() const { return m_transport.tracks().entries(); }
    int selectedTrack() const { return m_transport.tracks().chosen; }
    // The track that plays (the chosen one, the first when none is): its
    // number, where it starts on the disc and how long it is, in ms.
    int playingTrackNumber() const { return m_transport.tracks().playingNumber(); }
    qint32 playingTrackStart() const { return m_transport.tracks().playing().start; }
    qint32 playingTrackLength() const { return m_transport.tracks().playing().length; }

    // ---- State the views show
    // 1 while a track plays for timing (and while it is paused); 0 when stopped.
    qint16 PlayingFlag() const { return m_transport.state() == Transport::State::Stopped ? 0 : 1; }
    // 1 while Set, Next or Top move the selection: an edit of the time field
    // is then not written back.
    qint16 EditGuard() const { return m_editGuard; }
    void setEditGuard(qint16 guard) { m_editGuard = guard; }
    // Set is usable (Playing), and the test from the start is.
    bool canSet() const { return m_transport.isRunning(); }
    bool canTest() const { return !m_transport.isRunning(); }
    // The play time as a tag: "[--:--]" at first, "[00:00]" when stopped.
    QString playTime() const { return ClockText(m_transport.shownTime()); }
    // The same in whole seconds, as milliseconds; none at first.
    ExactTime playTimeMilliseconds() const { return m_transport.shownTime(); }

    // ---- Operations
    // After the device has opened the disc: stop, milliseconds, list the tracks
    // and choose the remembered one (`rememberedIndex` is read the lenient
    // way). False when there is no track: no disc, or none that can be used.
    bool loadDisc(QStringView rememberedIndex) { return m_transport.loadDisc(rememberedIndex); }
    // "更新": lists the tracks of the disc as it is now and chooses the
    // remembered one again; the device describes the chosen track (track 1
    // when none is chosen). False when there is no track.
    bool relistTracks(QStringView rememberedIndex)
    {
        return m_transport.relistTracks(rememberedIndex);
    }
    // Choosing a track (and "□"): Stopped, armed at the start of that track.
    void chooseTrack(int index) { m_transport.chooseTrack(index); }
    void play();                                  // "＞": from the track start, or on from a pause
    void pause() { m_transport.pause(); }         // "||"
    void stop() { chooseTrack(selectedTrack()); } // "□"
    void playFromSelectedRow();                   // "=>": from the selected line's time
    // "Set": the row stamped keeps the heard position at the press as its
    // exact time, and its truncation as its tag. In word mode it stamps the
    // next segment instead: the segment takes the heard position, and the
    // later segments of its line lose theirs and the end.
    SetStep set();
    // "Next": passes over the line the next stamp would go to; in word mode
    // Space then stamps the line it selects.
    NextStep next();
    // "Top": the selected line to the top of the view; false with none.
    bool top();
    // The time field's text, typed or set: applies once its seventh
    // character is "]" and the selected line is one to be timed. A tag that
    // changes takes its whole seconds as the exact time.
    bool editTag(const QString& editText);
    // The clock's step: the play time, and the end of the track.
    void tick() { m_transport.tick(); }

    // A test display starts (from the beginning, or from the selected line)
    // and ends; the session plays and stops as the display needs.
    void beginTest(bool fromBeginning);
    void endTest() { m_transport.halt(); }

    // ---- The user's own lag: every stamp keeps the heard position less
    // this many milliseconds of real time (not below 0): at a speed below 1
    // that is lag × speed of the song.
    void setLagOffset(qint32 milliseconds) { m_transport.setLag(milliseconds); }
    qint32 lagOffset() const { return m_transport.lag(); }

    // ---- Playback speed (1: as recorded), the pitch kept. Every time of the
    // session stays in song time.
    void setSpeed(double speed);
    double speed() const { return m_transport.speed() / 100.0; }

    // ---- Word by word
    // In word mode Set stamps the lines segment by segment, and the
    // corrections (nudge, retake, shift, a dragged tick) work on the segment
    // last stamped. Turning it on or off starts the selected line from its
    // first segment.
    void setWordMode(bool on);
    bool wordMode() const { return m_wordMode; }
    // Where the next Set stamps in word mode: the selected line's next
    // segment; after its last one (or with no line selected) the first
    // segment of the next line to be timed. Row -1 when the run would end.
    SheetPlace nextSegment() const { return m_sheet.nextSegment(); }
    // The segment the corrections work on: the selected line's last stamped
    // one (its first before any).
    int currentSegment() const { return std::max(m_sheet.segment() - 1, 0); }
    // Shift+Space: once the selected line's last segment is stamped, the
    // heard position is where it ends. False otherwise.
    bool stampSegmentEnd();
    // The user's split of a line; its word times go with the old split. One
    // step. False when the split is the one it has, or the row has no text.
    bool setSplit(int row, const SegmentStarts& starts);
    // A segment's time set outright (its tick dragged; segment count() is
    // the line's end), held between its neighbours: one step. False when it
    // has no time.
    bool setSegmentTime(int row, int segment, qint32 milliseconds);

    // ---- The waveform
    // A click at a time of the chosen track: while playing, plays on from
    // there; otherwise Paused there, and "＞" goes on from it.
    void seek(qint32 trackMilliseconds);
    // Where the play head stands in the track: the time heard, or the point
    // a click paused at.
    qint32 headPosition() const { return m_transport.headPosition(); }
    // A row's time set outright (its mark dragged): one step, like a nudge.
    // False when the row has no time.
    bool setRowTime(int row, qint32 milliseconds);

    // ---- Corrections, each one step that undo takes back
    // The selected row's time moved by `deltaMs`, not below 0 nor past the largest
    // position; its tag follows by truncation. False when the row has no time
    // or does not move. The repeats of a held key (`repeat`) amend the step
    // of the press they follow.
    bool nudge(qint32 deltaMs, bool repeat = false);
    // Plays from 3 s before the selected row's time (from the track start
    // when that is sooner) and selects the row before it, so that the next
    // Set stamps the row again; in word mode the row stays selected and
    // Space stamps its first segment next. Changes no row; false when the
    // selected row has no time.
    bool retake();
    // While playing: the selected row takes the heard position, and every
    // later row with a time moves by as much (not below 0). False otherwise,
    // or when the selected row has no time.
    bool shiftFromHere();
    // Every change of the rows in this run (Set, direct edit, nudge, shift)
    // is a step: undo and redo restore the rows, their exact times and the
    // selection, never playback. setRows() starts a new history.
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    bool undo();
    bool redo();

    // The run ends: the device stops, armed at the start of the chosen track.
    // Returns the chosen track index, to be remembered ("-1" when none).
    QString finishRun();

    // The selected line's tag in milliseconds; 0 with no line selected.
    double GetSelectedTagOffset() const;

Q_SIGNALS:
    void rowsReset();
    void rowChanged(int row);
    void selectionChanged(int row);
    // The view brings this row to the top of what it shows.
    void rowShownAtTop(int row);
    // Next moved to a line that can take a stamp: the time field and the
    // text display show it (EditGuard is 1 meanwhile).
    void lineShownForEditing(int row);
    void playTimeChanged(const QString& tag);
    // canSet() or canTest() changed.
    void controlsChanged();
    void tracksChanged();
    void trackChosen(int index);
    // The play time has reached the length of the chosen track.
    void endOfTrack();

private:
    // What the ways of timing work on.
    SheetEdit edit() override;
    // The step `edit` made, kept for undo; the rows it changed are told.
    bool commit(const SheetEdit& edit, TimingAct act, bool repeat = false) override;
    void select(int row) override { selectRow(row); }
    void setSegment(int segment) override;
    void show(int row) override;
    // After undo or redo: the rows it changed are told, and the selection
    // moves from `was` to where the step leaves it.
    void restored(const std::optional<EditStep>& step, const SheetPlace& was);
    // The next-segment place moved: the rows it left and reached are shown
    // again.
    void showSegmentPlace();
    void selectNone();
    // Row 0 shown at the top, then nothing selected.
    void backToTop();

    CdAudioDevice& m_device;
    TimingSheet m_sheet;
    EditHistory m_history;
    Transport m_transport;
    qint16 m_editGuard = 0;
    // How Set and the corrections time the lines: line by line, or word by
    // word.
    std::unique_ptr<TimingMode> m_mode;
    bool m_wordMode = false;
    SheetPlace m_shownPlace;
};

} // namespace verselet
