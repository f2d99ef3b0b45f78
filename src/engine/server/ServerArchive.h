#pragma once

#include <QString>
#include <QStringList>
#include <functional>

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

// The channel on which the converter's trigger announces a changed table by its name, when the
// change commits; a plain name, written into statements as it is.
inline const QString kChangesChannel = QStringLiteral("vantora_changes");

// Connects to `conninfo`, reads the tables named by `fileNames` (e.g. "GameData.DB"; the table
// is the name without extension) and returns the folder that holds their mirrors. The folder
// is the server's own in the user's cache folder, kept for later runs, which take a mirror
// again while the server's change counter and the file prove it unchanged; when that folder
// cannot be used (or another copy of the program uses it), a private folder under
// $XDG_RUNTIME_DIR (or the cache folder), mode 0700, until the program ends.
// Throws EngineError (ServerError) naming the server when that fails.
//
// With `firstStatements` (which gives, for the folder, the statements a first showing runs)
// and an event loop, open() returns as soon as it knows that a table has to be read whole:
// each such statement's first rows are read from the server in the snapshot its table is being
// copied from (EarlyResults), the copies begin once they are in, and whoever opens a file still
// being written waits for it. Then opening() holds until the event loop hears that every table
// is read, and whenOpened's handler is called.
using FirstStatements = std::function<QStringList(const QString& folder)>;
QString open(const QString& conninfo, const QStringList& fileNames,
             const FirstStatements& firstStatements = {});
// Whether open() returned before every table was read, and the event loop has not yet heard
// of their end.
bool opening();
// Called on the event loop once every table is read, with the failure of the first that could
// not be read (the program cannot go on then), or an empty text. Results read early are
// offered until it returns.
void whenOpened(std::function<void(const QString& failure)> handler);

// Forgets the mirrors and their folder and closes the connection (for tests).
void close();

// Called with a table's file name (as given to open()) when another program has changed the
// table on the server since its mirror was read. open() starts a listening connection of its
// own (ServerListener) when the program has an event loop (once every table is read, when it
// returned before): the server's announcement of a change, and every (re)connection of the
// listener, make the archive look at the change counters of the tables concerned; the mirror
// itself is read at the next query. The program's own writes are never reported, nor anything
// when the server cannot be asked.
void setChangeHandler(std::function<void(const QString& fileName)> handler);

// Whether the listening connection is in place now.
bool listening();

} // namespace ServerArchive
