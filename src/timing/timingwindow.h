#pragma once

#include "audio/cdaudiodevice.h"
#include "session/timingsession.h"

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QStringList>

#include <memory>

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
// the song plays. It is a view of its TimingSession, which drives the
// window's own device.
//
// The window opens the device on the drive it is given and lists the tracks
// as it is created, choosing the remembered track; the rows come after
// (setTimingRows). Its test buttons ask for a test display
// (testRequested). Closing it stops and re-arms the disc and keeps the track
// to remember (rememberedTrack); in a real-time input it then asks to close
// (closeRequested) and stays on screen until finishClosing().
class TimingWindow final : public QDialog
{
    Q_OBJECT

public:
    TimingWindow(std::unique_ptr<CdAudioDevice> device, const QString& driveName,
                 const QString& rememberedTrack, QWidget* parent = nullptr);
    ~TimingWindow() override;

    void setTimingRows(const QStringList& rows, const ExactTimes& exactTimes = {});
    QStringList timingRows() const;

    CdAudioDevice& device() { return *m_device; }
    // The run this window shows.
    TimingSession& session() { return *m_session; }

    // Event handlers, named after their widgets; each hands the user's act to
    // the session.
    void Form_Load();
    void Command1_Click();  // 更新
    void Combo1_Click();    // track selection
    void Command2_Click();  // ＞
    void Command3_Click();  // ||
    void Command4_Click();  // □
    void Command5_Click();  // =>
    void Command6_Click();  // Set
    void Command7_Click();  // Next
    void Command10_Click(); // Top
    void Command8_Click();  // ＞テスト
    void Command9_Click();  // =>テスト
    void Text1_Change();
    void Timer1_Timer();
    void ShowSelectedLine();
    // Escape closes the window as its frame does.
    void reject() override;

    // The track index to remember, as decimal text: the one the window
    // started on, and once it has closed the one chosen then ("-1": none).
    QString rememberedTrack() const { return m_rememberedTrack; }
    // Completes the close that closeRequested() announced.
    void finishClosing();
    // True from creation until the device has read its disc.
    bool isOpening() const;

    QListView* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QTimer* Timer1 = nullptr;
    // Says that playback is silent when there is no audio output.
    QLabel* SilentLabel = nullptr;
    WaveformStrip* Waveform = nullptr;

Q_SIGNALS:
    // "＞テスト" (true: from the beginning) or "=>テスト" (from the selected line).
    void testRequested(bool fromBeginning);
    // The user closed the window and its closing steps are done; the finish
    // of the run may follow, then finishClosing().
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    // The widgets show what the session holds, as it changes.
    void followSession();
    // The device has read its disc: list the tracks, or say there is none.
    void discOpened();
    // The timing keys, wherever the focus is but in the time field: Space
    // (Set), the arrows (nudge), R (retake), S (shift from here), Ctrl+Z and
    // Ctrl+Y or Ctrl+Shift+Z (undo, redo). True when the key was one of them.
    bool timingKey(const QKeyEvent& event);

    QString m_driveName;
    QString m_rememberedTrack;
    std::unique_ptr<CdAudioDevice> m_device;
    TimingSession* m_session;
    TimingListModel* m_model;
    bool m_opening = false;
    QPointer<QProgressDialog> m_openProgress;
    bool m_closeAsked = false;
    bool m_closeAllowed = false;
};

} // namespace verselet
