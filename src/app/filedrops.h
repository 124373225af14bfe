#pragma once

// A file dropped anywhere on a window opens; text dropped on one of its boxes
// is typed in there, as before. The open comes after the drop has ended: the
// program that dragged the file waits for that, and must not wait on a
// question asked while opening.

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

namespace verselet {

class FileDrops final : public QObject
{
public:
    FileDrops(QWidget* window, const QList<QWidget*>& boxes,
              std::function<void(const QString&)> open);

    // The local file a drag carries, "" for none.
    static QString droppedFile(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_open;
};

} // namespace verselet
