#pragma once

#include <QStringView>

namespace verselet {

// Reads the number at the start of a text the lenient way old BASIC dialects
// do: blanks (space, tab, LF) are skipped anywhere, an optional sign, digits
// and one decimal point are taken up to the first other character, and no
// number at all reads as 0. "05" is 5, " 1.5x" is 1.5, "-3" is -3, "abc" is 0.
double ReadLenientNumber(QStringView text);

// The nearest whole number, a half going to the even neighbour (2.5 -> 2,
// 1.5 -> 2, -0.5 -> 0).
double RoundHalfEven(double value);

} // namespace verselet
