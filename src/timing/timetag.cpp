#include "timing/timetag.h"

#include <cmath>

namespace verselet {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// The lenient number reading of a short field: "05" is 5, " 5" and "5 " are 5,
// "-5" is -5, ".5" is 0.5, "9:" is 9, "--" and "" are 0.
double readNumber(QStringView field)
{
    double value = 0;
    double scale = 0; // 0 before the decimal point, then 0.1, 0.01, ...
    bool negative = false;
    bool started = false;
    for (const QChar c : field) {
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

// Rounds to the nearest whole number, halves to the even neighbour.
double roundHalfEven(double x) { return x - std::remainder(x, 1.0); }

} // namespace

QString FormatTimeTag(qint32 milliseconds)
{
    const qint32 seconds = milliseconds < 0 ? 0 : milliseconds / 1000;
    const qint32 minutes = seconds / 60;
    const qint32 rest = seconds - 60 * minutes;
    return QStringLiteral("[%1:%2]")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(rest, 2, 10, QLatin1Char('0'));
}

double TagToMilliseconds(QStringView text)
{
    const auto field = [text](qsizetype from) {
        return from < text.size() ? text.mid(from, 2) : QStringView();
    };
    const double minuteSeconds = roundHalfEven(readNumber(field(1)) * 60);
    const double total = roundHalfEven(minuteSeconds + readNumber(field(4)));
    return total * 1000;
}

} // namespace verselet
