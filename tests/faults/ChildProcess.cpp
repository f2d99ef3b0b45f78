#include "ChildProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

namespace ChildProcess {

bool start(QProcess& child, const QStringList& arguments, QByteArray& out) {
    // A killed child cannot remove its folders: they go below one of ours, removed with us.
    // Its cache folder is its own too, not the one of a fixture of ours that may be gone.
    static QTemporaryDir childTemp;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), childTemp.path());
    env.remove(QStringLiteral("XDG_CACHE_HOME"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted())
        return false;
    const QDeadlineTimer deadline(240000);
    while (!out.contains("started\n") && child.state() == QProcess::Running &&
           !deadline.hasExpired()) {
        child.waitForReadyRead(1000);
        out += child.readAllStandardOutput();
    }
    return out.contains("started\n");
}

QString rootOf(const QByteArray& out) {
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("root "))
            return QFile::decodeName(line.mid(5));
    return {};
}

void kill(QProcess& child) {
    if (child.state() != QProcess::NotRunning && child.processId() > 0)
        ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();
}

} // namespace ChildProcess
