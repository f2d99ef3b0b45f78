#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Fixtures shared by the test programs.
namespace TestSupport {

// Runs the sample-archive generator into `dir` with a fixed seed and small counts.
// Returns false (and fails the test) when the generator did not succeed.
bool makeArchive(const QString& dir, int games = 40, int disc = 60, int tips = 30, int seed = 7);

// The column lists of the archive's three tables, in stored order, for makeTable().
inline const QString kGamesSchema =
    QStringLiteral("TITEL TEXT, Rubrik TEXT, Genre TEXT, HERSTELLER TEXT, WERTUNG INTEGER, "
                   "Ausgabe TEXT, KOMMENTAR TEXT");
inline const QString kDiscSchema =
    QStringLiteral("TITEL TEXT, Ausgabe TEXT, Art TEXT, Medium TEXT");
inline const QString kTipsSchema =
    QStringLiteral("TITEL TEXT, Ausgabe TEXT, Art TEXT, COUNTER INTEGER");

// Rows of a table as texts, one list of field texts a row ("\\N" for NULL).
using Rows = QList<QStringList>;

// Rows with their fields joined by "|", as readTable() returns them.
QStringList joined(const Rows& rows);

// Creates a table file with the given schema and rows (texts; "\\N" for NULL).
// `schema` is the column list, e.g. "TITEL TEXT, WERTUNG INTEGER".
void makeTable(const QString& path, const QString& table, const QString& schema,
               const QList<QStringList>& rows);

// Writes the archive's three tables (GameData.DB, CDData.DB, TipsData.DB) into `dataDir`.
void makeTables(const QString& dataDir, const Rows& games, const Rows& disc, const Rows& tips);

// Reads every row of a table file through a connection of its own, fields joined by "|".
QStringList readTable(const QString& path, const QString& table);

// Points the program's stand-ins (settings, per-user data, runtime dir) at `root`.
void isolateEnvironment(const QString& root);

} // namespace TestSupport
