#pragma once

#include "document/lrcformat.h"
#include "document/timingrow.h"
#include "session/tracklist.h"

#include <QDialog>
#include <QStringList>

#include <optional>

class QPushButton;

namespace verselet {

struct FileError;
struct RealtimeContext;

// The finish dialog ("Form6"), shown while the timing window closes: keep the
// stamped tags and return, drop them and return, or keep them and write the
// finished lyrics text or an LRC file. exec() says which ended the real-time
// input; closing the dialog by its frame saves nothing and ends nothing
// (Closed).
class FinishDialog final : public QDialog
{
    Q_OBJECT

public:
    enum Outcome
    {
        Closed = QDialog::Rejected,
        Kept = 2,
        Discarded,
        Created,
        LrcCreated,
        AudioFileWritten
    };

    // The rows are the timing list of the run that ends, each with its exact
    // time and its words; `timed` the track they were timed to.
    FinishDialog(const RealtimeContext& context, TimingRows rows, TrackList::Track timed,
                 QWidget* parent);

    void onKeepClicked();       // 編集を保存してもどる
    void onDiscardClicked();    // 編集を破棄してもどる
    void onCreateTextClicked(); // 歌詞テキストを作成する
    void onCreateLrcClicked();  // LRCファイルを作成する
    void onWriteAudioClicked(); // 音楽ファイルに書き込む

    // Writes the tag field of every timing-list row to the tag file, and
    // keeps the tags and their exact times in the document. False (after
    // telling the user) when the tag file could not be written.
    bool SaveTimingTags();
    // Writes the body to the text file, composes the staging file and lets
    // the user save it; true once the file is saved.
    bool CreateLyricsText();
    // The same run as standard LRC, after asking about lyrics without a
    // time, into a file chosen in a save dialog of its own: plain, enhanced
    // with the word times, or karaoke text with the word times and readings,
    // as the filter chosen says; true once the file is written.
    bool CreateLrcFile();
    // The same run into the timed track's audio file, as its form keeps
    // lyrics, and as NAME.lrc beside it, after asking about lyrics already
    // there; true once both are written.
    bool WriteIntoAudioFile();

protected:
    // Escape does nothing here: the dialog has no Cancel, and a second
    // Escape after the one that closed the timing window must not throw the
    // run's stamps away. The close box still closes it without saving.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* m_keepButton = nullptr;       // "Command1"
    QPushButton* m_discardButton = nullptr;    // "Command2"
    QPushButton* m_createTextButton = nullptr; // "Command3"
    QPushButton* m_createLrcButton = nullptr;  // "Command4"
    QPushButton* m_writeAudioButton = nullptr; // "Command5"

    void reportFileError(const FileError& error, const QString& targetPath = {});
    // The file to write and the form chosen by the dialog's filter; no path
    // when the user cancels.
    enum class LrcForm
    {
        Plain,
        Enhanced,
        KaraokeText,
        Srt,
        WebVtt,
        Ass,
        Ttml
    };
    struct LrcTarget
    {
        QString path;
        LrcForm form = LrcForm::Plain;
    };
    LrcTarget chooseLrcTarget();
    // The run as LRC, with what the timed track says of itself where the
    // header says nothing.
    LrcDocument timedLrc() const;
    // The run's file in a form, as written.
    QByteArray encode(LrcForm form) const;

    const RealtimeContext& m_context;
    TimingRows m_timing;
    TrackList::Track m_timed;
    // The rows as the list shows them, as the work files take them.
    QStringList m_rows;
};

} // namespace verselet
