#pragma once

#include <sqlite3.h>

#include <array>
#include <string_view>

struct ColumnSpec {
    std::string_view name;
    std::string_view type; // "TEXT" or "INTEGER"
};

// One table file of the archive: the file holds exactly one table named after it.
struct TableSpec {
    std::string_view fileName;
    std::string_view table;
    std::array<ColumnSpec, 7> columnStore;
    int columnCount;

    const ColumnSpec* begin() const { return columnStore.data(); }
    const ColumnSpec* end() const { return columnStore.data() + columnCount; }
};

namespace TableSchema {

extern const TableSpec kGames;
extern const TableSpec kDisc;
extern const TableSpec kTips;

// Creates the table of `spec` in the empty database `db`. Everything the file holds besides its
// rows is defined here. Throws WriteError.
void createTable(sqlite3* db, const TableSpec& spec);

} // namespace TableSchema
