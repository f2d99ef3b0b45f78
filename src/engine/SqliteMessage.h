#pragma once

#include <QString>

struct sqlite3;

// What SQLite reports, said in German for the program's boxes: a sentence for the result
// code, followed by SQLite's own English text in brackets for whoever supports the user.
namespace SqliteMessage {

// `resultCode` may be an extended code; `english` is SQLite's text for it (empty: the
// library's standard text for the code).
QString text(int resultCode, const char* english = nullptr);

// The last failure on `db` (nullptr: nothing can be said beyond the code of a failed open).
QString lastError(sqlite3* db);

} // namespace SqliteMessage
