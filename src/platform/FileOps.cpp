#include "FileOps.h"

#include <QDir>
#include <QFile>

namespace FileOps {

bool makeDir(const QString& path) { return QDir().mkdir(path); }

bool clearAttributes(const QString& path) {
    if (!QFile::exists(path))
        return false;
    return QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner |
                                           QFile::WriteUser | QFile::ReadOwner |
                                           QFile::ReadUser);
}

bool copyOverwrite(const QString& source, const QString& target) {
    if (!QFile::exists(source))
        return false;
    // Copy beside the target first, so a failed copy never destroys the old one.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(source, partial))
        return false;
    QFile::remove(target);
    return QFile::rename(partial, target);
}

QString tempFolder() { return QDir::tempPath(); }
QString currentDir() { return QDir::currentPath(); }
bool setCurrentDir(const QString& path) { return QDir::setCurrent(path); }

} // namespace FileOps
