#include "document/lenientnumber.h"

#include <cmath>

namespace verselet {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

} // namespace

double ReadLenientNumber(QStringView text)
{
    double value = 0;
    double scale = 0; // 0 before the decimal point, then 0.1, 0.01, ...
    bool negative = false;
    bool started = false;
    for (const QChar c : text) {
        if (isBlank(c))
            continue;
        if (!started && (c == u'+' || c == u'-')) {
            negative = c == u'-';
            started = true;
            continue;
        }
        started = true;
        if (c == u'.' && scale == 0) {
            scale = 0.1;
        } else if (c >= u'0' && c <= u'9') {
            const int digit = c.unicode() - u'0';
            if (scale == 0) {
                value = value * 10 + digit;
            } else {
                value += digit * scale;
                scale /= 10;
            }
        } else {
            break;
        }
    }
    return negative ? -value : value;
}

double RoundHalfEven(double value)
{
    return value - std::remainder(value, 1.0);
}

} // namespace verselet
