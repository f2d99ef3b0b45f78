#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// A prepared SQLite statement that is finalized however its owner's scope is left, so that
// no error path leaves a statement open (an open statement keeps its database from closing).
// Preparing does not throw: the caller decides what a rejected statement means and reads
// SQLite's message from the database handle.
class PreparedStatement {
public:
    PreparedStatement() = default;
    PreparedStatement(sqlite3* db, const char* sql);
    PreparedStatement(sqlite3* db, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(PreparedStatement&& other) noexcept;
    PreparedStatement& operator=(PreparedStatement&& other) noexcept;
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Whether SQLite accepted the statement.
    bool isPrepared() const { return m_stmt != nullptr; }
    explicit operator bool() const { return isPrepared(); }
    sqlite3_stmt* get() const { return m_stmt; }
    operator sqlite3_stmt*() const { return m_stmt; }

    // Finalizes now and returns SQLite's verdict on the statement's last step (a read
    // that failed part-way reports its error here); SQLITE_OK when nothing is held.
    int finalize();

private:
    sqlite3_stmt* m_stmt = nullptr;
};
