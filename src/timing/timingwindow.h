#pragma once

#include "session/timingrun.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QProgressDialog;
class QPushButton;
class QTimer;

namespace verselet {

class TimingKeys;
class TimingListModel;
class WaveformStrip;
struct TimingCommand;

// The timing window ("Form3"): the lines to time, the track list and the
// transport, and the buttons that stamp the lines with the play time while
// the song plays. It binds the widgets to a timing run it is given: its
// buttons and keys run the run's commands (session/timingcommands), and it
// shows what the run's lines and transport tell.
//
// The run reads its disc as it is made; the window shows the reading, then
// the tracks or that there is none. Its test buttons have the run ask for a
// test display (TimingRun::testRequested). Closing it finishes the run (the
// disc stopped and re-armed, the track to remember kept); when its owner
// finishes the input (setFinishedByOwner), it then asks (finishRequested)
// and stays on screen until finishClosing().
class TimingWindow final : public QDialog
{
    Q_OBJECT

public:
    explicit TimingWindow(TimingRun& run, QWidget* parent = nullptr);
    ~TimingWindow() override;

    TimingRun& run() { return m_run; }

    // The selected line as it is now, in the time field and the text
    // display, and what can run on it: shown when Set is pressed, the
    // pointer moves over the list, a key reaches the list or a timing key is
    // pressed.
    void ShowSelectedLine();
    void reject() override;

    void setFinishedByOwner(bool owner) { m_finishedByOwner = owner; }
    void finishClosing();

Q_SIGNALS:
    void finishRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QListView* m_lineList = nullptr;     // "List1"
    QLineEdit* m_tagField = nullptr;     // "Text1"
    QLabel* m_lineText = nullptr;        // "Label3"
    QLabel* m_trackCaption = nullptr;    // "Label1"
    QComboBox* m_trackBox = nullptr;     // "Combo1"
    QPushButton* m_setButton = nullptr;  // "Command6"
    QLabel* m_clock = nullptr;           // "Label2"
    QTimer* m_ticker = nullptr;          // "Timer1"
    QLabel* m_silentLabel = nullptr;     // "SilentLabel"
    WaveformStrip* m_waveform = nullptr; // "Waveform"
    QCheckBox* m_wordModeBox = nullptr;  // "WordMode"
    QComboBox* m_speedBox = nullptr;     // "Speed"
    QLineEdit* m_segmentField = nullptr; // "SegmentText"

    void buildLineWidgets();
    void buildTrackWidgets();
    void buildButtons();
    void buildSpeedRow();
    void followLines();
    // No readings can be proposed: the user is told why, once.
    void tellNoReadings(const QString& why);
    void followTransport();
    void discOpened();
    void showSilence();
    // Each button of a command can be pressed when its command can run.
    void showCommands();
    void refresh();
    void showWordMode(bool on);
    void showSegments();
    void barsEdited(const QString& barred);

    TimingRun& m_run;
    TimingListModel* m_model;
    TimingKeys* m_keys = nullptr;
    // The buttons that run a command, and theirs.
    QList<std::pair<QPushButton*, const TimingCommand*>> m_commandButtons;
    QPointer<QProgressDialog> m_openProgress;
    bool m_finishedByOwner = false;
    bool m_closeAsked = false;
    bool m_closeAllowed = false;
};

} // namespace verselet
