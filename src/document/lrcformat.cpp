#include "document/lrcformat.h"

namespace verselet {

using namespace Qt::StringLiterals;

QString FormatLrcTime(qint32 milliseconds)
{
    const qint32 ms = std::max<qint32>(milliseconds, 0);
    const qint32 seconds = ms / 1000;
    return u"[%1:%2.%3]"_s.arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'));
}

QString ComposeLrc(const LrcDocument& document)
{
    QString out;
    for (const auto& [key, value] : {std::pair{u"ti"_s, &document.title}, std::pair{u"ar"_s, &document.artist},
                                     std::pair{u"al"_s, &document.album}}) {
        if (!value->isEmpty())
            out += u"[%1:%2]\n"_s.arg(key, *value);
    }
    out += u"[re:Verselet]\n"_s;
    out += FormatLrcTime(0) + document.startText + u'\n';
    for (const LrcLine& line : document.lines)
        out += FormatLrcTime(line.milliseconds) + line.text + u'\n';
    return out;
}

QByteArray EncodeLrc(const LrcDocument& document) { return ComposeLrc(document).toUtf8(); }

} // namespace verselet
