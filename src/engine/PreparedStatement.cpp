#include "PreparedStatement.h"

#include <sqlite3.h>
#include <utility>

PreparedStatement::PreparedStatement(sqlite3* db, const char* sql) {
    // On failure SQLite leaves the pointer null, so nothing is held.
    sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
}

PreparedStatement::PreparedStatement(sqlite3* db, const QString& sql)
    : PreparedStatement(db, sql.toUtf8().constData()) {}

PreparedStatement::~PreparedStatement() {
    finalize();
}

PreparedStatement::PreparedStatement(PreparedStatement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)) {}

PreparedStatement& PreparedStatement::operator=(PreparedStatement&& other) noexcept {
    if (this != &other) {
        finalize();
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

int PreparedStatement::finalize() {
    return sqlite3_finalize(std::exchange(m_stmt, nullptr));
}
