#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// Lets one copy of a program file run at a time. The lock is named after the program's file
// name without its folder, so the disc program and the hard-disk program run side by side.
// A second copy asks the first, through a local socket, to come to the front.
class SingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    explicit SingleInstanceGuard(const QString& programFileName, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // Takes the lock; false when another copy holds it. A lock left by a copy that died is
    // taken over.
    bool tryLock();
    // Asks the copy that holds the lock to restore or raise its window.
    bool askRunningCopyToActivate();

    QString lockName() const { return m_name; }

signals:
    void activationRequested();

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
