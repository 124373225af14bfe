#pragma once

// Places and fonts shared by the windows. Sizes come in twips, fifteen to a
// pixel; the fonts stand in for the original look: "Terminal" is a
// monospaced font with Japanese glyphs, "ＭＳ Ｐゴシック" a proportional gothic.

#include <QFont>
#include <QRect>

class QPlainTextEdit;
class QWidget;

namespace verselet {

QRect TwipsRect(int left, int top, int width, int height);
QFont TerminalFont(double points = 13.5);
QFont GothicFont(double points);

// A box of many lines in the Terminal font, not wrapped, both scroll bars
// always there; Tab moves on to the next field.
QPlainTextEdit* MakeTextBox(QWidget* parent, const QString& name, const QString& tip);

} // namespace verselet
