#pragma once

#include <QString>

// The file-system operations of the start-up. Each reports failure by its result only;
// the caller is free to ignore it.
namespace FileOps {

// Creates the folder `path`, one level only (its parent must exist).
bool makeDir(const QString& path);

// Clears what keeps the file from being overwritten: makes it writable for its owner.
bool clearAttributes(const QString& path);

// Copies `src` onto `dst`, replacing an existing `dst`. A missing source leaves `dst` alone.
bool copyOverwrite(const QString& src, const QString& dst);

// The system's folder for temporary files, as a full path.
QString tempFolder();

// The process's current directory, as a full path, and setting it.
QString currentDir();
bool setCurrentDir(const QString& path);

} // namespace FileOps
