#include "document/segments.h"

#include <string_view>
#include <utility>

namespace verselet {

namespace {

enum class Kind
{
    Blank,    // joins the segment before it
    Joiner,   // small kana, prolonging marks, voiced sound marks, punctuation: joins the one before
    Opener,   // opening brackets and quotes, ¿ and ¡: join the one after
    Leading,  // " ' ’ # . …: join the word after them when they stand before
              // one, the one before otherwise ("'cause", "don't", "C#")
    Japanese, // a segment of its own
    Word,     // one segment with the word characters next to it
};

bool IsSmallKana(char32_t c)
{
    static constexpr std::u32string_view kSmallKana =
        U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶｧｨｩｪｫｬｭｮｯ";
    return kSmallKana.find(c) != std::u32string_view::npos ||
           (c >= 0x31F0 && c <= 0x31FF); // and Ainu's
}

// Marks that draw out the sound before them, whatever class Unicode puts
// them in (～, which 〜 becomes as a text is read, is a mathematical sign).
bool IsProlonging(char32_t c)
{
    static constexpr std::u32string_view kProlonging = U"ーｰ〜～~∼〰―−－─━";
    return kProlonging.find(c) != std::u32string_view::npos;
}

Kind Classify(char32_t c)
{
    static constexpr std::u32string_view kLeading = U"\"'’#.…";
    if (QChar::isSpace(c))
        return Kind::Blank;
    if (IsSmallKana(c) || IsProlonging(c) || c == U'゛' || c == U'゜' || c == U'ﾞ' || c == U'ﾟ')
        return Kind::Joiner;
    if (c == U'¿' || c == U'¡')
        return Kind::Opener;
    if (kLeading.find(c) != std::u32string_view::npos)
        return Kind::Leading;
    switch (QChar::category(c)) {
    case QChar::Punctuation_Open:
    case QChar::Punctuation_InitialQuote:
        return Kind::Opener;
    case QChar::Punctuation_Close:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Connector:
        return Kind::Joiner;
    default:
        break;
    }
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return Kind::Japanese;
    default:
        return c == U'々' || c == U'〆' ? Kind::Japanese : Kind::Word;
    }
}

bool IsCombining(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing || c == 0x200D /* zero-width joiner */;
}

// Calls `visit(at, codePoint)` for each character that starts a unit: a code
// point with the marks that combine with it.
// The code point at `at` (a lone surrogate stands for itself).
char32_t CodePointAt(QStringView text, qsizetype at)
{
    const QChar c = text.at(at);
    if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(c, text.at(at + 1));
    return c.unicode();
}

template <typename Visit> void ForEachCharacter(QStringView text, Visit visit)
{
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype start = at;
        const char32_t c = CodePointAt(text, at);
        at += QChar::requiresSurrogates(c) ? 2 : 1;
        while (at < text.size() && IsCombining(CodePointAt(text, at)))
            at += QChar::requiresSurrogates(CodePointAt(text, at)) ? 2 : 1;
        visit(start, c);
    }
}

} // namespace

SegmentStarts DefaultSegments(QStringView text)
{
    SegmentStarts starts;
    // `open`: the segment under way has nothing of its own yet (leading
    // blanks, opening brackets); `inWord`: the last character was part of a
    // word, so a word character continues it; `leading`: where the marks
    // that may open the next word begin, -1 for none.
    bool open = false;
    bool inWord = false;
    qsizetype leading = -1;
    ForEachCharacter(text, [&](qsizetype at, char32_t c) {
        const Kind kind = Classify(c);
        const auto begin = [&](bool stillOpen) {
            if (starts.isEmpty() || !open)
                starts.append(at);
            open = stillOpen;
        };
        // Leading marks that no word follows stay with the segment before.
        const qsizetype wordFrom = std::exchange(leading, -1);
        switch (kind) {
        case Kind::Leading:
            if (starts.isEmpty() || open) {
                begin(true);
                inWord = false;
            } else if (!inWord) {
                leading = wordFrom >= 0 ? wordFrom : at;
            }
            break;
        case Kind::Blank:
            if (starts.isEmpty())
                begin(true);
            inWord = false;
            break;
        case Kind::Joiner:
            if (starts.isEmpty())
                begin(false);
            break;
        case Kind::Opener:
            begin(true);
            inWord = false;
            break;
        case Kind::Japanese:
            begin(false);
            inWord = false;
            break;
        case Kind::Word:
            if (wordFrom >= 0)
                starts.append(wordFrom);
            else if (!inWord || starts.isEmpty())
                begin(false);
            open = false;
            inWord = true;
            break;
        }
    });
    return starts;
}

QString BarredSegments(QStringView text, const SegmentStarts& starts)
{
    QString barred;
    barred.reserve(text.size() + starts.size());
    qsizetype from = 0;
    for (const qsizetype start : starts) {
        if (start <= from || start >= text.size())
            continue;
        barred += text.sliced(from, start - from);
        barred += u'|';
        from = start;
    }
    barred += text.sliced(from);
    return barred;
}

std::optional<SegmentStarts> SegmentsFromBars(QStringView text, QStringView barred)
{
    if (text.contains(u'|'))
        return std::nullopt;
    SegmentStarts boundaries;
    ForEachCharacter(text, [&](qsizetype at, char32_t) { boundaries.append(at); });
    // Bars come in the order of the text: the boundaries are walked once.
    qsizetype boundary = 0;
    SegmentStarts starts;
    if (!text.isEmpty())
        starts.append(0);
    qsizetype at = 0; // in `text`
    for (const QChar c : barred) {
        if (c != u'|') {
            if (at >= text.size() || text.at(at) != c)
                return std::nullopt;
            ++at;
            continue;
        }
        while (boundary < boundaries.size() && boundaries.at(boundary) < at)
            ++boundary;
        if (at == 0 || at == text.size() || starts.last() == at || boundary == boundaries.size() ||
            boundaries.at(boundary) != at)
            return std::nullopt;
        starts.append(at);
    }
    if (at != text.size())
        return std::nullopt;
    return starts;
}

} // namespace verselet
