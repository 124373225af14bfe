#include "session/edithistory.h"

#include <algorithm>
#include <utility>

namespace verselet {

namespace {

qsizetype textBytes(const QString& text)
{
    return text.capacity() * qsizetype(sizeof(QChar));
}

// What a row kept in a step holds beyond its own size.
qsizetype rowBytes(const TimingRow& row)
{
    const LineWords words = row.keptWords();
    return qsizetype(sizeof(TimingRow)) + textBytes(row.text()) + textBytes(words.text) +
           words.starts.capacity() * qsizetype(sizeof(qsizetype)) +
           words.times.capacity() * qsizetype(sizeof(ExactTime));
}

qsizetype stepBytes(const EditStep& step)
{
    qsizetype bytes = qsizetype(sizeof(EditStep));
    for (const RowEdit& edit : step.rows)
        bytes += qsizetype(sizeof(RowEdit)) + rowBytes(edit.before) + rowBytes(edit.after);
    return bytes;
}

void apply(TimingSheet& sheet, const QList<RowEdit>& rows, bool back)
{
    SheetEdit edit(sheet);
    for (const RowEdit& row : rows)
        edit.setRow(row.row, back ? row.before : row.after);
}

} // namespace

bool EditHistory::record(const EditStep& step, int kind, bool amend)
{
    if (!step.changesRows())
        return false;
    if (amend && m_amendable && !m_undo.isEmpty() && m_undo.last().kind == kind) {
        Kept last = take(m_undo);
        for (const RowEdit& edit : step.rows) {
            const auto same =
                std::find_if(last.step.rows.begin(), last.step.rows.end(),
                             [&edit](const RowEdit& kept) { return kept.row == edit.row; });
            if (same == last.step.rows.end())
                last.step.rows.append(edit);
            else
                same->after = edit.after;
        }
        last.step.rows.removeIf([](const RowEdit& kept) { return kept.before == kept.after; });
        last.step.after = step.after;
        // Back where the held key started: no step at all.
        if (last.step.changesRows()) {
            last.bytes = stepBytes(last.step);
            keep(m_undo, std::move(last));
        } else {
            m_amendable = false;
        }
        return true;
    }
    while (!m_redo.isEmpty())
        take(m_redo);
    keep(m_undo, {step, kind, stepBytes(step)});
    m_amendable = true;
    trim();
    return true;
}

std::optional<EditStep> EditHistory::undo(TimingSheet& sheet)
{
    return carry(m_undo, m_redo, sheet, true);
}

std::optional<EditStep> EditHistory::redo(TimingSheet& sheet)
{
    return carry(m_redo, m_undo, sheet, false);
}

std::optional<EditStep> EditHistory::carry(QList<Kept>& from, QList<Kept>& to, TimingSheet& sheet,
                                           bool back)
{
    if (from.isEmpty())
        return std::nullopt;
    Kept kept = take(from);
    apply(sheet, kept.step.rows, back);
    sheet.setPlace(back ? kept.step.before : kept.step.after);
    const EditStep step = kept.step;
    keep(to, std::move(kept));
    m_amendable = false;
    return step;
}

void EditHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
    m_bytes = 0;
    m_amendable = false;
}

void EditHistory::keep(QList<Kept>& list, Kept kept)
{
    m_bytes += kept.bytes;
    list.append(std::move(kept));
}

EditHistory::Kept EditHistory::take(QList<Kept>& list)
{
    Kept kept = list.takeLast();
    m_bytes -= kept.bytes;
    return kept;
}

void EditHistory::trim()
{
    while (!m_undo.isEmpty() && (steps() > m_limits.steps || m_bytes > m_limits.bytes)) {
        m_bytes -= m_undo.first().bytes;
        m_undo.removeFirst();
    }
}

} // namespace verselet
