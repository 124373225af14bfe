#include "cd/openprogress.h"

#include "cd/cdaudiodevice.h"

#include <QProgressDialog>

namespace verselet {

using namespace Qt::StringLiterals;

void OpenWithProgress(CdAudioDevice& device, QWidget* parent)
{
    ReadDiscWithProgress(device, parent, [&device] { device.setCommand(u"Open"_s); });
}

void ReadDiscWithProgress(CdAudioDevice& device, QWidget* parent, const std::function<void()>& read)
{
    QProgressDialog progress(u"ディスクを読み込んでいます..."_s, QString(), 0, 0, parent);
    progress.setObjectName(u"OpenProgress"_s);
    progress.setWindowTitle(u"Verselet"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoReset(false);
    progress.setValue(0);
    const auto connection =
        QObject::connect(&device, &CdAudioDevice::measuring, &progress, [&progress](int done, int total) {
            progress.setMaximum(total);
            progress.setLabelText(u"ディスクを読み込んでいます... (%1 / %2)"_s.arg(done).arg(total));
            progress.setValue(done);
        });
    read();
    QObject::disconnect(connection);
}

} // namespace verselet
