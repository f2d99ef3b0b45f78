#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Writes Paradox tables of the archive's three schemas through pxlib, laid out as the
// archive's original table files: alpha fields in the table's code page, ratings and
// counters as short integers, an empty field as the format's null value.
namespace ParadoxFixture {

enum class Schema { Games, Disc, Tips };

// How WERTUNG and COUNTER are stored: short or long integers, or Paradox numbers (doubles).
enum class NumberType { Short, Long, Number };

// "GameData.DB", "CDData.DB", "TipsData.DB".
QString fileName(Schema schema);
// The table name inside the SQLite counterpart: "GameData", ...
QString tableName(Schema schema);
// The SQLite column list of the counterpart, for TestSupport::makeTable.
QString sqliteSchema(Schema schema);

// Writes `rows` (texts in field order; "" or "\\N" for an empty field) as a Paradox table
// with alpha fields encoded in `codePage` (1252, 850 or 437). Returns an empty text on
// success, else what went wrong (a text the code page cannot hold, a value too long).
QString writeTable(const QString& path, Schema schema, const QList<QStringList>& rows,
                   int codePage = 1252, NumberType numbers = NumberType::Short);

} // namespace ParadoxFixture
