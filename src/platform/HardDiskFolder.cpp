#include "HardDiskFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace HardDiskFolder {

namespace {

#ifdef Q_OS_WIN
const QChar separator = u'\\';
#else
const QChar separator = u'/';
#endif

// `base`, or the platform's default, without a trailing separator.
QString rootOf(const QString& base) {
#ifdef Q_OS_WIN
    QString root = base.isEmpty() ? QStringLiteral("C:") : base;
#else
    QString root = base.isEmpty()
                       ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                       : base;
#endif
    while (root.size() > 1 && (root.endsWith(u'/') || root.endsWith(u'\\')))
        root.chop(1);
    return root;
}

} // namespace

QStringList levels(const QString& base) {
    QString root = rootOf(base);
    if (root == separator)
        root.clear();
    QStringList result;
    QString path = root;
    for (const QString& level :
         {QStringLiteral("KALMOR"), QStringLiteral("VANTORA"), QStringLiteral("DATA")}) {
        path += separator + level;
        result << path;
    }
    return result;
}

QString dataDir(const QString& base) {
    return levels(base).constLast();
}

bool makeBase(const QString& base) {
    const QString root = rootOf(base);
#ifdef Q_OS_WIN
    return QDir(root + separator).exists();
#else
    return QDir().mkpath(root);
#endif
}

} // namespace HardDiskFolder
