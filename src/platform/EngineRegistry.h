#pragma once

#include <QString>

// The database engine's installation record: the string value "Engine-Version" of the
// key "Vantora-Engine" below HKEY_LOCAL_MACHINE "Software\Kalmor".
//
// On Windows this is the registry itself, opened for reading only. Elsewhere an INI file
// stands in for it, "Kalmor/Vantora-Engine.ini" with the value at top level, looked up
// first in the user's configuration folder ($XDG_CONFIG_HOME, ~/.config) and then in the
// system's ($XDG_CONFIG_DIRS, /etc/xdg), so an installation without root rights works too.
class EngineRegistry {
public:
    virtual ~EngineRegistry() = default;

    // The recorded version text, "0.00" when the key or the value is missing.
    virtual QString engineVersion() const;

    // Records `version` as the installed engine's version, as the engine's installer does.
    // Writes the system-wide entry when running with the rights for it, else the user's.
    // `where` receives the registry key or the file written. Returns false on failure.
    static bool recordEngineVersion(const QString& version, QString* where = nullptr);

    static QString defaultVersion() { return QStringLiteral("0.00"); }
};
