#include "session/timinglistmodel.h"

#include "session/timingsession.h"

#include <QPoint>

namespace verselet {

TimingListModel::TimingListModel(TimingSession& session, QObject* parent)
    : QAbstractListModel(parent), m_session(session)
{
    // The session changes its rows first and says so after; a view asks for
    // nothing in between.
    connect(&session, &TimingSession::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&session, &TimingSession::rowChanged, this, [this](int row) {
        const QModelIndex i = index(row);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
    });
}

int TimingListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_session.rowCount();
}

QVariant TimingListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_session.rowCount())
        return {};
    const TimingRow& row = m_session.row(index.row());
    if (role == Qt::DisplayRole)
        return row.listRow();
    if (role == kNextSegmentRole && m_session.wordMode()) {
        const SheetPlace place = m_session.nextSegment();
        if (place.row != index.row())
            return {};
        const LineWords words = row.words();
        if (place.segment >= words.count())
            return {};
        const qsizetype tagLength = row.listRow().size() - row.text().size();
        return QPoint(int(tagLength + words.starts.at(place.segment)),
                      int(words.segmentText(place.segment).size()));
    }
    return {};
}

} // namespace verselet
