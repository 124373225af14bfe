#include "session/timinglistmodel.h"

#include "session/timingsession.h"

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
    if (role == Qt::DisplayRole)
        return m_session.row(index.row()).listRow();
    return {};
}

} // namespace verselet
