#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;

namespace verselet {

class MainWindow;
class TimingWindow;
struct FileError;

// The finish dialog ("Form6"), shown while the timing window closes: keep the
// stamped tags and return, drop them and return, or keep them and write the
// finished lyrics text. Each of the three buttons ends the real-time input
// (ReturnToEditor = 1) once it has done its part; closing the dialog by its
// frame saves nothing and leaves the line selection open.
class FinishDialog final : public QDialog
{
    Q_OBJECT

public:
    FinishDialog(MainWindow* main, TimingWindow* timing);

    void Command1_Click(); // 編集を保存してもどる
    void Command2_Click(); // 編集を破棄してもどる
    void Command3_Click(); // 歌詞テキストを作成する

    // Writes the tag field of every timing-list row to the tag file.
    // False (after telling the user) when the tag file could not be written.
    bool SaveTimingTags();
    // Writes the body to the text file, composes the staging file and lets
    // the user save it; true once the file is saved.
    bool CreateLyricsText();

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

protected:
    // Escape does nothing here: the dialog has no Cancel, and a second
    // Escape after the one that closed the timing window must not throw the
    // run's stamps away. The close box still closes it without saving.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Closes this dialog and the timing window and ends the real-time input.
    void finish();

    // The rows to save: the timing window's list, none without a window.
    QStringList timingRows() const;
    // The save dialog, switched to saving for this one use; empty when the
    // user cancels.
    QString chooseSaveTarget();
    void reportFileError(const FileError& error, const QString& targetPath = {});

    MainWindow* m_main;
    // May be null (no timing window): the dialog then saves no rows.
    TimingWindow* m_timing;
};

} // namespace verselet
