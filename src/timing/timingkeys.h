#pragma once

// The timing keys of the timing window. A key pressed anywhere in the window
// but in a field that types goes to the timing command the command table
// gives it, before the widget with the focus would take it (a button pressed
// by Space, the list's own arrows and search); Enter on Set presses Set. The
// selected line is shown as it is now before a command runs and after one
// that changed the run, and when a key reaches the list or the pointer moves
// over it.

#include <QList>
#include <QObject>

#include <functional>

class QAbstractItemView;
class QKeyEvent;
class QPushButton;
class QWidget;

namespace verselet {

class TimingRun;
struct TimingCommand;

class TimingKeys final : public QObject
{
    Q_OBJECT

public:
    struct Widgets
    {
        QPushButton* set;
        QAbstractItemView* list;
        // Fields whose keys are their own typing.
        QList<QWidget*> typing;
    };
    // Watches every child of `window` that takes the focus, except the
    // typing fields. `showLine` shows the selected line as it is now.
    TimingKeys(TimingRun& run, QWidget* window, const Widgets& widgets,
               std::function<void()> showLine);

    // A key that reached the window itself: true when it was a timing key
    // (run, or held down and not one to repeat).
    bool press(const QKeyEvent& event);
    // The command when it can run now; true when it changed the run.
    bool run(const TimingCommand& command, bool repeat);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool typing() const;

    TimingRun& m_run;
    Widgets m_widgets;
    // The list's viewport, kept: a list on its way out has none to ask.
    QWidget* m_listViewport;
    std::function<void()> m_showLine;
};

} // namespace verselet
