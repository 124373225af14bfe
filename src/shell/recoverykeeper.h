#pragma once

#include "shell/recoveryfile.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <chrono>

namespace verselet {

class LyricsDocument;

// Keeps a document's recovery file: while the document has unsaved work, its
// whole state is written about two seconds after the last change, and no
// later than two seconds after the first change since the last write, so
// typing that never pauses is kept as it goes. Once the document has none
// (saved, or New or an open replaced it), the file is removed, and discard()
// removes it when the program ends normally.
//
// The state is taken at once (its texts are shared, not copied) and written
// on a thread of the keeper's own, one file after another in the order they
// were asked for, so a keystroke never waits on the disk and a removal never
// overtakes a write.
class RecoveryKeeper final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDelay{2000};

    RecoveryKeeper(LyricsDocument& document, QString path, QObject* parent = nullptr);
    // Waits for the writes under way; the file stays as they leave it.
    ~RecoveryKeeper() override;

    void setDelay(std::chrono::milliseconds delay);
    // A write is waiting for the document to stay unchanged, or for its
    // deadline.
    bool isWaiting() const { return m_quiet.isActive() || m_deadline.isActive(); }
    // The last write failed: the file holds older lyrics than the document,
    // or none.
    bool isFailing() const { return m_failing; }
    // Removes the file and keeps no more: the program ends normally.
    void discard();
    // Waits until every write and removal asked for has been done.
    void waitForDisk() { m_disk.waitForDone(); }
    // How long the last write took, from its state to the renamed file.
    double lastWriteMilliseconds() const { return m_lastWriteNs.load() / 1e6; }

Q_SIGNALS:
    // A write asked for has reached the disk, or failed (written false).
    void written(bool written);
    // A write failed after one that did not (or after none): the first of
    // a run of failures, and why.
    void failing(const RecoveryWriteError& why);
    // A write reached the disk after one that failed.
    void resumed();

private:
    void documentChanged();
    void write();
    void remove();
    void writeDone(const Result<void, RecoveryWriteError>& result);

    LyricsDocument& m_document;
    QString m_path;
    // Restarted by every change; the deadline runs from the first.
    QTimer m_quiet;
    QTimer m_deadline;
    QThreadPool m_disk;
    bool m_fileMayExist = false;
    bool m_discarded = false;
    bool m_failing = false;
    std::atomic<qint64> m_lastWriteNs{0};
};

} // namespace verselet
