#pragma once

#include <QString>

class ExchangeProgress;
class Table;

// Writes every record of an open table, in stored order, as the tab-separated export file.
namespace TableTextExport {

// Moves the table to its first record (posting a pending change), writes the file at
// `path` from one snapshot of the table (a mirrored table brought up to date with its server
// first) and moves to the first record again. The text is Windows-1252 when every field
// fits, else the whole file is UTF-8 with a byte-order mark. The file is written beside
// the target and renamed over it only when every byte of it was written, so a failed or
// short write, a row that cannot be read, or a table that failed its check when it was
// opened for writing leaves an older file byte for byte as it was.
// Returns the reason (the file's or the engine's) when it failed, else the empty text.
// Throws EngineError only when the pending record cannot be stored first. `progress` hears of
// every record; when it asks to stop, nothing is written and the older file stays as it was.
QString write(Table& table, const QString& path, ExchangeProgress* progress = nullptr);

} // namespace TableTextExport
