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
#include "session/stamping.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace verselet {

class TimingSession final : public QObject
{
    Q_OBJECT

public:
    // Drives `device`, which outlives the session.
    explicit TimingSession(CdAudioDevice& device, QObject* parent = nullptr);

    CdAudioDevice& device() { return m_device; }

    // ---- The lines of the run
    // The rows of the timing list and their exact times, row for row
    // (missing ones are none).
    void setRows(const QStringList& rows, const ExactTimes& exactTimes = {},
                 const WordTimes& wordTimes = {});
    // Each row as the list shows it: the tag, then the text.
    QStringList rows() const { return ListRows(m_rows); }
    const TimingRow& row(int row) const { return m_rows.at(row); }
    const TimingRows& lines() const { return m_rows; }
    int rowCount() const { return int(m_rows.size()); }
    // A row's exact time (milliseconds into the track), while its tag is
    // still the truncation of it; none otherwise.
    ExactTime exactTime(int row) const;
    // Every row's, as exactTime() gives them.
    ExactTimes exactTimes() const;
    // Every row's words worth keeping (times, or a split of the user's).
    WordTimes wordTimes() const { return KeptWordTimes(m_rows); }

    // The selected row, -1 for none. The user's choice in a view comes here.
    int selectedRow() const { return m_selected; }
    void selectRow(int row);

    // ---- The disc: "ﾄﾗｯｸn [mm:ss]" per track ("ﾄﾗｯｸn name [mm:ss]" for a
    // track the disc names), and the chosen one (-1: none).
    QStringList trackEntries() const;
    int selectedTrack() const { return m_selectedTrack; }
    // The track that plays (the chosen one, the first when none is): its
    // number, where it starts on the disc and how long it is, in ms.
    int playingTrackNumber() const { return selectedTrackNumber(); }
    qint32 playingTrackStart() const;
    qint32 playingTrackLength() const;

    // ---- State the views show
    // 1 while a track plays for timing (and while it is paused); 0 when stopped.
    qint16 PlayingFlag() const { return m_playingFlag; }
    // 1 while Set, Next or Top move the selection: an edit of the time field
    // is then not written back.
    qint16 EditGuard() const { return m_editGuard; }
    void setEditGuard(qint16 guard) { m_editGuard = guard; }
    // Set is usable (Playing), and the test from the start is.
    bool canSet() const { return m_canSet; }
    bool canTest() const { return m_canTest; }
    // The play time as a tag: "[--:--]" at first, "[00:00]" when stopped.
    QString playTime() const;
    // The same in whole seconds, as milliseconds; none at first.
    ExactTime playTimeMilliseconds() const
    {
        return m_shownSeconds ? ExactTime(*m_shownSeconds * 1000) : std::nullopt;
    }

    // ---- Operations
    // After the device has opened the disc: stop, milliseconds, list the tracks
    // and choose the remembered one (`rememberedIndex` is read the lenient
    // way). False when there is no track: no disc, or none that can be used.
    bool loadDisc(QStringView rememberedIndex);
    // "更新": lists the tracks of the disc as it is now and chooses the
    // remembered one again; the device describes the chosen track (track 1
    // when none is chosen). False when there is no track.
    bool relistTracks(QStringView rememberedIndex);
    // Choosing a track (and "□"): Stopped, armed at the start of that track.
    void chooseTrack(int index);
    void play();                // "＞": from the track start, or on from a pause
    void pause();               // "||"
    void stop();                // "□"
    void playFromSelectedRow(); // "=>": from the selected line's time
    // "Set": the row stamped keeps the heard position at the press as its
    // exact time, and its truncation as its tag. In word mode it stamps the
    // next segment instead (stampSegment).
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
    // The timer: the play time, and the end of the track.
    void tick();
    // The device stopped by itself (the disc ended or could not be read on).
    void playbackEnded();

    // A test display starts (from the beginning, or from the selected line)
    // and ends; the session plays and stops as the display needs.
    void beginTest(bool fromBeginning);
    void endTest();
    // True when the play time reads the chosen track's length, or more.
    bool atTrackEnd() const;

    // ---- The user's own lag: every stamp keeps the heard position less
    // this many milliseconds of real time (not below 0): at a speed below 1
    // that is lag × speed of the song.
    void setLagOffset(qint32 milliseconds) { m_lagOffset = milliseconds; }
    qint32 lagOffset() const { return m_lagOffset; }

    // ---- Playback speed (1: as recorded), the pitch kept. Every time of the
    // session stays in song time.
    void setSpeed(double speed);
    double speed() const { return m_speed; }

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
    struct SegmentPlace
    {
        int row = -1;
        int segment = 0;
        friend bool operator==(const SegmentPlace&, const SegmentPlace&) = default;
    };
    SegmentPlace nextSegment() const;
    // The segment the corrections work on: the selected line's last stamped
    // one (its first before any).
    int currentSegment() const { return std::max(m_segment - 1, 0); }
    // Set in word mode: the segment takes the heard position, and the later
    // segments of its line lose theirs and the end; the first segment's
    // stamp is also its line's.
    SetStep stampSegment();
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
    qint32 headPosition() const;
    // A row's time set outright (its mark dragged): one step, like a nudge.
    // False when the row has no time.
    bool setRowTime(int row, qint32 milliseconds);

    // ---- Corrections, each one step that undo takes back
    // The selected row's time moved by `deltaMs`, not below 0 nor past the largest
    // position; its tag follows by truncation. False when the row has no time.
    bool nudge(qint32 deltaMs);
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
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    bool undo();
    bool redo();

    // The run ends: the device stops, armed at the start of the chosen track.
    // Returns the chosen track index, to be remembered ("-1" when none).
    QString finishRun();

    // Stop, track = the chosen one (track 1 when none), From = its start.
    void ResetToTrackStart();
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
    struct Snapshot
    {
        TimingRows rows;
        int selected = -1;
        int segment = 0;
    };
    Snapshot snapshot() const { return {m_rows, m_selected, m_segment}; }
    // `before` becomes the step undo goes back to; what was undone is gone.
    void remember(Snapshot before);
    void restore(const Snapshot& state);
    // Set line by line.
    SetStep stampLine();
    // The track time heard now, not below 0.
    qint32 heardPosition() const;
    // The heard position as a stamp: less the user's lag, not below 0.
    qint32 stampPosition() const;
    // The row's tag and exact time become this time.
    void retime(int row, qint32 milliseconds);
    // The row takes these words (and, from the first, its time).
    void rewords(int row, const LineWords& words);
    // The corrections in word mode, on the current segment; false when it
    // has no time (the line's own correction applies then).
    bool nudgeSegment(qint32 deltaMs);
    bool retakeSegment();
    bool shiftSegment();
    // The next-segment place moved: the rows it left and reached are shown
    // again.
    void showSegmentPlace();
    void playFrom(qint32 trackMilliseconds);
    int selectedTrackNumber() const;
    void setControls(bool canSet, bool canTest);
    // The play time shown, to the second.
    void showTime(qint32 milliseconds);
    void selectNone();
    // Row 0 shown at the top, then nothing selected.
    void backToTop();
    void chooseRememberedTrack(QStringView rememberedIndex);
    void goStopped();

    CdAudioDevice& m_device;
    TimingRows m_rows;
    int m_selected = -1;
    // Where each track starts on the disc and how long it is, in ms, and
    // the name the disc gives it.
    struct Track
    {
        qint32 start = 0;
        qint32 length = 0;
        QString name;
    };
    QList<Track> m_tracks;
    int m_selectedTrack = -1;
    qint16 m_playingFlag = 0;
    qint16 m_editGuard = 0;
    bool m_canSet = false;
    bool m_canTest = true;
    // The play time shown, in whole seconds; none before the first tick.
    std::optional<qint32> m_shownSeconds;
    qint32 m_lagOffset = 0;
    double m_speed = 1.0;
    // Paused by a click on the waveform, at this track time.
    std::optional<qint32> m_cue;
    QList<Snapshot> m_undo;
    QList<Snapshot> m_redo;
    bool m_wordMode = false;
    // The selected line's next segment to stamp.
    int m_segment = 0;
    SegmentPlace m_shownPlace;
};

} // namespace verselet
