#pragma once

#include <QString>

// Starts a program by a file name relative to the current directory, as a new process that
// inherits the current directory; does not wait for it to end.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;

    // "\" counts as a folder separator, names match without regard to case, and a Windows
    // ".exe" is also found without its extension. Returns whether the program started.
    virtual bool start(const QString& relativeFile);

    // The file start() would run; empty when there is none.
    static QString resolve(const QString& relativeFile);
};
