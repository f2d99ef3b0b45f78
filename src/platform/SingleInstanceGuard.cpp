#include "SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

const QByteArray activateRequest = QByteArrayLiteral("activate\n");
constexpr int connectTimeoutMs = 2000;

// The per-user runtime folder keeps the lock and the socket apart from other users' copies;
// the temporary folder stands in where there is none.
QString lockFolder() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir;
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& programName, QObject* parent)
    : QObject(parent), m_programName(programName) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

QString SingleInstanceGuard::lockFileName() const {
    return lockFolder() + u'/' + m_programName + QStringLiteral(".lock");
}

QString SingleInstanceGuard::serverName() const {
    return lockFolder() + u'/' + m_programName + QStringLiteral(".instance");
}

bool SingleInstanceGuard::isLocked() const {
    return m_lock && m_lock->isLocked();
}

bool SingleInstanceGuard::tryLock() {
    if (isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(lockFileName());
    // A running copy holds its lock for as long as it runs, so the age of the lock file says
    // nothing; a lock is stale only when the process named in it is gone, which QLockFile
    // finds out by itself.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // The lock is ours, so a socket file still lying there belongs to a copy that died.
    const QString name = serverName();
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::acceptConnections);
    if (!m_server->listen(name))
        qWarning("SingleInstanceGuard: cannot listen on %s: %s", qPrintable(name),
                 qPrintable(m_server->errorString()));
    return true;
}

bool SingleInstanceGuard::askRunningCopyToActivate() {
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(activateRequest);
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(connectTimeoutMs);
    return sent;
}

void SingleInstanceGuard::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequest(socket);
    }
}

void SingleInstanceGuard::readRequest(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        if (socket->readLine() == activateRequest)
            emit activationRequested();
    }
}
