#pragma once

// The lyrics being edited, as one value the windows bind to: the header, the
// start text and the body (lines joined by CR LF), and the tag file's lines
// with the exact time beside each. The editor's boxes show and change the
// texts; a real-time input reads the texts and keeps its tags here as it
// writes them to the tag file. The document also knows the name it is kept
// under and whether it differs from what was last opened, created or saved.

#include "document/exacttimes.h"
#include "document/linewords.h"
#include "document/lrcformat.h"
#include "document/timingrow.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace verselet {

struct LoadedLyrics;

// The document's three texts, as the editor's boxes show them.
enum class EditorBox
{
    Body,
    Header,
    Start
};

// Everything a document holds, as one value: what a recovery file keeps.
struct LyricsSnapshot
{
    QString headerText;
    QString startText;
    QString bodyText;
    QStringList tagLines;
    ExactTimes exactTimes;
    QString fileName;
    WordTimes wordTimes;
    LrcOrigin lrcOrigin;
    friend bool operator==(const LyricsSnapshot&, const LyricsSnapshot&) = default;
};

class LyricsDocument final : public QObject
{
    Q_OBJECT

public:
    explicit LyricsDocument(QObject* parent = nullptr);

    const QString& headerText() const { return m_header; }
    const QString& startText() const { return m_start; }
    const QString& bodyText() const { return m_body; }
    void setHeaderText(const QString& text);
    void setStartText(const QString& text);
    void setBodyText(const QString& text);

    // The tag file's lines, in its order: the body's lines first, then the
    // lines a new or loaded document offers below them. Beside them, line for
    // line, the heard position each tag is the truncation of (the list may
    // end early: the lines after it have none). Beside them too, the lines'
    // words: their split and times, each for the text it was made for, so a
    // line whose text has changed since has none.
    const QStringList& tagLines() const { return m_tags; }
    const ExactTimes& exactTimes() const { return m_exact; }
    const WordTimes& wordTimes() const { return m_words; }
    // A real-time input wrote the tag file: these are its lines now, with
    // their exact times and words.
    void keepTags(const TimingRows& rows);

    // The name the document is kept under ("" for none): the open and save
    // dialogs start from it.
    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& name);

    // The LRC file the document was opened from, as far as one written over
    // it needs to know (none for any other document).
    const LrcOrigin& lrcOrigin() const { return m_lrcOrigin; }

    // A new document: empty header and start text, the separator line as the
    // body, the tag template; nothing unsaved.
    void clear();
    // An opened file as it was read; nothing unsaved.
    void load(const LoadedLyrics& loaded);
    // The document as it stands has been written as a finished text.
    void markSaved();
    // All of it at once, and back: a document restored from a snapshot is
    // unsaved work, whatever it holds.
    LyricsSnapshot snapshot() const;
    void restore(const LyricsSnapshot& snapshot);
    // Whether it differs from what was last opened, created or saved: a text
    // changed, or tags kept since.
    bool isModified() const;

Q_SIGNALS:
    // A text changed, by the user or by the program.
    void headerChanged();
    void startChanged();
    void bodyChanged();
    // The tag file's lines or their times changed.
    void timingChanged();
    // Everything was replaced at once: a new document, one opened or one
    // restored.
    void reset();
    // What the document holds is saved now (markSaved, New, an open).
    void saved();

private:
    struct Texts
    {
        QString header;
        QString start;
        QString body;
        friend bool operator==(const Texts&, const Texts&) = default;
    };

    void replaceAll(const LyricsSnapshot& all);

    QString m_header;
    QString m_start;
    QString m_body;
    QStringList m_tags;
    ExactTimes m_exact;
    WordTimes m_words;
    QString m_fileName;
    LrcOrigin m_lrcOrigin;
    Texts m_saved;
    // Tags kept, or a restore, since the last save.
    bool m_changedSinceSave = false;
};

} // namespace verselet
