#include "cd/openprogress.h"

#include "cd/cdaudiodevice.h"

#include <QKeyEvent>
#include <QProgressDialog>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kReading = u"ディスクを読み込んでいます..."_s;

void prepare(QProgressDialog& progress)
{
    progress.setObjectName(u"OpenProgress"_s);
    progress.setWindowTitle(u"Verselet"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
}

QMetaObject::Connection followMeasuring(CdAudioDevice& device, QProgressDialog& progress)
{
    return QObject::connect(&device, &CdAudioDevice::measuring, &progress, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setLabelText(kReading + u" (%1 / %2)"_s.arg(done).arg(total));
        progress.setValue(done);
    });
}

// The progress of an open stands until the disc is read: Escape and the
// close box would only uncover a window whose disc is not there yet.
class StaysUp final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    }
};

} // namespace

QProgressDialog* ShowOpenProgress(CdAudioDevice& device, QWidget* parent)
{
    auto* progress = new QProgressDialog(kReading, QString(), 0, 0, parent);
    prepare(*progress);
    progress->installEventFilter(new StaysUp(progress));
    followMeasuring(device, *progress);
    QObject::connect(
        &device, &CdAudioDevice::opened, progress,
        [progress] {
            progress->hide();
            progress->deleteLater();
        },
        Qt::SingleShotConnection);
    progress->show();
    return progress;
}

void ReadDiscWithProgress(CdAudioDevice& device, QWidget* parent, const std::function<void()>& read)
{
    QProgressDialog progress(kReading, QString(), 0, 0, parent);
    prepare(progress);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const auto connection = followMeasuring(device, progress);
    read();
    QObject::disconnect(connection);
}

} // namespace verselet
