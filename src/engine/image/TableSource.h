#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct sqlite3;

// The table an image is taken from, as its statements name it.
class TableSource {
public:
    TableSource(sqlite3* db, const QString& table, const QStringList& fields,
                const QString& rowIdName)
        : m_db(db), m_table(table), m_fields(fields), m_rowIdName(rowIdName) {}

    sqlite3* db() const { return m_db; }
    int fieldCount() const { return int(m_fields.size()); }
    // Throws EngineError when there is no such field.
    void checkField(int field) const;
    // Throws EngineError with SQLite's message of the failed read.
    [[noreturn]] void cannotRead() const;

    const QString& rowIdName() const { return m_rowIdName; }
    QString table() const;      // quoted for a statement
    QString field(int f) const; // quoted for a statement
    // "SELECT <row id>, <fields…> FROM <table>"
    QString selectWithRowid(const std::vector<int>& fields) const;

private:
    sqlite3* m_db;
    QString m_table;
    QStringList m_fields;
    QString m_rowIdName;
};
