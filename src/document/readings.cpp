#include "document/readings.h"

namespace verselet {

namespace {

// A part of a written word: a run of kanji, or the kana (and anything else)
// between them, as hiragana.
struct Part
{
    qsizetype start;
    qsizetype length;
    bool kanji;
    QString kana;
};

QList<Part> PartsOf(QStringView written)
{
    QList<Part> parts;
    for (qsizetype at = 0; at < written.size();) {
        const char32_t c = written.at(at).isHighSurrogate() && at + 1 < written.size()
                               ? QChar::surrogateToUcs4(written.at(at), written.at(at + 1))
                               : written.at(at).unicode();
        const qsizetype width = QChar::requiresSurrogates(c) ? 2 : 1;
        const bool kanji = TakesReading(c);
        if (parts.isEmpty() || parts.last().kanji != kanji)
            parts.append({at, 0, kanji, {}});
        parts.last().length += width;
        at += width;
    }
    for (Part& part : parts) {
        if (!part.kanji)
            part.kana = ToHiragana(written.sliced(part.start, part.length));
    }
    return parts;
}

// Matches the parts from `part` on against the reading from `at` on, each
// kanji run taking as few kana as it can (at least one); the kana each run
// took are appended to `taken`.
bool Match(const QList<Part>& parts, qsizetype part, QStringView reading, qsizetype at,
           QList<QStringView>& taken)
{
    if (part == parts.size())
        return at == reading.size();
    const Part& here = parts.at(part);
    if (!here.kanji) {
        return reading.sliced(at).startsWith(here.kana) &&
               Match(parts, part + 1, reading, at + here.kana.size(), taken);
    }
    for (qsizetype length = 1; at + length <= reading.size(); ++length) {
        taken.append(reading.sliced(at, length));
        if (Match(parts, part + 1, reading, at + length, taken))
            return true;
        taken.removeLast();
    }
    return false;
}

} // namespace

bool TakesReading(char32_t c)
{
    if (c == U'々' || c == U'〆' || c == U'ヶ' || c == U'ヵ')
        return true;
    return QChar::script(c) == QChar::Script_Han && QChar::isLetter(c);
}

QString ToHiragana(QStringView text)
{
    QString kana = text.toString();
    for (QChar& c : kana) {
        const char16_t u = c.unicode();
        if ((u >= u'ァ' && u <= u'ヶ') || u == u'ヽ' || u == u'ヾ')
            c = QChar(char16_t(u - 0x60));
    }
    return kana;
}

std::optional<Readings> AlignReading(QStringView written, QStringView reading)
{
    if (reading.size() > kLongestReading)
        return std::nullopt;
    const QList<Part> parts = PartsOf(written);
    const QString kana = ToHiragana(reading);
    QList<QStringView> taken;
    if (!Match(parts, 0, kana, 0, taken))
        return std::nullopt;
    Readings readings;
    qsizetype next = 0;
    for (const Part& part : parts) {
        if (!part.kanji)
            continue;
        const QString runKana = taken.at(next++).toString();
        readings.append({part.start, part.length, runKana, DefaultSegments(runKana)});
    }
    return readings;
}

} // namespace verselet
