#pragma once

#include "EarlyResults.h"
#include "ServerTableStore.h"

#include <memory>

class ServerConnection;

// The first rows of a statement over every row of a server's table, read in the snapshot its
// file is being copied from, in the order the engine gives them once the file is written:
// ORDER BY with NULL first, numbers by value and texts by the engine's collation, equal keys
// by ascending key (the file's row id).
namespace ServerEarlyRows {

// Reads them on `server`, a connection of its own outside any transaction; null for a
// statement that is not a SELECT * of every row ordered by fields of the table. Throws
// EngineError.
std::shared_ptr<const EarlyResult> read(ServerConnection& server, const QString& table,
                                        const ServerTableStore::Fresh& fresh,
                                        const QString& statement);

} // namespace ServerEarlyRows
