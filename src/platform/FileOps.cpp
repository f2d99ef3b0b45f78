#include "FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FileOps {

bool makeDir(const QString& path) {
    return QDir().mkdir(path);
}

bool clearAttributes(const QString& path) {
    if (!QFileInfo::exists(path))
        return false;
    return QFile::setPermissions(path,
                                 QFile::permissions(path) | QFile::WriteOwner | QFile::WriteUser);
}

bool copyOverwrite(const QString& src, const QString& dst) {
    const QFileInfo source(src);
    if (!source.isFile() || source == QFileInfo(dst))
        return false;
    if (QFileInfo::exists(dst) && !QFile::remove(dst))
        return false;
    return QFile::copy(src, dst);
}

QString tempFolder() {
    return QDir::toNativeSeparators(QDir::tempPath());
}

QString currentDir() {
    return QDir::toNativeSeparators(QDir::currentPath());
}

bool setCurrentDir(const QString& path) {
    return QDir::setCurrent(path);
}

} // namespace FileOps
