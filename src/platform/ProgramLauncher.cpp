#include "ProgramLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

// Finds one path component in `dir` without regard to case.
QString findEntry(const QDir& dir, const QString& name) {
    if (dir.exists(name))
        return dir.filePath(name);
    for (const QString& e : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(e);
    return {};
}

QString resolveParts(const QStringList& parts) {
    QDir dir = QDir::current();
    QString path;
    for (int i = 0; i < parts.size(); ++i) {
        path = findEntry(dir, parts[i]);
        if (path.isEmpty())
            return {};
        if (i + 1 < parts.size()) {
            if (!QFileInfo(path).isDir())
                return {};
            dir = QDir(path);
        }
    }
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

QString ProgramLauncher::resolve(const QString& relativeFile) {
    QString normal = relativeFile;
    normal.replace(u'\\', u'/');
    QStringList parts = normal.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    QString found = resolveParts(parts);
    if (found.isEmpty() && parts.last().endsWith(QLatin1String(".exe"), Qt::CaseInsensitive)) {
        parts.last().chop(4);
        found = resolveParts(parts);
    }
    return found;
}

bool ProgramLauncher::start(const QString& relativeFile) {
    const QString program = resolve(relativeFile);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(QFileInfo(program).absoluteFilePath(), {}, QDir::currentPath());
}
