#include "SingleInstanceGuard.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {

QString lockFolder() {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// Socket names must be plain: keep letters, digits, dots and dashes of the file name.
QString serverName(const QString& name) {
    QString safe;
    for (QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'.' || c == u'-') ? c : QChar(u'_');
    return QStringLiteral("vantora-instance-") + safe;
}

const QByteArray kActivate = "activate\n";

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& programFileName, QObject* parent)
    : QObject(parent), m_name(programFileName) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstanceGuard::tryLock() {
    m_lock = std::make_unique<QLockFile>(lockFolder() + u'/' + serverName(m_name) +
                                         QStringLiteral(".lock"));
    // A running copy keeps its lock as long as it lives; QLockFile takes over a lock whose
    // process is gone, so the stale time only matters for a hung copy.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A copy that was killed leaves its socket file behind.
    QLocalServer::removeServer(serverName(m_name));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate"))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    m_server->listen(serverName(m_name));
    return true;
}

bool SingleInstanceGuard::askRunningCopyToActivate() {
    QLocalSocket socket;
    socket.connectToServer(serverName(m_name));
    if (!socket.waitForConnected(2000))
        return false;
    socket.write(kActivate);
    const bool written = socket.waitForBytesWritten(2000);
    socket.waitForDisconnected(500);
    return written;
}
