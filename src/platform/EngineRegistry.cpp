#include "EngineRegistry.h"

#include <QFileInfo>
#include <QSettings>
#include <unistd.h>

namespace {
const QString kOrganization = QStringLiteral("Kalmor");
const QString kApplication = QStringLiteral("Vantora-Engine");
const QString kValue = QStringLiteral("Engine-Version");
const QString kDefault = QStringLiteral("0.00");
} // namespace

QString EngineRegistry::engineVersion() const {
#ifdef Q_OS_WIN
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Kalmor\\Vantora-Engine"),
                  QSettings::NativeFormat);
    return key.value(kValue, kDefault).toString();
#else
    // Each scope is read on its own (no fallbacks), the user's first.
    for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
        QSettings s(QSettings::IniFormat, scope, kOrganization, kApplication);
        s.setFallbacksEnabled(false);
        if (QFileInfo::exists(s.fileName()) && s.contains(kValue))
            return s.value(kValue).toString();
    }
    return kDefault;
#endif
}

bool EngineRegistry::recordEngineVersion(const QString& version, QString* where) {
#ifdef Q_OS_WIN
    QSettings key(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Kalmor\\Vantora-Engine"),
                  QSettings::NativeFormat);
    key.setValue(kValue, version);
    key.sync();
    if (where)
        *where = key.fileName();
    return key.status() == QSettings::NoError;
#else
    // root installs for everyone; anyone else for themselves.
    const QSettings::Scope scope = ::geteuid() == 0 ? QSettings::SystemScope : QSettings::UserScope;
    QSettings s(QSettings::IniFormat, scope, kOrganization, kApplication);
    s.setValue(kValue, version);
    s.sync();
    if (where)
        *where = s.fileName();
    return s.status() == QSettings::NoError;
#endif
}
