#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QTimer;

namespace verselet {

class MainWindow;
class TimingWindow;

// A test display ("Form4" from the start, "Form5" from the selected line):
// plays the track and shows each timed line of the timing list when the
// timing window's play-time display reaches its tag, the way a lyrics
// display would. It reads the timing window's list, track list and display,
// and drives its device.
class TestDisplayWindow final : public QDialog
{
    Q_OBJECT

public:
    enum class Start { FromBeginning, FromSelectedLine };

    TestDisplayWindow(Start start, TimingWindow* timing, MainWindow* main);

    void Form_Load();
    void Timer1_Timer();
    int ShownLineIndex = -1;

    QFrame* Shape1 = nullptr;
    QLabel* Label1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Escape closes the window as its frame does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Start m_start;
    TimingWindow* m_timing;
    MainWindow* m_main;
    bool m_unloaded = false;
};

} // namespace verselet
