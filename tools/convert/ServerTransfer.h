#pragma once

#include "ArchiveConverter.h"
#include "ServerArchive.h"

#include <QList>
#include <QString>

// The archive's three tables loaded onto a database server and written back into table files.
// On the server each table keeps the folder's name, fields, spelling and order, with a hidden
// key column in front that numbers the records in the folder's order.
namespace ServerTransfer {

// The hidden key; no field of the archive is spelt like it.
inline const QString kKeyColumn = ServerArchive::kKeyColumn;

// Loads GameData.DB, CDData.DB and TipsData.DB of `inDir` (SQLite or Paradox tables) into the
// server `conninfo`, one transaction per table. Tables already on the server are replaced only
// when `replace` is set; otherwise nothing is loaded and EngineError says which exist. Returns
// one outcome per table; throws EngineError when the server or the folder is unusable.
QList<ArchiveConverter::TableOutcome> load(const QString& inDir, const QString& conninfo,
                                           bool replace);

// Writes the three tables of the server `conninfo` as SQLite table files into `outDir`
// (created when missing), records in key order, from one snapshot of the server. Each file
// appears whole or not at all. Throws EngineError when the server or the folder is unusable.
QList<ArchiveConverter::TableOutcome> unload(const QString& conninfo, const QString& outDir);

} // namespace ServerTransfer
