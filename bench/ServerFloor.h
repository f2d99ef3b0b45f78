#pragma once

#include <QString>

// The start-up floor on a server: what a plain libpq client does at the least for the first
// showing, as its own process: the latest issue of each table and every games key in title
// order (case folded, as the folder's floor sorts with COLLATE NOCASE), sorted by the server.
namespace ServerFloor {

// Returns the process's exit code: 0, or 1 when the server refused.
int run(const QString& conninfo);

} // namespace ServerFloor
