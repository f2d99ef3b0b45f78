#pragma once

#include <QList>
#include <QString>

// Turns a folder of the archive's table files into SQLite table files of the program's
// schema. Paradox tables are converted with the fields in the archive's order and spelling;
// a table that is already an SQLite file is copied as it is.
namespace ArchiveConverter {

struct TableOutcome {
    enum class Kind { Converted, Copied, Missing, Failed };
    QString fileName; // as written into the output folder, e.g. "GameData.DB"
    Kind kind = Kind::Missing;
    long rows = 0;
    QString error; // for Failed
};

// Converts GameData.DB, CDData.DB and TipsData.DB (names matched without regard to case)
// from `inDir` into `outDir`, which is created when missing. Each output file appears whole
// or not at all. Returns one outcome per table; throws EngineError when the folders
// themselves are unusable (a missing input folder, the output folder being the input).
QList<TableOutcome> convertFolder(const QString& inDir, const QString& outDir);

// The records of the table file `fileName` in `dir`, counted through the engine; this also
// proves that the program can open the file. Throws EngineError when it cannot.
long countRows(const QString& dir, const QString& fileName);

// Moves the finished table file `staged` to `outDir`/`fileName` in one step and removes other
// spellings of that name there. Throws EngineError when the move fails.
void moveIntoPlace(const QString& staged, const QString& outDir, const QString& fileName);

} // namespace ArchiveConverter
