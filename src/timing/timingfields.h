#pragma once

// The parts the timing window is built of: where a widget stands, the rows
// of its button table, the time field's validator, and the list's mark of the
// segment stamped next.

#include "widgets/widgetstyle.h"

#include <QPalette>
#include <QRect>
#include <QString>
#include <QStyledItemDelegate>
#include <QValidator>

namespace verselet {

// A widget of the window where it has always stood, with its name and tool
// tip (none when empty); `twips` is its rectangle in twips.
template <typename Widget>
Widget* Placed(Widget* widget, const QString& name, const QString& tip, const QRect& twips)
{
    widget->setObjectName(name);
    if (!tip.isEmpty())
        widget->setToolTip(tip);
    widget->setGeometry(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return widget;
}

// A button as the window has always had it, and the timing command it runs
// (none: the window's own act).
struct TimingButton
{
    QString name;
    QString caption;
    QString tip;
    QRect twips;
    // A caption that wraps onto two lines.
    bool wraps;
    QString command;
};

// `base` with these colours behind and of the text.
QPalette Colours(const QPalette& base, const QColor& window, const QColor& text);

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
