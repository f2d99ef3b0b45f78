#include "TableSchema.h"

#include "WriteError.h"

#include <string>

namespace TableSchema {

// Field names keep the spelling the program relies on: the edit-mode fields with a capital
// initial, the others in capitals.
const TableSpec kGames{"GameData.DB",
                       "GameData",
                       {{{"TITEL", "TEXT"},
                         {"Rubrik", "TEXT"},
                         {"Genre", "TEXT"},
                         {"HERSTELLER", "TEXT"},
                         {"WERTUNG", "INTEGER"},
                         {"Ausgabe", "TEXT"},
                         {"KOMMENTAR", "TEXT"}}},
                       7};
const TableSpec kDisc{
    "CDData.DB",
    "CDData",
    {{{"TITEL", "TEXT"}, {"Ausgabe", "TEXT"}, {"Art", "TEXT"}, {"Medium", "TEXT"}}},
    4};
const TableSpec kTips{
    "TipsData.DB",
    "TipsData",
    {{{"TITEL", "TEXT"}, {"Ausgabe", "TEXT"}, {"Art", "TEXT"}, {"COUNTER", "INTEGER"}}},
    4};

void createTable(sqlite3* db, const TableSpec& spec) {
    std::string sql = "CREATE TABLE \"" + std::string(spec.table) + "\" (";
    bool first = true;
    for (const ColumnSpec& c : spec) {
        if (!first)
            sql += ", ";
        first = false;
        sql += "\"" + std::string(c.name) + "\" " + std::string(c.type);
    }
    sql += ")";
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "unknown error";
        sqlite3_free(message);
        throw WriteError("cannot create table " + std::string(spec.table) + ": " + text);
    }
}

} // namespace TableSchema
