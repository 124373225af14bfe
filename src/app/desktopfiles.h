#pragma once

// Files that come from outside the window: dropped on it, or handed over by a
// second copy of the program. They open one after another, each to its end,
// however many arrive at once; each only once the lyrics on hand may go.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace verselet {

class DesktopFiles final : public QObject
{
    Q_OBJECT

public:
    // `mayReplace` says whether the lyrics on hand may go for a file, asking
    // the user when they hold unsaved work; `open` opens a file as the open
    // command does.
    DesktopFiles(QWidget* window, std::function<bool()> mayReplace,
                 std::function<void(const QString&)> open);

    void open(const QString& path);
    // Takes the files a second copy hands over at `socketPath`: not while a
    // window of this program waits for an answer.
    void listen(const QString& socketPath);

private:
    QWidget* m_window;
    std::function<bool()> m_mayReplace;
    std::function<void(const QString&)> m_open;
    QStringList m_waiting;
    bool m_opening = false;
};

} // namespace verselet
