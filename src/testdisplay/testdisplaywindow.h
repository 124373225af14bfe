#pragma once

#include <QDialog>

class QFrame;
class QTimer;

namespace verselet {

class KaraokeLabel;
class TimingRun;

// A test display ("Form4" from the start, "Form5" from the selected line):
// plays the track and shows each timed line of the run when the run's
// play time reaches its tag, the way a lyrics display would; a line timed
// word by word fills segment by segment as it is sung. It follows the
// run's rows, play time and end of track; the run plays and stops.
class TestDisplayWindow final : public QDialog
{
    Q_OBJECT

public:
    enum class Start
    {
        FromBeginning,
        FromSelectedLine
    };

    // `startText` is shown first by the display from the beginning (the text
    // of [00:00]).
    TestDisplayWindow(Start start, TimingRun& run, const QString& startText, QWidget* parent);

    void Form_Load();
    void onTick();
    int ShownLineIndex = -1;

    // Escape closes the window as its frame does.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QFrame* m_frame = nullptr;           // "Shape1"
    KaraokeLabel* m_lineLabel = nullptr; // "Label1"
    QTimer* m_ticker = nullptr;          // "Timer1"

    Start m_start;
    TimingRun& m_run;
    QString m_startText;
    bool m_unloaded = false;
};

} // namespace verselet
