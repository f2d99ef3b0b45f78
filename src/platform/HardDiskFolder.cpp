#include "HardDiskFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace HardDiskFolder {

QStringList levels(const QString& base) {
#ifdef Q_OS_WIN
    QString root = base.isEmpty() ? QStringLiteral("C:") : base;
#else
    QString root = base.isEmpty()
                       ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                       : base;
#endif
    root = QDir::toNativeSeparators(root);
    if (root.endsWith(QDir::separator()))
        root.chop(1);
    const QString sep = QDir::separator();
    const QString kalmor = root + sep + QStringLiteral("KALMOR");
    const QString vantora = kalmor + sep + QStringLiteral("VANTORA");
    return {kalmor, vantora, vantora + sep + QStringLiteral("DATA")};
}

QString dataDir(const QString& base) { return levels(base).constLast(); }

bool makeBase(const QString& base) {
    const QString first = levels(base).constFirst();
    return QDir().mkpath(QFileInfo(first).absolutePath());
}

} // namespace HardDiskFolder
