#pragma once

// The lines of one timing run: the sheet of rows with its selection, the
// edits that change it (each one step of the run's edit history) and the way
// the run times them, line by line or word by word. The timing window, the
// list, the waveform and the test displays are views of it: they call its
// operations and follow its signals.
//
// A row is a value (TimingRow): a tag that holds a time in milliseconds or
// the characters of a tag field that holds none, the line's text, its exact
// time and its words. Set keeps the heard position as the row's time and
// shows its truncation.

#include "document/wordnotation.h"
#include "session/edithistory.h"
#include "session/readingproposals.h"
#include "session/stamping.h"
#include "session/timingmode.h"
#include "session/timingsheet.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace verselet {

class ReadingProposer;
class Transport;

class TimingLines final : public QObject, private TimingContext
{
    Q_OBJECT

public:
    // Stamps with the positions `transport` hears; it outlives the lines, and
    // so does `readings`, which proposes the readings of kanji (none: no
    // readings are proposed).
    explicit TimingLines(Transport& transport, ReadingProposer* readings = nullptr,
                         QObject* parent = nullptr);
    ~TimingLines() override;

    // The rows to time: a new sheet, nothing selected, a new history.
    void setRows(TimingRows rows);
    const TimingSheet& sheet() const override { return m_sheet; }
    // Every change of the rows (Set, a typed tag, a nudge, a shift, a drag,
    // a split) is a step: undo and redo restore the rows and the selection,
    // never playback.
    const EditHistory& history() const { return m_history; }

    // The selected row, -1 for none. The user's choice in a view comes here.
    void selectRow(int row);
    // Row 0 shown at the top, then nothing selected: the next Set stamps the
    // first line to be timed.
    void backToTop();

    // "Set": the row stamped keeps the heard position at the press as its
    // exact time, and its truncation as its tag. In word mode it stamps the
    // next segment instead: the segment takes the heard position, and the
    // later segments of its line lose theirs and the end.
    SetStep set();
    // Shift+Space: once the selected line's last segment is stamped, the
    // heard position is where it ends. False otherwise.
    bool setEnd();
    // "Next": passes over the line the next stamp would go to; in word mode
    // Space then stamps the line it selects.
    NextStep next();
    // "Top": the selected line to the top of the view; false with none.
    bool top();
    // The time field's text, typed or set: applies once its seventh
    // character is "]" and the selected line is one to be timed. A tag that
    // changes takes its whole seconds as the exact time. A field shown while
    // Set, Next or Top move the selection is not taken.
    bool editTag(const QString& editText);

    // ---- Corrections, as the way of timing makes them (TimingMode), each
    // one step that undo takes back. A nudge's `repeat` (a held key) amends
    // the step of the press it follows; a retake changes no row. A drag
    // moves a row's time (segment -1) or a segment's.
    bool nudge(qint32 deltaMs, bool repeat = false);
    bool retake();
    bool shiftFromHere();
    bool drag(int row, int segment, qint32 milliseconds);
    // The user's split of a line and the readings over its segments; its
    // word times go with the old units. False when it is the one it has, or
    // the row has no text. With no shape, the line's kanji take the readings
    // proposed for them again (one step, as a split).
    bool setSplit(int row, const std::optional<WordShape>& shape);
    bool undo();
    bool redo();

    // ---- Word by word
    // In word mode Set stamps the lines segment by segment, and the
    // corrections work on the segment last stamped. Turning it on or off
    // starts the selected line from its first segment. The first time it is
    // on for these rows, their kanji are given the readings proposed for
    // them (one step), on every line that has no words of its own yet.
    void setWordMode(bool on);
    bool wordMode() const { return m_wordMode; }
    // Where the list marks the next stamp: in word mode the segment Set
    // stamps next; row -1 for no mark.
    SheetPlace mark() const { return m_mode->mark(m_sheet); }

Q_SIGNALS:
    void rowsReset();
    void rowChanged(int row);
    void selectionChanged(int row);
    // The view brings this row to the top of what it shows.
    void rowShownAtTop(int row);
    // Next moved to a line that can take a stamp: the time field and the
    // text display show it.
    void lineShownForEditing(int row);
    // Readings were to be proposed, and none can be: why, for the user.
    void readingsUnavailable(const QString& why);

private:
    // What the ways of timing work on.
    Transport& transport() override { return m_transport; }
    SheetEdit edit() override;
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
    void proposeReadings();

    Transport& m_transport;
    ReadingProposals m_proposals;
    TimingSheet m_sheet;
    EditHistory m_history;
    // How Set and the corrections time the lines: line by line, or word by
    // word.
    std::unique_ptr<TimingMode> m_mode;
    bool m_wordMode = false;
    SheetPlace m_shownPlace;
    // While Set, Next or Top move the selection, the time field the views
    // show for it is theirs, not the user's.
    bool m_moving = false;
};

} // namespace verselet
