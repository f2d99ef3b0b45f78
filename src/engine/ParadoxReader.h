#pragma once

#include <QString>
#include <QStringList>

// Reads tables in the Paradox format. A Paradox table is never changed: it is copied once
// into an SQLite file of the same fields, which the engine then reads.
namespace ParadoxReader {

// Whether the file starts with a plausible Paradox table header.
bool looksLikeParadox(const QString& path);

// Writes an SQLite file holding one table `tableName` with the Paradox table's fields (or,
// when `fieldOrder` is given, those fields in that order and spelling, matched without
// regard to case). Alpha fields are decoded from the table's code page. Returns the number
// of rows; throws EngineError.
long convertToSqlite(const QString& paradoxPath, const QString& sqlitePath,
                     const QString& tableName, const QStringList& fieldOrder = {});

// The SQLite copy the engine reads for a Paradox table, made on first use and kept in the
// user's cache folder until the table changes. Throws EngineError.
QString cachedCopy(const QString& paradoxPath);

} // namespace ParadoxReader
