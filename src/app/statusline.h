#pragma once

// The main window's status line: what the document is (its form and the
// encoding it was read or written in), how many lyric lines it has and how
// many of them are timed, whether it holds unsaved work, and, while it
// cannot be written, that the recovery file is behind.

#include "document/textfile.h"

#include <QObject>

#include <optional>

class QLabel;
class QStatusBar;

namespace verselet {

class LyricsDocument;

enum class DocumentKind
{
    New,       // made with New, or the empty document of start-up
    Restored,  // brought back from a recovery file
    PlainText, // a text without tags, opened
    TimedText, // a timed lyrics text
    KaraokeText,
    Lrc,
    EnhancedLrc,
    Srt,
    WebVtt,
    Ass,
    Ttml
};

class StatusLine final : public QObject
{
    Q_OBJECT

public:
    StatusLine(QStatusBar* bar, const LyricsDocument& document);

    void setKind(DocumentKind kind, std::optional<TextEncoding> encoding = std::nullopt);
    void setRecoveryFailing(bool failing);

    // The texts shown, as the user reads them.
    QString kindText() const;
    QString linesText() const;
    QString savedText() const;
    QString recoveryText() const;

private:
    // Counting the lines waits for the event loop, so that the changes of
    // one edit are counted once.
    void refreshSoon();
    void refresh();

    const LyricsDocument& m_document;
    QLabel* m_kind;
    QLabel* m_lines;
    QLabel* m_saved;
    QLabel* m_recovery;
    bool m_refreshPending = false;
};

} // namespace verselet
