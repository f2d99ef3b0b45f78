#pragma once

#include <QString>

// The hard-disk mode's copy of one table file. The copy is written beside the target and
// takes the target's name only when complete: first the new file, then the target's
// stale journal, WAL and shared-memory files go, then the rename. A crash between any two
// steps leaves either the old copy or the complete new one, never a journal of an earlier
// session beside a fresh copy.
namespace TableCopy {

// The files SQLite keeps beside a table while writing it.
inline const char* const kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

// Copies `source` to `target`. An SQLite table is copied as a consistent snapshot through
// SQLite's online backup, in steps that let a program writing the source go on; any
// other file (a Paradox table) as a file. The new copy is writable by its owner. Returns
// false, leaving the target as it was, when the copy could not be made.
bool copyTable(const QString& source, const QString& target);

} // namespace TableCopy
