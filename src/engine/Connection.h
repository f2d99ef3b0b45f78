#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>

class RankTable;
class ColumnStore;

struct sqlite3;

// One open table file: an SQLite database holding exactly one table named after the
// file without its extension. Shared by the Query and the Table that work on the file.
class Connection {
public:
    struct Field {
        QString name; // as stored, e.g. "Rubrik"
        bool integer = false;
    };

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens (or reuses) the table file at `path`. The file name is matched without
    // regard to case, and "\" counts as a folder separator. Throws EngineError.
    static std::shared_ptr<Connection> open(const QString& path);

    // Resolves a table path as open() does, without opening it; empty when missing.
    static QString resolvePath(const QString& path);

    sqlite3* handle() const { return m_db; }
    QString filePath() const { return m_path; }
    QString tableName() const { return m_table; }
    const QList<Field>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const; // case-insensitive, -1 when missing
    bool readOnly() const { return m_readOnly; }
    // The file is a Paradox table, read through a copy and never written.
    bool isParadox() const { return m_paradox; }

    // The sort ranks of a field's values, built once and rebuilt after the table changed
    // (through this connection or any other). Throws EngineError.
    std::shared_ptr<const RankTable> ranks(int field);

    // The texts of a field for every row, kept like the ranks.
    std::shared_ptr<const ColumnStore> column(int field);

    // Runs a statement without result; throws EngineError with SQLite's message.
    void exec(const char* sql);
    [[noreturn]] void raise(const QString& context) const;

private:
    Connection() = default;
    void load();

    sqlite3* m_db = nullptr;
    QString m_path;
    QString m_table;
    QList<Field> m_fields;
    bool m_readOnly = false;
    bool m_paradox = false;
    struct CachedRanks {
        std::shared_ptr<const RankTable> table;
        qint64 stamp = -1;
    };
    QHash<int, CachedRanks> m_ranks;
    struct CachedColumn {
        std::shared_ptr<const ColumnStore> store;
        qint64 stamp = -1;
    };
    QHash<int, CachedColumn> m_columns;
    qint64 denseLimit(); // the highest row id when ids are dense, else -1
    qint64 changeStamp();
};
