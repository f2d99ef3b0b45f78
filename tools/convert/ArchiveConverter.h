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

} // namespace ArchiveConverter
