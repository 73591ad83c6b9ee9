#include "quessel/shell/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace quessel {

namespace {

const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_lock(QDir(runtimeFolder()).filePath(name + QStringLiteral(".lock")))
{
    // A running copy never goes stale however long it runs; a lock whose process has died is
    // recognised as stale by its process id all the same.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_primary)
        m_lock.unlock();
}

QString SingleInstance::runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

QString SingleInstance::lockFilePath() const
{
    return QDir(runtimeFolder()).filePath(m_name + QStringLiteral(".lock"));
}

QString SingleInstance::socketPath() const
{
    return QDir(runtimeFolder()).filePath(m_name + QStringLiteral(".socket"));
}

bool SingleInstance::acquire()
{
    if (m_primary)
        return true;
    if (!m_lock.tryLock(0))
        return false;
    m_primary = true;

    // Holding the lock, any socket left at the path belongs to a copy that is gone.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    // Without the socket a later start cannot raise this window, but it is still refused.
    m_server->listen(socketPath());
    return true;
}

bool SingleInstance::requestRaise(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(RaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray request = socket->readAll();
            if (request.contains(RaiseRequest.trimmed()))
                emit raiseRequested();
        });
    }
}

} // namespace quessel
