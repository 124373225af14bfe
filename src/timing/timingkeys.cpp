#include "timing/timingkeys.h"

#include "session/timingcommands.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace verselet {

TimingKeys::TimingKeys(TimingRun& run, QWidget* window, const Widgets& widgets,
                       std::function<void()> showLine)
    : QObject(window), m_run(run), m_widgets(widgets), m_listViewport(widgets.list->viewport()),
      m_showLine(std::move(showLine))
{
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!m_widgets.typing.contains(child) && child->focusPolicy() != Qt::NoFocus)
            child->installEventFilter(this);
    }
    m_listViewport->installEventFilter(this);
}

bool TimingKeys::typing() const
{
    return m_widgets.typing.contains(QApplication::focusWidget());
}

bool TimingKeys::press(const QKeyEvent& event)
{
    // A key a typing field let through (one it has no use for) is still
    // the field's.
    if (typing())
        return false;
    const TimingCommand* command = TimingCommandForKey(event.keyCombination());
    if (!command)
        return false;
    // A key held down repeats; Set, a retake and a shift happen once per
    // press, or a held Space would stamp line after line. A held arrow
    // nudges on, its repeats one step with the press.
    if (event.isAutoRepeat() && !command->repeats)
        return true;
    m_showLine();
    // Only what can run now; never the button that has the focus.
    if (run(*command, event.isAutoRepeat()))
        m_showLine();
    return true;
}

bool TimingKeys::run(const TimingCommand& command, bool repeat)
{
    return command.canRun(m_run) && command.run(m_run, repeat);
}

bool TimingKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const auto* key = type == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    QPushButton* set = m_widgets.set;
    if (watched == set) {
        // A disabled button takes no press, so it refreshes nothing either.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) &&
            set->isEnabled())
            m_showLine();
        // Enter presses Set as Space does, so a run can be timed from the
        // keyboard: once per press, as Space.
        if (key && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            set->isEnabled()) {
            if (!key->isAutoRepeat())
                set->click();
            return true;
        }
    }
    if (key && press(*key))
        return true;
    // Before the key moves the selection.
    if ((watched == m_widgets.list && key) ||
        (watched == m_listViewport && type == QEvent::MouseMove))
        m_showLine();
    return false;
}

} // namespace verselet
