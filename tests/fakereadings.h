#pragma once

// Readings proposed from a few words a test gives, in place of MeCab: each
// word found in a line is read with its kana (aligned as MeCab's words are).
// With no words it is unavailable, and says so.

#include "readings/readingproposer.h"

#include <QList>
#include <QPair>

class FakeReadings final : public verselet::ReadingProposer
{
public:
    explicit FakeReadings(QList<QPair<QString, QString>> words) : m_words(std::move(words)) {}

    verselet::Readings propose(QStringView line) override
    {
        ++proposed;
        verselet::Readings readings;
        for (const auto& [written, kana] : m_words) {
            for (qsizetype at = line.indexOf(written); at >= 0;
                 at = line.indexOf(written, at + written.size())) {
                const auto aligned = verselet::AlignReading(written, kana);
                for (verselet::Reading reading : *aligned) {
                    reading.start += at;
                    readings.append(reading);
                }
            }
        }
        std::sort(readings.begin(), readings.end(),
                  [](const auto& a, const auto& b) { return a.start < b.start; });
        return readings;
    }
    QString unavailableReason() override
    {
        return m_words.isEmpty() ? QStringLiteral("no dictionary here") : QString();
    }

    // How many lines it was asked about.
    int proposed = 0;

private:
    QList<QPair<QString, QString>> m_words;
};
