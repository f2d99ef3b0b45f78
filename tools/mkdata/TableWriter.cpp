#include "TableWriter.h"

#include <cstdio>
#include <sqlite3.h>

TableWriter::~TableWriter() {
    if (m_insert)
        sqlite3_finalize(m_insert);
    if (m_db) {
        sqlite3_close(m_db);
        std::remove(m_tmp.c_str());
    }
}

std::string TableWriter::begin(const std::string& dir, const std::string& name,
                               const std::string& columns) {
    m_target = dir + "/" + name + ".DB";
    m_tmp = m_target + ".tmp";
    std::remove(m_tmp.c_str());
    if (sqlite3_open(m_tmp.c_str(), &m_db) != SQLITE_OK)
        return "cannot create " + m_tmp;
    int count = 0;
    for (size_t p = 0; p <= columns.size(); ++p) {
        if (p == columns.size() || columns[p] == ',') {
            const size_t start = columns.rfind(',', p == 0 ? 0 : p - 1);
            const std::string col = columns.substr(start == std::string::npos ? 0 : start + 1,
                                                   p - (start == std::string::npos ? 0 : start + 1));
            m_integer.push_back(col.find("INTEGER") != std::string::npos);
            ++count;
        }
    }
    std::string sql = "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; CREATE TABLE \"" + name +
                      "\" (" + columns + "); BEGIN;";
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::string("cannot create the table: ") + sqlite3_errmsg(m_db);
    std::string ins = "INSERT INTO \"" + name + "\" VALUES (";
    for (int i = 0; i < count; ++i)
        ins += i ? ",?" : "?";
    ins += ")";
    if (sqlite3_prepare_v2(m_db, ins.c_str(), -1, &m_insert, nullptr) != SQLITE_OK)
        return std::string("cannot prepare: ") + sqlite3_errmsg(m_db);
    return {};
}

bool TableWriter::row(const std::vector<std::string>& values, const std::vector<bool>& null) {
    for (size_t i = 0; i < values.size(); ++i) {
        const int slot = int(i) + 1;
        if (null[i])
            sqlite3_bind_null(m_insert, slot);
        else if (m_integer[i])
            sqlite3_bind_int64(m_insert, slot, std::stoll(values[i]));
        else
            sqlite3_bind_text(m_insert, slot, values[i].data(), int(values[i].size()),
                              SQLITE_STATIC);
    }
    if (sqlite3_step(m_insert) != SQLITE_DONE) {
        m_error = std::string("cannot write a row: ") + sqlite3_errmsg(m_db);
        return false;
    }
    sqlite3_reset(m_insert);
    return true;
}

std::string TableWriter::finish() {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return std::string("cannot commit: ") + sqlite3_errmsg(m_db);
    if (sqlite3_close(m_db) != SQLITE_OK)
        return "cannot close " + m_tmp;
    m_db = nullptr;
    if (std::rename(m_tmp.c_str(), m_target.c_str()) != 0)
        return "cannot rename " + m_tmp + " to " + m_target;
    return {};
}
