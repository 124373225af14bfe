#include "cd/openprogress.h"

#include "audio/cdaudiodevice.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

struct OpenProgress
{
    Q_DECLARE_TR_FUNCTIONS(OpenProgress)
};

QString readingText()
{
    return OpenProgress::tr("ディスクを読み込んでいます...");
}

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
    return QObject::connect(
        &device, &CdAudioDevice::measuring, &progress, [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setLabelText(readingText() + u" (%1 / %2)"_s.arg(done).arg(total));
            progress.setValue(done);
        });
}

// The progress stands until the device answers: Escape and the close box
// would only uncover a window whose disc is not there yet.
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

// Window-modal over `parent` from the first moment, on screen after
// `onScreenAfterMs`. Until then it is shown the way Qt shows the dialog behind
// a native one (WA_DontShowOnScreen): modal, so that its parent takes no
// input, with nothing on screen.
QProgressDialog* showProgress(CdAudioDevice& device, QWidget* parent, int onScreenAfterMs)
{
    auto* progress = new QProgressDialog(readingText(), QString(), 0, 0, parent);
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
    if (onScreenAfterMs > 0) {
        progress->setAttribute(Qt::WA_DontShowOnScreen);
        QTimer::singleShot(onScreenAfterMs, progress, [progress] {
            // Not once the answer has taken it down.
            if (!progress->isVisible())
                return;
            progress->hide();
            progress->setAttribute(Qt::WA_DontShowOnScreen, false);
            progress->show();
        });
    }
    progress->show();
    return progress;
}

} // namespace

QProgressDialog* ShowOpenProgress(CdAudioDevice& device, QWidget* parent)
{
    return showProgress(device, parent, 0);
}

QProgressDialog* ShowLookProgress(CdAudioDevice& device, QWidget* parent)
{
    return showProgress(device, parent, 500);
}

} // namespace verselet
