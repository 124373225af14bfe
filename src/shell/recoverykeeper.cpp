#include "shell/recoverykeeper.h"

#include "document/lyricsdocument.h"
#include "shell/recoveryfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace verselet {

RecoveryKeeper::RecoveryKeeper(LyricsDocument& document, QString path, QObject* parent)
    : QObject(parent), m_document(document), m_path(std::move(path))
{
    m_disk.setMaxThreadCount(1);
    for (QTimer* timer : {&m_quiet, &m_deadline}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, &RecoveryKeeper::write);
    }
    setDelay(kDelay);
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

void RecoveryKeeper::setDelay(std::chrono::milliseconds delay)
{
    m_quiet.setInterval(delay);
    m_deadline.setInterval(delay);
}

void RecoveryKeeper::documentChanged()
{
    if (m_discarded)
        return;
    if (m_document.isModified()) {
        m_quiet.start();
        if (!m_deadline.isActive())
            m_deadline.start();
        return;
    }
    m_quiet.stop();
    m_deadline.stop();
    remove();
}

void RecoveryKeeper::write()
{
    m_quiet.stop();
    m_deadline.stop();
    if (m_discarded || !m_document.isModified())
        return;
    m_fileMayExist = true;
    m_disk.start([this, lyrics = m_document.snapshot(), updated = QDateTime::currentDateTimeUtc()] {
        QElapsedTimer took;
        took.start();
        auto result = WriteRecoveryFile(m_path, lyrics, updated);
        m_lastWriteNs.store(took.nsecsElapsed());
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { writeDone(result); }, Qt::QueuedConnection);
    });
}

void RecoveryKeeper::writeDone(const Result<void, RecoveryWriteError>& result)
{
    const bool wasFailing = std::exchange(m_failing, !result.ok());
    Q_EMIT written(result.ok());
    if (!result.ok() && !wasFailing)
        Q_EMIT failing(result.error());
    else if (result.ok() && wasFailing)
        Q_EMIT resumed();
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
    m_quiet.stop();
    m_deadline.stop();
    remove();
    m_discarded = true;
    m_disk.waitForDone();
}

} // namespace verselet
