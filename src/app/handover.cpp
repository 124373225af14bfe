#include "app/handover.h"

#include <QEventLoop>
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

} // namespace

QString HandoverSocketPath(const QString& cacheFolder) { return cacheFolder + u"/instance"_s; }

Handover HandOverFile(const QString& socketPath, const QString& file, int timeoutMs)
{
    QLocalSocket socket;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QByteArray reply;
    QObject::connect(&socket, &QLocalSocket::connected, &loop,
                     [&socket, &file] { socket.write(file.toUtf8() + '\n'); });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n'))
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToServer(socketPath);
    timeout.start(timeoutMs);
    if (!reply.contains('\n') && socket.state() != QLocalSocket::UnconnectedState)
        loop.exec();
    if (reply == kOpened)
        return Handover::Opened;
    if (reply == kBusy)
        return Handover::Refused;
    return Handover::NoAnswer;
}

HandoverServer::HandoverServer(std::function<bool()> canOpen, std::function<void(const QString&)> open,
                               QObject* parent)
    : QObject(parent), m_server(new QLocalServer(this)), m_canOpen(std::move(canOpen)), m_open(std::move(open))
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
            const QString file = QString::fromUtf8(socket->readLine()).chopped(1);
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
