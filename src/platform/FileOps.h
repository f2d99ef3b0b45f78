#pragma once

#include <QString>

// The file-system operations of the start-up; failures are reported by the return value only.
namespace FileOps {

bool makeDir(const QString& path);          // one level
bool clearAttributes(const QString& path);  // makes a read-only file writable
bool copyOverwrite(const QString& source, const QString& target);
QString tempFolder();
QString currentDir();
bool setCurrentDir(const QString& path);

} // namespace FileOps
