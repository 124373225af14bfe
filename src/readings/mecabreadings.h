#pragma once

// Readings proposed by MeCab, the morphological analyser, with its UTF-8 IPA
// dictionary. MeCab is not linked: the program runs without it, and it is
// opened on first need (the first propose() or unavailableReason()), never
// before, so that building one of these costs nothing. For the GUI thread:
// one object is not to be used from two threads at once.

#include "readings/readingproposer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace verselet {

class MecabReadings final : public ReadingProposer
{
public:
    // The system's libmecab.so.2, with the first UTF-8 dictionary found in
    // the folders it is installed in (mecab-ipadic-utf8's first).
    MecabReadings();
    // `library` as dlopen() takes it (a file name or a path); `dictionary` a
    // dictionary's folder, or empty for the installed ones.
    MecabReadings(const QString& library, const QString& dictionary);
    ~MecabReadings() override;
    MecabReadings(const MecabReadings&) = delete;
    MecabReadings& operator=(const MecabReadings&) = delete;

    // Each word's reading from the dictionary, the kana it writes taken off
    // (AlignReading); a word the dictionary does not know, or whose reading
    // does not fit what it writes, gives none. The readings of the words of
    // one run of kanji (世界 and 中 in 世界中) make one reading.
    Readings propose(QStringView line) override;
    QString unavailableReason() override;

    // Where the dictionary is looked for when none is given, first to last.
    static QStringList knownDictionaries();

private:
    struct Tagger;

    bool load();

    QByteArray m_library;
    QString m_dictionary;
    bool m_tried = false;
    QString m_reason;
    std::unique_ptr<Tagger> m_tagger;
};

} // namespace verselet
