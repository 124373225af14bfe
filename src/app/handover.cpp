#include "app/handover.h"

#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QByteArray kOpened = "opened\n";
const QByteArray kBusy = "busy\n";
// A path, far longer than any file name, is all a copy ever sends.
constexpr qint64 kMaxRequest = 64 * 1024;
// How soon a copy that found nobody listening tries again.
constexpr int kRetryMs = 25;

QByteArray encodeRequest(const QString& file)
{
    // The path's own bytes, percent-encoded: a line break or any other byte
    // a file name may hold arrives as it was, and the line ends the request.
    return QFile::encodeName(file).toPercentEncoding() + '\n';
}

QString decodeRequest(const QByteArray& line)
{
    return QFile::decodeName(
        QByteArray::fromPercentEncoding(line.endsWith('\n') ? line.chopped(1) : line));
}

} // namespace

QString HandoverSocketPath(const QString& cacheFolder)
{
    return cacheFolder + u"/instance"_s;
}

Handover HandOverFile(const QString& socketPath, const QString& file, int timeoutMs)
{
    QLocalSocket socket;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QTimer again;
    again.setSingleShot(true);
    again.setInterval(kRetryMs);
    QByteArray reply;
    QObject::connect(&socket, &QLocalSocket::connected, &loop,
                     [&socket, &file] { socket.write(encodeRequest(file)); });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n'))
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop,
                     [&](QLocalSocket::LocalSocketError error) {
                         // The copy that holds the lock listens once its window is built: a
                         // copy started at the same moment finds nobody there yet, and tries
                         // again until its time is up.
                         const bool notYet = error == QLocalSocket::ServerNotFoundError ||
                                             error == QLocalSocket::ConnectionRefusedError;
                         if (notYet && deadline.remainingTime() > kRetryMs)
                             again.start();
                         else
                             loop.quit();
                     });
    QObject::connect(&again, &QTimer::timeout, &loop,
                     [&socket, &socketPath] { socket.connectToServer(socketPath); });
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    socket.connectToServer(socketPath);
    if (!reply.contains('\n') &&
        (again.isActive() || socket.state() != QLocalSocket::UnconnectedState))
        loop.exec();
    if (reply == kOpened)
        return Handover::Opened;
    if (reply == kBusy)
        return Handover::Refused;
    return Handover::NoAnswer;
}

HandoverServer::HandoverServer(std::function<bool()> canOpen,
                               std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_canOpen(std::move(canOpen)),
      m_open(std::move(open))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandoverServer::take);
}

bool HandoverServer::listen(const QString& socketPath)
{
    // The lock says this is the copy that runs: a socket there is a dead
    // copy's.
    QLocalServer::removeServer(socketPath);
    return m_server->listen(socketPath);
}

void HandoverServer::take()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest)
                    socket->abort();
                return;
            }
            const QString file = decodeRequest(socket->readLine());
            const bool open = !file.isEmpty() && m_canOpen();
            socket->write(open ? kOpened : kBusy);
            socket->flush();
            socket->disconnectFromServer();
            // Opened after this answer has gone: opening may ask the user
            // things, and the other copy is not kept waiting for that.
            if (open)
                QTimer::singleShot(0, this, [this, file] { m_open(file); });
        });
    }
}

} // namespace verselet
