#pragma once

#include <QString>

// What a test looks at in a table file after a fault.
namespace TableChecks {

// The result of PRAGMA integrity_check, lines joined by "\n" ("ok" for a sound file). The
// file is opened for writing, as the program's next start would, so that SQLite rolls back
// a transaction a crash left in the journal first.
QString integrityAfterReopen(const QString& path);

// True when a rollback journal lies beside the file, written to or not.
bool hasJournal(const QString& path);

// True when the journal beside the file holds a transaction that had begun to reach the
// file: SQLite marks the journal's header only once the journal is synced, right before
// it writes into the table file, and rolls such a journal back at the next opening.
bool hasHotJournal(const QString& path);

} // namespace TableChecks
