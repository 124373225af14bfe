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
    // What is left to read: no count of entries may ask for more of them
    // than these bytes can hold.
    qsizetype left() const { return m_bytes.size() - m_at; }
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

// Calls `take` for each part of `list` between commas (none for an empty
// list) until one is refused; false then. Nothing is copied.
template <typename Take> bool ForEachPart(QByteArrayView list, Take take)
{
    for (qsizetype at = 0; !list.isEmpty() && at <= list.size();) {
        const qsizetype comma = list.indexOf(',', at);
        const qsizetype end = comma < 0 ? list.size() : comma;
        if (!take(list.sliced(at, end - at)))
            return false;
        at = end + 1;
    }
    return true;
}

// The split must be one the text can have, so there are never more
// segments than characters; the times at most one per segment, unless
// readings follow (they are counted against the units then).
std::optional<LineWords> ParseWords(const QString& text, QByteArrayView line, bool readingsFollow)
{
    const qsizetype first = line.indexOf(';');
    const qsizetype second = line.indexOf(';', first + 1);
    if (first < 0 || second < 0 || line.indexOf(';', second + 1) >= 0)
        return std::nullopt;
    LineWords words{text, {}, {}, {}};
    const auto takeStart = [&](QByteArrayView start) {
        // The first at 0, each after the one before, none inside a character.
        const auto at = ParseNumber(start);
        if (!at || (words.starts.isEmpty() ? *at != 0 : *at <= words.starts.constLast()) ||
            *at >= text.size() || text.at(*at).isLowSurrogate())
            return false;
        words.starts.append(*at);
        return true;
    };
    const auto takeTime = [&](QByteArrayView time) {
        const auto parsed = ParseTime(time);
        if (!parsed || (!readingsFollow && words.times.size() == words.starts.size()) ||
            words.times.size() > text.size() * kLongestReading)
            return false;
        words.times.append(*parsed);
        return true;
    };
    if (!ForEachPart(line.first(first), takeStart) ||
        !ForEachPart(line.sliced(first + 1, second - first - 1), takeTime) ||
        words.starts.isEmpty())
        return std::nullopt;
    const auto end = ParseTime(line.sliced(second + 1));
    if (!end)
        return std::nullopt;
    words.end = *end;
    return words;
}

// "lrc <decimals> <spaced> <offset>": 2 or 3 decimals, then 0 or 1 for
// word marks set apart by blanks and for an [offset:] the times hold.
bool ParseLrcOrigin(QByteArrayView line, LrcOrigin& origin)
{
    if (line.size() != 9 || !line.startsWith("lrc ") || line.at(5) != ' ' || line.at(7) != ' ')
        return false;
    const auto flag = [](char c) { return c == '0' || c == '1'; };
    if ((line.at(4) != '2' && line.at(4) != '3') || !flag(line.at(6)) || !flag(line.at(8)))
        return false;
    origin.precision = line.at(4) == '3' ? LrcPrecision::Milliseconds : LrcPrecision::Hundredths;
    origin.spacedWordMarks = line.at(6) == '1';
    origin.offsetApplied = line.at(8) == '1';
    return true;
}

std::optional<QString> Utf8Text(QByteArrayView bytes)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decode(bytes);
    if (decode.hasError())
        return std::nullopt;
    return text;
}

// The readings of a line's words, each over one of its segments, and at
// most one time per unit.
bool ReadReadings(Reader& read, LineWords& words)
{
    const auto head = read.line();
    const auto count =
        head && head->startsWith("readings ") ? ParseNumber(head->sliced(9)) : std::nullopt;
    if (!count || *count > words.segmentCount())
        return false;
    Readings readings;
    for (qint32 i = 0; i < *count; ++i) {
        const auto place = read.line();
        const QByteArrayList parts = place ? place->toByteArray().split(' ') : QByteArrayList();
        const auto block = parts.size() == 3 ? read.block("kana") : std::nullopt;
        const auto kana = block ? Utf8Text(*block) : std::nullopt;
        const auto start = kana ? ParseNumber(parts.at(0)) : std::nullopt;
        const auto length = start ? ParseNumber(parts.at(1)) : std::nullopt;
        if (!length)
            return false;
        Reading reading{*start, *length, *kana, {}};
        const bool split = ForEachPart(parts.at(2), [&](QByteArrayView at) {
            const auto parsed = ParseNumber(at);
            if (parsed)
                reading.starts.append(*parsed);
            return parsed.has_value();
        });
        if (!split)
            return false;
        readings.append(reading);
    }
    // Readings that do not fit the words are none of theirs.
    LineWords fitted = words;
    fitted.reshape(words.starts, readings);
    if (fitted.readings != readings || words.times.size() > fitted.count())
        return false;
    words.readings = readings;
    return true;
}

// "key <count> <bytes>" and the lines joined by LF.
void AppendLines(QByteArray& out, QByteArrayView key, const QStringList& lines)
{
    const QByteArray joined = lines.join(u'\n').toUtf8();
    out += key;
    out += ' ' + QByteArray::number(lines.size()) + ' ' + QByteArray::number(joined.size()) + '\n' +
           joined + '\n';
}

// Lines joined by LF: a block holds at most one line more than it has bytes.
bool ReadLines(Reader& read, QByteArrayView key, QStringList& lines)
{
    qint32 count = 0;
    const auto block = read.block(key, &count);
    const auto text = block && count <= block->size() + 1 ? Utf8Text(*block) : std::nullopt;
    if (!text)
        return false;
    if (count > 0)
        lines = text->split(u'\n');
    return lines.size() == count && (count > 0 || text->isEmpty());
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
    AppendLines(out, "tags", lyrics.tagLines);
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
        out += "readings " + QByteArray::number(words.readings.size()) + '\n';
        for (const Reading& reading : words.readings) {
            QByteArrayList starts;
            for (const qsizetype start : reading.starts)
                starts.append(QByteArray::number(start));
            out += QByteArray::number(reading.start) + ' ' + QByteArray::number(reading.length) +
                   ' ' + starts.join(',') + '\n';
            AppendBlock(out, "kana", reading.kana);
        }
    }
    const LrcOrigin& lrc = lyrics.lrcOrigin;
    out += "lrc " + QByteArray(lrc.precision == LrcPrecision::Milliseconds ? "3" : "2") + ' ' +
           (lrc.spacedWordMarks ? '1' : '0') + ' ' + (lrc.offsetApplied ? '1' : '0') + '\n';
    AppendLines(out, "metadata", lrc.metadata);
    AppendLines(out, "karaoke", lrc.karaokeLines);
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

    // Tag lines are joined by LF, so a block holds at most one line more
    // than it has bytes. A document keeps at most one exact time and one
    // line's words per tag line, each on a line of at least two bytes.
    qint32 tagCount = 0;
    const auto tagBlock = read.block("tags", &tagCount);
    const auto tags =
        tagBlock && tagCount <= tagBlock->size() + 1 ? Utf8Text(*tagBlock) : std::nullopt;
    if (!tags)
        return damaged;
    const auto entriesFit = [&](qint32 count) {
        return count <= tagCount && count <= read.left() / 2;
    };
    if (tagCount > 0)
        lyrics.tagLines = tags->split(u'\n');
    if (lyrics.tagLines.size() != tagCount || (tagCount == 0 && !tags->isEmpty()))
        return damaged;

    const auto exactHead = read.line();
    if (!exactHead || !exactHead->startsWith("exact "))
        return damaged;
    const auto exactCount = ParseNumber(exactHead->sliced(6));
    if (!exactCount || !entriesFit(*exactCount))
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
        if (!wordCount || !entriesFit(*wordCount))
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
            auto words = times ? ParseWords(*text, *times, *version >= 4) : std::nullopt;
            if (!words || (*version >= 4 && !ReadReadings(read, *words)))
                return damaged;
            lyrics.wordTimes.append(*words);
        }
        end = read.line();
    }
    if (*version >= 3) {
        if (!end || !ParseLrcOrigin(*end, lyrics.lrcOrigin))
            return damaged;
        if (!ReadLines(read, "metadata", lyrics.lrcOrigin.metadata) ||
            (*version >= 4 && !ReadLines(read, "karaoke", lyrics.lrcOrigin.karaokeLines)))
            return damaged;
        end = read.line();
    }
    if (!end || *end != "end" || !read.atEnd())
        return damaged;
    return recovered;
}

} // namespace verselet
