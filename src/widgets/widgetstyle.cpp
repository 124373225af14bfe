#include "widgets/widgetstyle.h"

#include <QPlainTextEdit>

#include "shell/twips.h"

namespace verselet {

using namespace Qt::StringLiterals;

QRect TwipsRect(int left, int top, int width, int height)
{
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

QFont TerminalFont(double points)
{
    QFont font(u"Noto Sans Mono CJK JP"_s);
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    return font;
}

QFont GothicFont(double points)
{
    QFont font(u"Noto Sans CJK JP"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name, const QString& tip)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setFont(TerminalFont());
    box->setToolTip(tip);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    return box;
}

} // namespace verselet
