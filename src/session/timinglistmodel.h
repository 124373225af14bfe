#pragma once

// The session's rows as a list model, for the timing window's list: one item
// per row, its text the row as it stands (tag field and line text).

#include <QAbstractListModel>

namespace verselet {

class TimingSession;

class TimingListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TimingListModel(TimingSession& session, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TimingSession& m_session;
};

} // namespace verselet
