#include "app/desktopfiles.h"

#include "app/handover.h"

#include <QApplication>
#include <QWidget>

namespace verselet {

using namespace Qt::StringLiterals;

DesktopFiles::DesktopFiles(QWidget* window, std::function<bool()> mayReplace,
                           std::function<void(const QString&)> open)
    : QObject(window), m_window(window), m_mayReplace(std::move(mayReplace)),
      m_open(std::move(open))
{
}

void DesktopFiles::open(const QString& path)
{
    m_waiting.append(path);
    // An open may ask or tell the user something, and meanwhile the next
    // file can arrive: it waits here for the one before to end.
    if (m_opening)
        return;
    m_opening = true;
    while (!m_waiting.isEmpty()) {
        const QString file = m_waiting.takeFirst();
        // A stray drop or a double click elsewhere must not throw typing
        // away: the boxes' text is nowhere else.
        if (m_mayReplace())
            m_open(file);
    }
    m_opening = false;
}

void DesktopFiles::listen(const QString& socketPath)
{
    auto* server = new HandoverServer([] { return QApplication::activeModalWidget() == nullptr; },
                                      [this](const QString& path) {
                                          m_window->raise();
                                          m_window->activateWindow();
                                          open(path);
                                      },
                                      this);
    server->listen(socketPath);
}

} // namespace verselet
