#pragma once

#include "session/timingrun.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressDialog;
class QPushButton;
class QTimer;

namespace verselet {

class WaveformStrip;

class TimingListModel;

// The timing window ("Form3"): the lines to time, the track list and the
// transport, and the buttons that stamp the lines with the play time while
// the song plays. It is a view of a timing run it is given: the run's session
// drives the run's device, and the window hands it the user's acts.
//
// The run reads its disc as it is made; the window shows the reading, then
// the tracks or that there is none. The rows come after (setTimingRows). Its
// test buttons ask for a test display (testRequested). Closing it finishes
// the run (the disc stopped and re-armed, the track to remember kept); when
// its owner finishes the input (setFinishedByOwner), it then asks
// (finishRequested) and stays on screen until finishClosing().
class TimingWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit TimingWindow(TimingRun& run, QWidget* parent = nullptr);
    ~TimingWindow() override;

    void setTimingRows(TimingRows rows) { m_session->setRows(std::move(rows)); }
    void setTimingRows(const QStringList& rows, const ExactTimes& exactTimes = {},
                       const WordTimes& wordTimes = {});
    QStringList timingRows() const;

    CdAudioDevice& device() { return m_run.device(); }
    // The session of the run this window shows.
    TimingSession& session() { return m_run.session(); }

    // The user's acts, each handed to the session.
    void onRefreshClicked(); // 更新
    void onTrackChosen();    // track selection
    void onTagEdited();
    // 語単位: Set stamps segment by segment; the line's split is shown and
    // edited beside the time field.
    void onWordModeToggled(bool on);
    // 速度: the song plays at the speed chosen, kept for the next run.
    void onSpeedChosen();
    // The bars of the split edited: a new split once they give the line's
    // text back; a change to the text itself is refused.
    void onSegmentBarsEdited(const QString& barred);
    void onTick();
    void ShowSelectedLine();
    // Escape closes the window as its frame does.
    void reject() override;

    // The track index to remember (the run's).
    QString rememberedTrack() const { return m_run.rememberedTrack(); }
    // In a real-time input the input ends the run: closing the window asks
    // it to (finishRequested). Alone, the window simply closes.
    void setFinishedByOwner(bool owner) { m_finishedByOwner = owner; }
    // Completes the close that finishRequested() announced.
    void finishClosing();
    // True from creation until the device has read its disc.
    bool isOpening() const { return m_run.isOpening(); }

Q_SIGNALS:
    // "＞テスト" (true: from the beginning) or "=>テスト" (from the selected line).
    void testRequested(bool fromBeginning);
    // The user closed the window and the run is finished; the finish of the
    // input may follow, then finishClosing().
    void finishRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListView* m_lineList = nullptr;              // "List1"
    QLineEdit* m_tagField = nullptr;              // "Text1"
    QLabel* m_lineText = nullptr;                 // "Label3"
    QLabel* m_trackCaption = nullptr;             // "Label1"
    QComboBox* m_trackBox = nullptr;              // "Combo1"
    QPushButton* m_topButton = nullptr;           // "Command10"
    QPushButton* m_setButton = nullptr;           // "Command6"
    QPushButton* m_nextButton = nullptr;          // "Command7"
    QLabel* m_clock = nullptr;                    // "Label2"
    QPushButton* m_refreshButton = nullptr;       // "Command1"
    QPushButton* m_testFromStartButton = nullptr; // "Command8"
    QPushButton* m_testFromLineButton = nullptr;  // "Command9"
    QPushButton* m_playButton = nullptr;          // "Command2"
    QPushButton* m_playFromLineButton = nullptr;  // "Command5"
    QPushButton* m_pauseButton = nullptr;         // "Command3"
    QPushButton* m_stopButton = nullptr;          // "Command4"
    QTimer* m_ticker = nullptr;                   // "Timer1"
    // Says that playback is silent when there is no audio output.
    QLabel* m_silentLabel = nullptr;     // "SilentLabel"
    WaveformStrip* m_waveform = nullptr; // "Waveform"
    QCheckBox* m_wordModeBox = nullptr;  // "WordMode"
    QLabel* m_speedCaption = nullptr;    // "SpeedLabel"
    QComboBox* m_speedBox = nullptr;     // "Speed"
    // In word mode, in the text display's place: the line with "|" between
    // its segments.
    QLineEdit* m_segmentField = nullptr; // "SegmentText"

    void buildWidgets();
    // The list, the time field, the text display and the split.
    void buildLineWidgets();
    // The track list, the clock and the corner that tells of silence.
    void buildTrackWidgets();
    void buildButtons();
    // 語単位 and 速度.
    void buildSpeedRow();
    // The widgets show what the session holds, as it changes.
    void followSession();
    // The run has read its disc: show the tracks, or say there is none.
    void discOpened();
    // The corner says whether playback is silent.
    void showSilence();
    // The timing keys, wherever the focus is but in the time field and the
    // split: Space (Set), Shift+Space (the end of the segment, in word mode),
    // the arrows (nudge; Shift a second, Alt 10 ms), Ctrl+↑/↓ (speed), R
    // (retake), S (shift from here), Ctrl+Z and Ctrl+Y or Ctrl+Shift+Z (undo,
    // redo). True when the key was one of them.
    bool timingKey(const QKeyEvent& event);
    // The split of the selected line, as the segment field shows it.
    void showSegments();

    TimingRun& m_run;
    TimingSession* m_session;
    TimingListModel* m_model;
    QPointer<QProgressDialog> m_openProgress;
    bool m_finishedByOwner = false;
    bool m_closeAsked = false;
    bool m_closeAllowed = false;
};

} // namespace verselet
