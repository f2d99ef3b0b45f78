#pragma once

#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Writes one table file: a temporary file filled in one transaction, then renamed over the
// target so a half-written file never replaces a good one.
class TableWriter {
public:
    ~TableWriter();
    // `name` is the table's name; the file is <dir>/<name>.DB. Empty on success.
    std::string begin(const std::string& dir, const std::string& name, const std::string& columns);
    // Integer columns take their text as a number; `null` marks empty values.
    bool row(const std::vector<std::string>& values, const std::vector<bool>& null);
    std::string finish();
    std::string error() const { return m_error; }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    std::string m_tmp, m_target, m_error;
    std::vector<bool> m_integer;
};
