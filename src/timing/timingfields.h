#pragma once

// What the timing window's list and time field need of their own: the time
// field's validator, and the list's mark of the segment stamped next.

#include <QStyledItemDelegate>
#include <QValidator>

namespace verselet {

// The time field takes only what the tag file can hold. A character code page
// 932 has no form for would let the tags be kept by no way out of the run, so
// it is refused as it is typed; a look-alike an input method typed becomes the
// character it stands for.
class WritableTagValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override;
};

// The list row Set stamps next in word mode marks the segment it stamps.
class NextSegmentDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace verselet
