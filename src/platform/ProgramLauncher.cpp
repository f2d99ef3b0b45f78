#include "ProgramLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

#ifndef Q_OS_WIN
// The entry of `dir` whose name equals `name` apart from letter case; an exact match wins.
QString findEntry(const QDir& dir, const QString& name) {
    if (dir.exists(name))
        return name;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}
#endif

} // namespace

QString ProgramLauncher::resolve(const QString& relativeFile, const QString& base) {
    const QString baseDir = base.isEmpty() ? QDir::currentPath() : base;
    QString path = relativeFile;
    path.replace(u'\\', u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
#ifdef Q_OS_WIN
    const QFileInfo file(QDir(baseDir).filePath(parts.join(u'/')));
    return file.isFile() ? file.absoluteFilePath() : QString();
#else
    QDir dir(baseDir);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const QString entry = findEntry(dir, parts[i]);
        if (entry.isEmpty() || !dir.cd(entry))
            return {};
    }
    QStringList candidates{parts.last()};
    const QString exe = QStringLiteral(".exe");
    if (parts.last().endsWith(exe, Qt::CaseInsensitive))
        candidates << parts.last().chopped(exe.size());
    // A disc may carry the Windows program beside ours: a file this system can run wins.
    QString fallback;
    for (const QString& candidate : candidates) {
        const QString entry = findEntry(dir, candidate);
        const QFileInfo file(dir.absoluteFilePath(entry));
        if (entry.isEmpty() || !file.isFile())
            continue;
        if (file.isExecutable())
            return file.absoluteFilePath();
        if (fallback.isEmpty())
            fallback = file.absoluteFilePath();
    }
    return fallback;
#endif
}

bool ProgramLauncher::start(const QString& relativeFile) {
    const QString workingDir = QDir::currentPath();
    const QString program = resolve(relativeFile, workingDir);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {}, workingDir);
}
