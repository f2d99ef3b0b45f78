#pragma once

#include <QString>
#include <QStringList>

// The floor: a statement as the program composes it, run through SQLite directly with the
// same functions and collation, stepping every row once.
namespace BareEngine {

// The program's statement in SQLite's dialect (constants single-quoted, the table by name,
// the collation on ORDER BY), without any of the engine's own shortcuts.
QString sqliteText(const QString& statement, const QString& tableName);

// Milliseconds to step every row; `readFields` also reads the named fields' texts.
double stepAll(const QString& file, const QString& sql, const QStringList& readFields = {});

} // namespace BareEngine
