#pragma once

#include "TableSchema.h"

#include <QString>

#include <initializer_list>
#include <optional>
#include <string>

// One field value of a row: a text, or a whole number that may be empty (NULL).
struct FieldValue {
    FieldValue(const std::string& t) : text(&t) {}
    FieldValue(std::optional<int> n) : number(n) {}
    FieldValue(int n) : number(n) {}

    const std::string* text = nullptr;
    std::optional<int> number;
};

// Writes one table file. The rows go into a temporary file beside the target inside a single
// transaction; finish() puts it in place by a rename, so an interrupted run never leaves a
// half-written table under the target's name. All failures throw WriteError.
class TableFile {
public:
    TableFile(const QString& dir, const TableSpec& spec);
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    void insert(std::initializer_list<FieldValue> fields);
    void finish();

private:
    void open();
    [[noreturn]] void fail(const std::string& what) const;
    void exec(const char* sql);
    void close();

    const TableSpec& m_spec;
    QString m_targetPath;
    QString m_tempPath;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    bool m_finished = false;
};
