#include "timing/timingfields.h"

#include "document/textfile.h"
#include "session/timinglistmodel.h"

#include <QPainter>

namespace verselet {

QPalette Colours(const QPalette& base, const QColor& window, const QColor& text)
{
    QPalette colours = base;
    colours.setColor(QPalette::Window, window);
    colours.setColor(QPalette::WindowText, text);
    return colours;
}

QValidator::State WritableTagValidator::validate(QString& input, int&) const
{
    input = FoldForCp932(input);
    return CanEncodeCp932(input) ? Acceptable : Invalid;
}

void NextSegmentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QVariant place = index.data(TimingListModel::kNextSegmentRole);
    if (!place.isValid())
        return;
    const QPoint segment = place.toPoint();
    const QString row = index.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(option.font);
    const int margin =
        option.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget);
    const QRect text = option.rect.adjusted(margin + 1, 0, 0, 0);
    const int from = text.left() + metrics.horizontalAdvance(row.left(segment.x()));
    const int width = metrics.horizontalAdvance(row.mid(segment.x(), segment.y()));
    const QRect mark(from, option.rect.top() + 1, width, option.rect.height() - 2);
    painter->save();
    painter->fillRect(mark, QColor(255, 190, 0, 110));
    painter->setPen(QPen(QColor(220, 120, 0), 2));
    painter->drawLine(mark.bottomLeft(), mark.bottomRight());
    painter->restore();
}

} // namespace verselet
