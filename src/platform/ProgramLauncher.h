#pragma once

#include <QString>

// Starts another program as a process of its own and leaves it running.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // Starts the program named by `relativeFile`, relative to the current directory, with the
    // current directory as its working directory, and returns at once without waiting for it
    // to end. Returns whether it started.
    virtual bool start(const QString& relativeFile);

    // The file that `relativeFile` names below `baseDir` (by default the current directory),
    // empty when there is none. Backslashes
    // separate folders like slashes; outside Windows each part of the name matches without
    // regard to letter case, and a program named "Setup.exe" may also be the file "Setup".
    static QString resolve(const QString& relativeFile, const QString& baseDir = {});
};
