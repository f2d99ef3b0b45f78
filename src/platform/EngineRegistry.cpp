#include "EngineRegistry.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

const QString organisation = QStringLiteral("Kalmor");
const QString engineKey = QStringLiteral("Vantora-Engine");
const QString versionValue = QStringLiteral("Engine-Version");

// An INI line "Engine-Version=1,00" reads back as a list; the registry would hold the
// text as written, so the parts are joined again.
QString versionText(const QVariant& value) {
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

#ifdef Q_OS_WIN
const QString machineKey = QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Kalmor");
#else
// True when the settings file could be written without creating anything to find out:
// the file itself, or the nearest folder above it that exists, is writable.
bool couldWrite(const QString& fileName) {
    QFileInfo info(fileName);
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath())
            return false;
        info.setFile(parent);
    }
    return info.isWritable();
}

bool writeVersion(QSettings& settings, const QString& version) {
    settings.setValue(versionValue, version);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
#endif

} // namespace

QString EngineRegistry::engineVersion() const {
#ifdef Q_OS_WIN
    const QSettings registry(machineKey, QSettings::NativeFormat);
    const QVariant value = registry.value(engineKey + u'/' + versionValue);
#else
    // User scope falls back to the system scope by itself.
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, organisation, engineKey);
    const QVariant value = settings.value(versionValue);
#endif
    return value.isValid() ? versionText(value) : defaultVersion();
}

bool EngineRegistry::recordEngineVersion(const QString& version, QString* where) {
#ifdef Q_OS_WIN
    QSettings registry(machineKey, QSettings::NativeFormat);
    registry.setValue(engineKey + u'/' + versionValue, version);
    registry.sync();
    if (where)
        *where = machineKey + u'\\' + engineKey;
    return registry.status() == QSettings::NoError;
#else
    QSettings user(QSettings::IniFormat, QSettings::UserScope, organisation, engineKey);
    QString written;
    if (::geteuid() == 0) {
        // QSettings::isWritable() would create the folder in the system location just by
        // being asked, so the check looks at the file system without touching it.
        QSettings system(QSettings::IniFormat, QSettings::SystemScope, organisation, engineKey);
        if (couldWrite(system.fileName()) && writeVersion(system, version))
            written = system.fileName();
    }
    // The user's entry takes precedence when read, so an older one of its own must not
    // hide the system-wide record just written.
    const bool userHasOwn = QSettings(user.fileName(), QSettings::IniFormat).contains(versionValue);
    if (written.isEmpty() || userHasOwn) {
        if (!writeVersion(user, version))
            return false;
        if (written.isEmpty())
            written = user.fileName();
    }
    if (where)
        *where = written;
    return true;
#endif
}
