#include "session/timinglistmodel.h"

#include "session/timinglines.h"

#include <QPoint>

namespace verselet {

TimingListModel::TimingListModel(TimingLines& lines, QObject* parent)
    : QAbstractListModel(parent), m_lines(lines)
{
    // The lines change its rows first and say so after; a view asks for
    // nothing in between.
    connect(&lines, &TimingLines::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&lines, &TimingLines::rowChanged, this, [this](int row) {
        const QModelIndex i = index(row);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
    });
}

int TimingListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_lines.sheet().rowCount();
}

QVariant TimingListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_lines.sheet().rowCount())
        return {};
    const TimingRow& row = m_lines.sheet().row(index.row());
    if (role == Qt::DisplayRole)
        return row.listRow();
    if (role == kNextSegmentRole) {
        const SheetPlace place = m_lines.mark();
        if (place.row != index.row())
            return {};
        const LineWords words = row.words();
        if (place.segment >= words.count())
            return {};
        // A unit of a reading marks the whole of its base.
        const qsizetype segment = words.unitAt(place.segment).segment;
        const qsizetype tagLength = row.listRow().size() - row.text().size();
        return QPoint(int(tagLength + words.starts.at(segment)),
                      int(words.segmentText(segment).size()));
    }
    return {};
}

} // namespace verselet
