#pragma once

#include <QString>

// Reads the database engine's version as its installer recorded it: HKLM
// "Software\Kalmor", subkey "Vantora-Engine", string value "Engine-Version". On Linux an INI
// file stands in for the registry: the system scope, with the user scope taking precedence
// so that a user without root can install the engine.
class EngineRegistry {
public:
    virtual ~EngineRegistry() = default;

    // "0.00" when the key or the value is missing.
    virtual QString engineVersion() const;

    // Records a version as the installer does; `where` receives the file or key written.
    static bool recordEngineVersion(const QString& version, QString* where = nullptr);
};
