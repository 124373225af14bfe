#include "session/readingproposals.h"

#include "readings/readingproposer.h"

#include <algorithm>

namespace verselet {

std::optional<LineWords> ReadingProposals::wordsFor(const TimingRow& row)
{
    const QString& text = row.text();
    const bool kanji = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.isSurrogate() || TakesReading(c.unicode());
    });
    if (!m_proposer || !row.isTimed() || !kanji)
        return std::nullopt;
    const Readings readings = m_proposer->propose(text);
    if (readings.isEmpty())
        return std::nullopt;
    LineWords words = row.words();
    words.setReadings(readings);
    return words;
}

QList<std::pair<int, LineWords>> ReadingProposals::firstFor(const TimingRows& rows, QString& why)
{
    QList<std::pair<int, LineWords>> proposed;
    if (std::exchange(m_proposed, true) || !m_proposer)
        return proposed;
    for (int row = 0; row < rows.size(); ++row) {
        // A line with words of its own (times, readings, the user's split)
        // keeps them.
        if (rows.at(row).keptWords().isWorthKeeping())
            continue;
        if (std::optional<LineWords> words = wordsFor(rows.at(row)))
            proposed.append({row, std::move(*words)});
    }
    why = m_proposer->unavailableReason();
    return proposed;
}

} // namespace verselet
