#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// A PostgreSQL cluster of a test's own, made and ended by cluster.sh in a temporary folder.
class ThrowAwayCluster {
public:
    // False, with the reason, when no cluster could be started.
    bool start(QString* why) {
        if (!m_dir.isValid()) {
            *why = QStringLiteral("no temporary folder for the cluster");
            return false;
        }
        QProcess p;
        p.start(QStringLiteral("bash"),
                {QStringLiteral(VANTORA_CLUSTER_SCRIPT), QStringLiteral("start"), m_dir.path()});
        const bool finished = p.waitForFinished(180000);
        m_started = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!m_started) {
            *why = QStringLiteral("no PostgreSQL cluster could be started: %1")
                       .arg(p.error() == QProcess::FailedToStart
                                ? p.errorString()
                                : QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
            return false;
        }
        m_superuser = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return true;
    }
    // True when stopped, or never started.
    bool stop() {
        if (!m_started)
            return true;
        QProcess p;
        p.start(QStringLiteral("bash"),
                {QStringLiteral(VANTORA_CLUSTER_SCRIPT), QStringLiteral("stop"), m_dir.path()});
        m_started = false;
        return p.waitForFinished(120000) && p.exitCode() == 0;
    }
    // Runs cluster.sh's `verb` on the started cluster: "stop" (fast), "kill" (immediate) or
    // "restart" (after either); true when it did.
    bool control(const QString& verb) {
        QProcess p;
        p.start(QStringLiteral("bash"),
                {QStringLiteral(VANTORA_CLUSTER_SCRIPT), verb, m_dir.path()});
        return m_started && p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    // The folder of the cluster and its socket.
    QString path() const { return m_dir.path(); }
    // The superuser's connection string: host=... port=... user=...
    QString superuser() const { return m_superuser; }

private:
    QTemporaryDir m_dir;
    QString m_superuser;
    bool m_started = false;
};

// Starts `cluster` in a test function; without one the test fails when VANTORA_REQUIRE_SERVER=1
// and is skipped otherwise.
#define START_CLUSTER_OR_SKIP(cluster)                                                             \
    do {                                                                                           \
        QString why;                                                                               \
        if (!(cluster).start(&why)) {                                                              \
            if (qEnvironmentVariable("VANTORA_REQUIRE_SERVER") == QLatin1String("1"))              \
                QFAIL(qPrintable(why));                                                            \
            QSKIP(qPrintable(why +                                                                 \
                             QStringLiteral(" (VANTORA_REQUIRE_SERVER=1 makes this a failure)"))); \
        }                                                                                          \
    } while (false)
