#pragma once

// A property check for the fuzz targets: a broken property prints what was
// expected and aborts, which libFuzzer reports as a crash and saves the input.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace verselet::fuzz {

inline QByteArray Show(const QString& s)
{
    QByteArray out;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F)
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out;
}

inline QByteArray Show(const QStringList& lines)
{
    QByteArray out = "[";
    for (const QString& line : lines)
        out += "\"" + Show(line) + "\" ";
    return out + "]";
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line,
                              const QByteArray& detail)
{
    std::fprintf(stderr, "%s:%d: property broken: %s\n%s\n", file, line, what, detail.constData());
    std::fflush(stderr);
    std::abort();
}

} // namespace verselet::fuzz

#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond))                                                                               \
            ::verselet::fuzz::Fail(#cond, __FILE__, __LINE__, (detail));                           \
    } while (false)
