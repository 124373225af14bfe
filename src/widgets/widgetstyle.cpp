#include "widgets/widgetstyle.h"

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

} // namespace verselet
