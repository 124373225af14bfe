#include "app/filedrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace verselet {

FileDrops::FileDrops(QWidget* window, const QList<QWidget*>& boxes,
                     std::function<void(const QString&)> open)
    : QObject(window), m_open(std::move(open))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget* box : boxes)
        box->installEventFilter(this);
}

QString FileDrops::droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

bool FileDrops::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!droppedFile(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (type == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (const QString file = droppedFile(drop->mimeData()); !file.isEmpty()) {
            drop->acceptProposedAction();
            QTimer::singleShot(0, this, [this, file] { m_open(file); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace verselet
