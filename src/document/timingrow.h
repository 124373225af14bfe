#pragma once

// A line of a timing run as a value: its tag, its text and when it begins.
// The tag file and the list see the line as text ("[mm:ss]" and the line);
// everything that moves a time works on the value, so that a line at 100
// minutes or more, whose tag takes eight characters, keeps its text whole.

#include "document/exacttimes.h"
#include "document/linewords.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace verselet {

class TimingRow final
{
public:
    TimingRow() = default;
    // A line of the timing list as it is built from the work files: its tag
    // field (the first seven characters) and its text, with the exact time
    // kept beside the tag. A tag the program writes ("[01:05]") becomes a
    // time; the exact time counts while the tag is still its truncation.
    // Its words count when they were made for its text.
    static TimingRow fromListRow(const QString& row, ExactTime exact = std::nullopt,
                                 const LineWords& words = {});
    // The same from a tag line (its first seven characters are the field)
    // and the body line it goes with.
    static TimingRow fromTag(QStringView tag, const QString& text, ExactTime exact = std::nullopt,
                             const LineWords& words = {});

    // The line stamped (or moved) to this time, heard to the millisecond.
    static TimingRow stamped(qint32 milliseconds, const QString& text);
    // The same line stamped (or moved) to this time: its word times move
    // with it, by as much as the line does.
    TimingRow retimed(qint32 milliseconds) const;

    const QString& text() const { return m_text; }

    // Its segments and their times: the ones it was given or stamped, or
    // its text split by default.
    LineWords words() const { return WordsForText(m_words, m_text); }
    // What is worth keeping beside the line: words with times or a split of
    // the user's; empty otherwise.
    LineWords keptWords() const { return m_words.isWorthKeeping() ? m_words : LineWords(); }
    // New words for the line, made for its text. The first segment's time
    // is the line's time: the line follows it.
    void setWords(const LineWords& words);

    // The first seven characters of the tag, as the tag file receives them.
    QString tagField() const;
    // The whole tag and the text, as the list shows the line.
    QString listRow() const;

    // When the line begins: its time, or the whole seconds of a tag field
    // that reads as one; none for a line without a time.
    ExactTime when() const;
    // The heard position the line was stamped with, while its tag is its
    // truncation; none for a tag of whole seconds or no time.
    ExactTime exactTime() const { return m_exact ? m_time : std::nullopt; }
    // The time the tag holds, when it is one the program writes; none for a
    // tag field that holds none or does not read back as itself.
    ExactTime time() const { return m_time; }
    // The time "=>" plays from: the tag's whole seconds, read the lenient way.
    qint32 tagMilliseconds() const;

    // To be timed: the tag begins with "[".
    bool isTimed() const;
    // Takes a stamp: to be timed, and its seventh character is "]".
    bool canTakeStamp() const;

    // The tag typed into the time field: it applies once its seventh
    // character is "]" and the line is to be timed. The line becomes the
    // field's text followed by its own text, its exact time the whole seconds
    // typed; the tag it had, typed again, keeps the exact time. True when it
    // applied.
    bool applyEdit(const QString& editText);

    friend bool operator==(const TimingRow&, const TimingRow&) = default;

private:
    // A time the program wrote or heard, or the tag field as it stands when
    // it holds none (or one that does not read back as itself).
    ExactTime m_time;
    bool m_exact = false;
    QString m_field;
    QString m_text;
    LineWords m_words;
};

using TimingRows = QList<TimingRow>;

// Rows of the timing list as its lines read, without exact times or words.
TimingRows TimingRowsFromList(const QStringList& rows);
QStringList ListRows(const TimingRows& rows);
// Each row's kept words, row for row.
WordTimes KeptWordTimes(const TimingRows& rows);

} // namespace verselet
