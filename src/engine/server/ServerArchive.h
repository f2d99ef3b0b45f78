#pragma once

#include <QString>
#include <QStringList>

// The archive's tables on a database server, for the program: each table is read into a table
// file of its own (the mirror) in a private folder of the user's, with the server's hidden key
// as the file's row id, and attached to the file as its RecordStore. Views, search, sorts and
// statistics then read the files as they read a folder's; changes go to the server first.
namespace ServerArchive {

// The hidden key column of each table on the server; no field of the archive is spelt like it.
inline const QString kKeyColumn = QStringLiteral("vantora_key");

// The name of the change counter table the converter keeps on the server, one row per table,
// counted up by every statement that changes it.
inline const QString kChangesTable = QStringLiteral("vantora_changes");

// Connects to `conninfo`, reads the tables named by `fileNames` (e.g. "GameData.DB"; the table
// is the name without extension) and returns the folder that holds their mirrors. The folder
// is the server's own in the user's cache folder, kept for later runs, which take a mirror
// again while the server's change counter and the file prove it unchanged; when that folder
// cannot be used (or another copy of the program uses it), a private folder under
// $XDG_RUNTIME_DIR (or the cache folder), mode 0700, until the program ends.
// Throws EngineError (ServerError) naming the server when that fails.
QString open(const QString& conninfo, const QStringList& fileNames);

// Forgets the mirrors and their folder and closes the connection (for tests).
void close();

} // namespace ServerArchive
