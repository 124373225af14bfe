#pragma once

#include <QWidget>

namespace verselet {

// The pointer of one window, the hourglass while a step runs, the arrow
// again after it.
class BusyCursor final
{
public:
    explicit BusyCursor(QWidget* window) : m_window(window) { m_window->setCursor(Qt::WaitCursor); }
    ~BusyCursor() { m_window->setCursor(Qt::ArrowCursor); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* m_window;
};

} // namespace verselet
