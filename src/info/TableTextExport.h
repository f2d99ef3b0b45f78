#pragma once

#include <QString>

class ExchangeProgress;

class Table;

// Writes every record of an open table, in stored order, as the tab-separated export file.
namespace TableTextExport {

// Moves the table to its first record (posting a pending change), writes the file at
// `path` and moves to the first record again. The text is Windows-1252 when every field
// fits, else the whole file is UTF-8 with a byte-order mark. The file is written beside
// the target and renamed over it, so a failed export leaves an older file whole.
// Returns the reason when the file could not be written, else the empty text.
// Throws EngineError when the table cannot be read. `progress` hears of every record; when
// it asks to stop, nothing is written and the older file stays as it was.
QString write(Table& table, const QString& path, ExchangeProgress* progress = nullptr);

} // namespace TableTextExport
