#include "document/recoveryformat.h"

#include <QStringDecoder>

#include <charconv>
#include <optional>

namespace verselet {

namespace {

constexpr QByteArrayView kMagic = "Verselet recovery ";

void AppendBlock(QByteArray& out, QByteArrayView key, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    out += key;
    out += ' ';
    out += QByteArray::number(bytes.size());
    out += '\n';
    out += bytes;
    out += '\n';
}

// A count or a time: decimal digits only, no sign, within what a qint32
// holds.
std::optional<qint32> ParseNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.front() < '0' || digits.front() > '9')
        return std::nullopt;
    qint32 value = 0;
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value);
    if (error != std::errc() || at != end)
        return std::nullopt;
    return value;
}

// Reads the file front to back; every read says whether there was what it
// asked for.
class Reader final
{
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    std::optional<QByteArrayView> line()
    {
        const qsizetype lf = m_bytes.indexOf('\n', m_at);
        if (lf < 0)
            return std::nullopt;
        const QByteArrayView found(m_bytes.constData() + m_at, lf - m_at);
        m_at = lf + 1;
        return found;
    }

    // "key n" and the n bytes after it, with their LF.
    std::optional<QByteArrayView> block(QByteArrayView key, qint32* count = nullptr)
    {
        const auto head = line();
        if (!head || !head->startsWith(key) || head->size() <= key.size() ||
            head->at(key.size()) != ' ')
            return std::nullopt;
        QByteArrayView numbers = head->sliced(key.size() + 1);
        if (count) {
            const qsizetype blank = numbers.indexOf(' ');
            if (blank < 0)
                return std::nullopt;
            const auto parsed = ParseNumber(numbers.first(blank));
            if (!parsed)
                return std::nullopt;
            *count = *parsed;
            numbers = numbers.sliced(blank + 1);
        }
        const auto size = ParseNumber(numbers);
        if (!size || *size > m_bytes.size() - m_at - 1 || m_bytes.at(m_at + *size) != '\n')
            return std::nullopt;
        const QByteArrayView found(m_bytes.constData() + m_at, *size);
        m_at += *size + 1;
        return found;
    }

    bool atEnd() const { return m_at == m_bytes.size(); }
    // The line just read is read again.
    void back(QByteArrayView line) { m_at -= line.size() + 1; }

private:
    const QByteArray& m_bytes;
    qsizetype m_at = 0;
};

QByteArray FormatTime(ExactTime time)
{
    return time ? QByteArray::number(*time) : QByteArray("-");
}

std::optional<ExactTime> ParseTime(QByteArrayView text)
{
    if (text == "-")
        return ExactTime();
    if (const auto ms = ParseNumber(text))
        return ExactTime(*ms);
    return std::nullopt;
}

QByteArray FormatWords(const LineWords& words)
{
    QByteArrayList starts;
    for (const qsizetype start : words.starts)
        starts.append(QByteArray::number(start));
    QByteArrayList times;
    for (const ExactTime& time : words.times)
        times.append(FormatTime(time));
    return starts.join(',') + ';' + times.join(',') + ';' + FormatTime(words.end);
}

// The split must be one the text can have; the times at most one per
// segment.
std::optional<LineWords> ParseWords(const QString& text, QByteArrayView line)
{
    const QByteArrayList parts = line.toByteArray().split(';');
    if (parts.size() != 3)
        return std::nullopt;
    LineWords words{text, {}, {}, {}};
    if (!parts.at(0).isEmpty()) {
        for (const QByteArray& start : parts.at(0).split(',')) {
            const auto at = ParseNumber(start);
            if (!at)
                return std::nullopt;
            words.starts.append(*at);
        }
    }
    if (!parts.at(1).isEmpty()) {
        for (const QByteArray& time : parts.at(1).split(',')) {
            const auto parsed = ParseTime(time);
            if (!parsed)
                return std::nullopt;
            words.times.append(*parsed);
        }
    }
    const auto end = ParseTime(parts.at(2));
    if (!end || words.times.size() > words.starts.size() || words.starts.isEmpty() ||
        words.starts.constFirst() != 0)
        return std::nullopt;
    for (qsizetype i = 0; i < words.starts.size(); ++i) {
        const qsizetype at = words.starts.at(i);
        if (at >= text.size() || (i > 0 && at <= words.starts.at(i - 1)) ||
            text.at(at).isLowSurrogate())
            return std::nullopt;
    }
    words.end = *end;
    return words;
}

std::optional<QString> Utf8Text(QByteArrayView bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QByteArray FormatRecovery(const LyricsSnapshot& lyrics, const QDateTime& updated)
{
    QByteArray out;
    out += kMagic;
    out += QByteArray::number(kRecoveryVersion);
    out += "\nupdated ";
    out += updated.toUTC().toString(Qt::ISODateWithMs).toLatin1();
    out += '\n';
    AppendBlock(out, "name", lyrics.fileName);
    AppendBlock(out, "header", lyrics.headerText);
    AppendBlock(out, "start", lyrics.startText);
    AppendBlock(out, "body", lyrics.bodyText);
    const QByteArray tags = lyrics.tagLines.join(u'\n').toUtf8();
    out += "tags " + QByteArray::number(lyrics.tagLines.size()) + ' ' +
           QByteArray::number(tags.size()) + '\n' + tags + '\n';
    out += "exact " + QByteArray::number(lyrics.exactTimes.size()) + '\n';
    for (const ExactTime& time : lyrics.exactTimes)
        out += FormatTime(time) + '\n';
    out += "words " + QByteArray::number(lyrics.wordTimes.size()) + '\n';
    for (const LineWords& words : lyrics.wordTimes) {
        if (words.count() == 0) {
            out += "-\n";
            continue;
        }
        AppendBlock(out, "line", words.text);
        out += FormatWords(words) + '\n';
    }
    out += "end\n";
    return out;
}

Result<RecoveredLyrics, RecoveryProblem> ParseRecovery(const QByteArray& bytes)
{
    constexpr auto damaged = RecoveryProblem::Damaged;
    Reader read(bytes);
    const auto magic = read.line();
    if (!magic || !magic->startsWith(kMagic))
        return damaged;
    const auto version = ParseNumber(magic->sliced(kMagic.size()));
    if (!version || *version < 1)
        return damaged;
    if (*version > kRecoveryVersion)
        return RecoveryProblem::FutureVersion;

    RecoveredLyrics recovered;
    const auto updated = read.line();
    if (!updated || !updated->startsWith("updated "))
        return damaged;
    recovered.updated =
        QDateTime::fromString(QString::fromLatin1(updated->sliced(8)), Qt::ISODateWithMs);
    if (!recovered.updated.isValid())
        return damaged;

    LyricsSnapshot& lyrics = recovered.lyrics;
    for (const auto& [key, text] :
         {std::pair{"name", &lyrics.fileName}, std::pair{"header", &lyrics.headerText},
          std::pair{"start", &lyrics.startText}, std::pair{"body", &lyrics.bodyText}}) {
        const auto block = read.block(key);
        const auto decoded = block ? Utf8Text(*block) : std::nullopt;
        if (!decoded)
            return damaged;
        *text = *decoded;
    }

    qint32 tagCount = 0;
    const auto tagBlock = read.block("tags", &tagCount);
    const auto tags = tagBlock ? Utf8Text(*tagBlock) : std::nullopt;
    if (!tags)
        return damaged;
    if (tagCount > 0)
        lyrics.tagLines = tags->split(u'\n');
    if (lyrics.tagLines.size() != tagCount || (tagCount == 0 && !tags->isEmpty()))
        return damaged;

    const auto exactHead = read.line();
    if (!exactHead || !exactHead->startsWith("exact "))
        return damaged;
    const auto exactCount = ParseNumber(exactHead->sliced(6));
    if (!exactCount)
        return damaged;
    for (qint32 i = 0; i < *exactCount; ++i) {
        const auto time = read.line();
        if (!time)
            return damaged;
        const auto parsed = time ? ParseTime(*time) : std::nullopt;
        if (!parsed)
            return damaged;
        lyrics.exactTimes.append(*parsed);
    }
    auto end = read.line();
    if (*version >= 2) {
        const auto wordCount =
            end && end->startsWith("words ") ? ParseNumber(end->sliced(6)) : std::nullopt;
        if (!wordCount)
            return damaged;
        for (qint32 i = 0; i < *wordCount; ++i) {
            const auto next = read.line();
            if (next && *next == "-") {
                lyrics.wordTimes.append(LineWords());
                continue;
            }
            // The line read was the head of a text block: read it again as one.
            if (!next)
                return damaged;
            read.back(*next);
            const auto block = read.block("line");
            const auto text = block ? Utf8Text(*block) : std::nullopt;
            const auto times = text ? read.line() : std::nullopt;
            const auto words = times ? ParseWords(*text, *times) : std::nullopt;
            if (!words)
                return damaged;
            lyrics.wordTimes.append(*words);
        }
        end = read.line();
    }
    if (!end || *end != "end" || !read.atEnd())
        return damaged;
    return recovered;
}

} // namespace verselet
