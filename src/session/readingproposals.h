#pragma once

// The readings proposed for the kanji of a run's lines: asked of what
// proposes them (MeCab) line by line, for lines that have no words of their
// own yet, once per set of rows.

#include "document/linewords.h"
#include "document/timingrow.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace verselet {

class ReadingProposer;

class ReadingProposals final
{
public:
    // None: nothing is ever proposed.
    explicit ReadingProposals(ReadingProposer* proposer) : m_proposer(proposer) {}

    // The line's words with the readings proposed for its kanji; none when
    // nothing is proposed or it has no kanji.
    std::optional<LineWords> wordsFor(const TimingRow& row);
    // The first time for these rows (after forget()): the words proposed for
    // each row with no words of its own, by row; then none. `why` says why
    // none can be proposed, when that is so.
    QList<std::pair<int, LineWords>> firstFor(const TimingRows& rows, QString& why);
    // New rows: they are proposed for again.
    void forget() { m_proposed = false; }

private:
    ReadingProposer* m_proposer;
    bool m_proposed = false;
};

} // namespace verselet
