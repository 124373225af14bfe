#include "document/timingrow.h"

#include "document/lyricsformat.h"
#include "document/timetag.h"

namespace verselet {

TimingRow TimingRow::fromListRow(const QString& row, ExactTime exact, const LineWords& words)
{
    return fromTag(row, LineText(row), exact, words);
}

TimingRow TimingRow::fromTag(QStringView tag, const QString& text, ExactTime exact,
                             const LineWords& words)
{
    TimingRow line;
    const QString field = TagField(tag);
    line.m_text = text;
    if (words.text == line.m_text)
        line.m_words = words;
    if (CurrentExactTime(field, exact)) {
        line.m_time = exact;
        line.m_exact = true;
        return line;
    }
    // Only a tag that reads back as itself is a time: "[00:75]" stays the
    // characters it is.
    if (IsTimeTag(field)) {
        const qint32 ms = qint32(TagToMilliseconds(field));
        if (FormatTimeTag(ms) == field) {
            line.m_time = ms;
            return line;
        }
    }
    line.m_field = field;
    return line;
}

TimingRow TimingRow::stamped(qint32 milliseconds, const QString& text)
{
    TimingRow line;
    line.m_time = milliseconds;
    line.m_exact = true;
    line.m_text = text;
    return line;
}

TimingRow TimingRow::retimed(qint32 milliseconds) const
{
    TimingRow line = stamped(milliseconds, m_text);
    line.m_words = m_words;
    const ExactTime from = when() ? when() : m_words.timeOf(0);
    if (from)
        line.m_words.shift(qint64(milliseconds) - *from);
    return line;
}

void TimingRow::setWords(const LineWords& words)
{
    if (words.text != m_text)
        return;
    m_words = words;
    if (const ExactTime first = words.timeOf(0); first && first != exactTime()) {
        m_time = first;
        m_exact = true;
        m_field.clear();
    }
}

QString TimingRow::tagField() const
{
    return m_time ? FormatTimeTag(*m_time).left(kTagFieldLength) : m_field;
}

QString TimingRow::listRow() const
{
    return (m_time ? FormatTimeTag(*m_time) : m_field) + m_text;
}

ExactTime TimingRow::when() const
{
    if (m_time)
        return m_time;
    if (IsTimeTag(m_field))
        return qint32(TagToMilliseconds(m_field));
    return std::nullopt;
}

qint32 TimingRow::tagMilliseconds() const
{
    return m_time ? *m_time / 1000 * 1000 : qint32(TagToMilliseconds(m_field));
}

bool TimingRow::isTimed() const
{
    return m_time || m_field.startsWith(u'[');
}

bool TimingRow::canTakeStamp() const
{
    return m_time || (isTimed() && m_field.size() >= kTagFieldLength &&
                      m_field.at(kTagFieldLength - 1) == u']');
}

bool TimingRow::applyEdit(const QString& editText)
{
    if (!isTimed() || editText.size() < kTagFieldLength || editText.at(kTagFieldLength - 1) != u']')
        return false;
    // A tag typed is exact to the second it names.
    const QString row = editText + m_text;
    const QString tag = TagField(row);
    const TimingRow edited =
        fromListRow(row, IsTimeTag(tag) ? ExactTime(qint32(TagToMilliseconds(tag))) : std::nullopt);
    // The same tag written again (as every move over the list does) keeps the
    // exact time it is the truncation of.
    if (edited.tagField() == tagField())
        m_text = edited.m_text;
    else if (const ExactTime typed = edited.time())
        *this = retimed(*typed);
    else
        *this = edited;
    return true;
}

TimingRows TimingRowsFromList(const QStringList& rows)
{
    TimingRows lines;
    lines.reserve(rows.size());
    for (const QString& row : rows)
        lines.append(TimingRow::fromListRow(row));
    return lines;
}

WordTimes KeptWordTimes(const TimingRows& rows)
{
    WordTimes words;
    words.reserve(rows.size());
    for (const TimingRow& row : rows)
        words.append(row.keptWords());
    return words;
}

QStringList ListRows(const TimingRows& rows)
{
    QStringList list;
    list.reserve(rows.size());
    for (const TimingRow& row : rows)
        list.append(row.listRow());
    return list;
}

} // namespace verselet
