#include "shell/recoverykeeper.h"

#include "document/lyricsdocument.h"
#include "shell/recoveryfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace verselet {

RecoveryKeeper::RecoveryKeeper(LyricsDocument& document, QString path, QObject* parent)
    : QObject(parent), m_document(document), m_path(std::move(path))
{
    m_disk.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelay);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::write);
    // A file left by a run that did not end (restored, or about to be
    // offered) is the keeper's to replace or remove from now on.
    const QFileInfo existing(m_path);
    m_fileMayExist = existing.exists() || existing.isSymLink();
    for (auto changed : {&LyricsDocument::headerChanged, &LyricsDocument::startChanged,
                         &LyricsDocument::bodyChanged, &LyricsDocument::timingChanged,
                         &LyricsDocument::reset, &LyricsDocument::saved})
        connect(&m_document, changed, this, &RecoveryKeeper::documentChanged);
}

RecoveryKeeper::~RecoveryKeeper()
{
    m_disk.waitForDone();
}

void RecoveryKeeper::documentChanged()
{
    if (m_discarded)
        return;
    if (m_document.isModified()) {
        m_timer.start();
        return;
    }
    m_timer.stop();
    remove();
}

void RecoveryKeeper::write()
{
    if (m_discarded || !m_document.isModified())
        return;
    m_fileMayExist = true;
    m_disk.start([this, lyrics = m_document.snapshot(), updated = QDateTime::currentDateTimeUtc()] {
        QElapsedTimer took;
        took.start();
        const bool ok = WriteRecoveryFile(m_path, lyrics, updated).ok();
        m_lastWriteNs.store(took.nsecsElapsed());
        QMetaObject::invokeMethod(
            this, [this, ok] { Q_EMIT written(ok); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::remove()
{
    if (!m_fileMayExist)
        return;
    m_fileMayExist = false;
    m_disk.start([path = m_path] { QFile::remove(path); });
}

void RecoveryKeeper::discard()
{
    m_timer.stop();
    remove();
    m_discarded = true;
    m_disk.waitForDone();
}

} // namespace verselet
