#pragma once

// The session's rows as a list model, for the timing window's list: one item
// per row, its text the row as it stands (tag field and line text). In word
// mode the row Set stamps next also gives where in its text that segment
// stands.

#include <QAbstractListModel>

namespace verselet {

class TimingLines;

class TimingListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TimingListModel(TimingLines& lines, QObject* parent = nullptr);

    // The next segment to stamp, as a QPoint: its first character in the
    // shown row, and its length. None on the other rows.
    static constexpr int kNextSegmentRole = Qt::UserRole + 1;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    TimingLines& m_lines;
};

} // namespace verselet
