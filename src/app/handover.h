#pragma once

// A file handed from a second copy of the program to the one that runs: the
// second copy, started with a file to open, cannot have the work folder, so
// it asks the running copy to open the file and ends.

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace verselet {

// Where the running copy listens: beside its lock, in the cache folder.
QString HandoverSocketPath(const QString& cacheFolder);

enum class Handover
{
    Opened,   // the running copy took the file
    Refused,  // it is busy with a real-time input (or another modal window)
    NoAnswer, // nothing answered in time
};

// Asks the copy listening at `socketPath` to open `file` (an absolute
// path), waiting at most `timeoutMs` with the event loop running. Nobody
// listening there yet is no answer only once the time is up: the copy that
// runs may still be starting, and a first start from a cold disk is slow.
Handover HandOverFile(const QString& socketPath, const QString& file, int timeoutMs = 5000);

// The running copy's side: takes a file handed over and says whether it
// will be opened. `open` is asked once the answer is on its way.
class HandoverServer final : public QObject
{
    Q_OBJECT

public:
    // `canOpen` says whether a file can be opened now.
    HandoverServer(std::function<bool()> canOpen, std::function<void(const QString&)> open,
                   QObject* parent = nullptr);
    // False when nothing can listen at the path; a socket left by a copy that
    // ended without removing it is taken over.
    bool listen(const QString& socketPath);

private:
    void take();

    QLocalServer* m_server;
    std::function<bool()> m_canOpen;
    std::function<void(const QString&)> m_open;
};

} // namespace verselet
