#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// Lets only one copy of a program file run at a time. The first copy holds a lock named
// after the program's file name and listens on a local socket of the same name; a later copy
// fails to take the lock and asks the first, through the socket, to bring its window forward.
// Programs of different file names do not see each other.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    // `programName` is the program's file name without its folder, e.g. "vantorahd".
    explicit SingleInstanceGuard(const QString& programName, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // Takes the lock and starts listening for activation requests. Returns false when another
    // running copy holds the lock. A lock left behind by a copy that died does not count.
    bool tryLock();

    // Sends the running copy the request to bring its window forward. Returns whether the
    // request was delivered.
    bool askRunningCopyToActivate();

    bool isLocked() const;
    QString lockName() const { return m_programName; }
    QString lockFileName() const;
    QString serverName() const;

signals:
    // Another copy asked this one to restore its window when minimised, else to raise it.
    void activationRequested();

private:
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString m_programName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
