#pragma once

// The steps of a timing run that undo takes back and redo makes again. A step
// keeps only the rows it changed, each as it was and as it became, so that a
// stamp on a long list costs what the stamp changed, not the list.
//
// A step of the same kind as the last one may amend it (the repeats of a held
// key are one step); a step that changes no row is none, and leaves what
// redo would make again as it was. The oldest steps go once there are more
// than the limits allow.

#include "session/timingsheet.h"

#include <QList>

#include <optional>

namespace verselet {

class EditHistory final
{
public:
    struct Limits
    {
        qsizetype steps = 1000;
        qsizetype bytes = qsizetype(64) * 1024 * 1024;
    };
    EditHistory() = default;
    explicit EditHistory(Limits limits) : m_limits(limits) {}

    // Keeps `step` (made by an act of `kind`); with `amend`, joins it to the
    // last step when that was of the same kind and nothing was undone since.
    // False when it changes no row: then nothing is kept.
    bool record(const EditStep& step, int kind, bool amend = false);

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    // The last step taken back in `sheet` (its rows and its place as they
    // were before it); none when there is nothing to undo.
    std::optional<EditStep> undo(TimingSheet& sheet);
    // The last step undone made again; none when there is none.
    std::optional<EditStep> redo(TimingSheet& sheet);
    // A new run: no step to undo or redo.
    void clear();

    qsizetype steps() const { return m_undo.size() + m_redo.size(); }
    // What the steps kept take, roughly, in bytes.
    qsizetype bytes() const { return m_bytes; }

private:
    struct Kept
    {
        EditStep step;
        int kind = 0;
        qsizetype bytes = 0;
    };
    // The last step of `from` taken back (`back`) or made again in `sheet`,
    // and kept in `to`.
    std::optional<EditStep> carry(QList<Kept>& from, QList<Kept>& to, TimingSheet& sheet,
                                  bool back);
    void keep(QList<Kept>& list, Kept kept);
    Kept take(QList<Kept>& list);
    // The oldest undo steps go while the limits are passed.
    void trim();

    Limits m_limits;
    QList<Kept> m_undo;
    QList<Kept> m_redo;
    qsizetype m_bytes = 0;
    // The last step may be amended: no undo or redo since it was kept.
    bool m_amendable = false;
};

} // namespace verselet
