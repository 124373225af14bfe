#include "cd/openprogress.h"

#include "audio/cdaudiodevice.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressDialog>

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

// Keeps the user's input from one window while it is there, as a modal
// window over it would: clicks, keys, the wheel and the close box.
class InputBlock final : public QObject
{
public:
    explicit InputBlock(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~InputBlock() override { qApp->removeEventFilter(this); }
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            break;
        case QEvent::Close:
            if (!event->spontaneous())
                return false;
            break;
        default:
            return false;
        }
        const auto* widget = qobject_cast<QWidget*>(watched);
        return widget && widget->window() == m_window;
    }

private:
    QWidget* m_window;
};

} // namespace

QProgressDialog* ShowOpenProgress(CdAudioDevice& device, QWidget* parent)
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
    progress->show();
    return progress;
}

void ReadDiscWithProgress(CdAudioDevice& device, QWidget* parent, const std::function<void()>& read)
{
    QProgressDialog progress(readingText(), QString(), 0, 0, parent);
    prepare(progress);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    const auto connection = followMeasuring(device, progress);
    // Until the progress shows, the window takes no input all the same: a
    // button pressed while the disc is not there would act on no disc.
    const InputBlock block(parent->window());
    read();
    QObject::disconnect(connection);
}

} // namespace verselet
