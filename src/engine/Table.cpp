#include "Table.h"

#include "Connection.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"

#include <sqlite3.h>

namespace {

// A prepared statement that finalizes itself.
struct Statement {
    sqlite3_stmt* st = nullptr;
    Statement(Connection& c, const QString& sql) {
        if (sqlite3_prepare_v2(c.handle(), sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
            c.raise(QStringLiteral("Invalid statement"));
    }
    ~Statement() { sqlite3_finalize(st); }
};

QString columnText(sqlite3_stmt* st, int c) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(st, c)) : QString();
}

} // namespace

Table::Table() = default;

Table::~Table() {
    try {
        close();
    } catch (...) {
    }
}

void Table::requireClosed() const {
    if (isOpen())
        throw EngineError(QStringLiteral("Cannot perform this operation on an open table"));
}

void Table::requireWritable() const {
    if (m_conn && m_conn->isParadox())
        throw EngineError(QStringLiteral("%1 is a Paradox table and opens read-only; convert the "
                                         "folder with vantora-convert to edit it")
                              .arg(m_name));
    if (m_readOnly || (m_conn && m_conn->readOnly()))
        throw EngineError(QStringLiteral("Table is read only: %1").arg(m_name));
}

void Table::setDatabaseName(const QString& dir) {
    requireClosed();
    m_dir = dir;
}

void Table::setTableName(const QString& name) {
    requireClosed();
    m_name = name;
}

void Table::setReadOnly(bool readOnly) {
    requireClosed();
    m_readOnly = readOnly;
}

void Table::open() {
    if (isOpen())
        return;
    m_conn = Connection::open(m_dir + u'/' + m_name);
    loadRowids();
    m_row = 0;
    m_state = State::Browse;
    m_modified = false;
    m_cachedRow = -1;
}

void Table::loadRowids() {
    std::vector<qint64> ids;
    Statement s(*m_conn, QStringLiteral("SELECT %2 FROM %1 ORDER BY %2")
                             .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()),
                                  m_conn->rowIdName()));
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s.st, 0));
    if (rc != SQLITE_DONE)
        m_conn->raise(QStringLiteral("Cannot read table %1").arg(m_name));
    m_rowids = std::move(ids);
}

void Table::close() {
    if (!isOpen())
        return;
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
    commitBatch();
    m_state = State::Inactive;
    m_rowids.clear();
    m_buffer.clear();
    m_cachedRow = -1;
    m_conn.reset();
}

int Table::fieldCount() const {
    return m_conn ? int(m_conn->fields().size()) : 0;
}

QStringList Table::fieldNames() const {
    QStringList names;
    if (m_conn)
        for (const auto& f : m_conn->fields())
            names << f.name;
    return names;
}

int Table::fieldIndex(const QString& name) const {
    return m_conn ? m_conn->fieldIndex(name) : -1;
}

bool Table::isIntegerField(int field) const {
    return m_conn && field >= 0 && field < fieldCount() && m_conn->fields()[field].integer;
}

void Table::loadRow(int row, QVariantList& out) const {
    out.clear();
    const qint64 id = m_rowids[size_t(row)];
    if (id < 0) {
        for (int i = 0; i < fieldCount(); ++i)
            out.append(QString());
        return;
    }
    Statement s(*m_conn, QStringLiteral("SELECT * FROM %1 WHERE %2=?")
                             .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()),
                                  m_conn->rowIdName()));
    sqlite3_bind_int64(s.st, 1, id);
    const bool found = sqlite3_step(s.st) == SQLITE_ROW;
    for (int i = 0; i < fieldCount(); ++i)
        out.append(found ? columnText(s.st, i) : QString());
}

QString Table::value(int row, int field) const {
    if (!isOpen() || row < 0 || row >= recordCount() || field < 0 || field >= fieldCount())
        return {};
    if (row == m_row && (m_state == State::Edit || m_state == State::Insert))
        return m_buffer.value(field).toString();
    if (m_cachedRow != row) {
        loadRow(row, m_cachedValues);
        m_cachedRow = row;
    }
    return m_cachedValues.value(field).toString();
}

QString Table::fieldText(int field) const {
    return value(m_row, field);
}

QString Table::fieldByName(const QString& name) const {
    const int f = fieldIndex(name);
    if (f < 0)
        throw EngineError(QStringLiteral("Field not found: %1").arg(name));
    return fieldText(f);
}

void Table::edit() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    requireWritable();
    if (eof()) {
        append();
        return;
    }
    loadRow(m_row, m_buffer);
    m_state = State::Edit;
    m_modified = false;
}

void Table::setFieldText(int field, const QString& text) {
    if (field < 0 || field >= fieldCount())
        throw EngineError(QStringLiteral("Field index out of range"));
    edit();
    if (m_buffer[field].toString() != text) {
        m_buffer[field] = text;
        m_modified = true;
    }
}

void Table::setFieldByName(const QString& name, const QString& text) {
    const int f = fieldIndex(name);
    if (f < 0)
        throw EngineError(QStringLiteral("Field not found: %1").arg(name));
    setFieldText(f, text);
}

void Table::append() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    // A refused append leaves the cursor where it was.
    requireWritable();
    moveTo(recordCount());
    m_rowids.push_back(-1);
    m_row = recordCount() - 1;
    m_buffer.clear();
    for (int i = 0; i < fieldCount(); ++i)
        m_buffer.append(QString());
    m_state = State::Insert;
    m_modified = false;
}

void Table::insert() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    requireWritable();
    // The pending record is posted or dropped first, as a move to another row would: the new
    // record must not take its buffer, nor leave an unposted one behind.
    if (m_state == State::Edit || m_state == State::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
    const int pos = qMin(m_row, recordCount());
    m_rowids.insert(m_rowids.begin() + pos, -1);
    m_row = pos;
    m_buffer.clear();
    for (int i = 0; i < fieldCount(); ++i)
        m_buffer.append(QString());
    m_state = State::Insert;
    m_modified = false;
    m_cachedRow = -1;
}

QVariant Table::toStored(int field, const QString& text) const {
    if (!m_conn->fields()[field].integer)
        return text;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant(); // empty text is NULL
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok)
        throw EngineError(QStringLiteral("'%1' is not a valid integer for field %2")
                              .arg(text, m_conn->fields()[field].name));
    return v;
}

void Table::post() {
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    requireWritable();
    QVariantList stored;
    for (int i = 0; i < fieldCount(); ++i)
        stored.append(toStored(i, m_buffer[i].toString()));

    const QString table = LocalSqlTranslator::sqlIdentifier(m_conn->tableName());
    QString sql;
    if (m_state == State::Edit) {
        QStringList sets;
        for (const auto& f : m_conn->fields())
            sets << LocalSqlTranslator::sqlIdentifier(f.name) + QStringLiteral("=?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3=?")
                  .arg(table, sets.join(u','), m_conn->rowIdName());
    } else {
        QStringList names, marks;
        for (const auto& f : m_conn->fields()) {
            names << LocalSqlTranslator::sqlIdentifier(f.name);
            marks << QStringLiteral("?");
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, names.join(u','), marks.join(u','));
    }
    Statement s(*m_conn, sql);
    for (int i = 0; i < stored.size(); ++i) {
        const QVariant& v = stored[i];
        if (v.isNull())
            sqlite3_bind_null(s.st, i + 1);
        else if (v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(s.st, i + 1, v.toLongLong());
        else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(s.st, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    if (m_state == State::Edit)
        sqlite3_bind_int64(s.st, int(stored.size()) + 1, m_rowids[size_t(m_row)]);
    if (sqlite3_step(s.st) != SQLITE_DONE)
        m_conn->raise(QStringLiteral("Cannot store the record"));
    if (m_state == State::Insert)
        m_rowids[size_t(m_row)] = sqlite3_last_insert_rowid(m_conn->handle());
    m_state = State::Browse;
    m_modified = false;
    m_buffer.clear();
    m_cachedRow = -1;
}

void Table::cancel() {
    if (m_state == State::Insert) {
        m_rowids.erase(m_rowids.begin() + m_row);
        if (m_row > recordCount())
            m_row = recordCount();
    }
    if (m_state == State::Edit || m_state == State::Insert)
        m_state = State::Browse;
    m_buffer.clear();
    m_modified = false;
    m_cachedRow = -1;
}

void Table::moveTo(int row) {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    if (m_state == State::Edit || m_state == State::Insert) {
        if (row == m_row)
            return;
        if (m_modified) {
            post();
        } else {
            const bool droppedBefore = m_state == State::Insert && row > m_row;
            cancel();
            if (droppedBefore)
                --row;
        }
    }
    m_row = qBound(0, row, recordCount());
}

void Table::first() {
    if (isOpen() && m_row == 0 && (m_state == State::Edit || m_state == State::Insert)) {
        if (m_modified)
            post();
        else
            cancel();
        return;
    }
    moveTo(0);
}

void Table::deleteCurrent() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (eof())
        return;
    requireWritable();
    if (m_state == State::Edit)
        cancel();
    Statement s(*m_conn, QStringLiteral("DELETE FROM %1 WHERE %2=?")
                             .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()),
                                  m_conn->rowIdName()));
    sqlite3_bind_int64(s.st, 1, m_rowids[size_t(m_row)]);
    if (sqlite3_step(s.st) != SQLITE_DONE)
        m_conn->raise(QStringLiteral("Cannot delete the record"));
    m_rowids.erase(m_rowids.begin() + m_row);
    if (m_row > recordCount())
        m_row = recordCount();
    m_cachedRow = -1;
}

void Table::beginBatch() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Table is not open"));
    requireWritable();
    if (m_batch)
        return;
    m_conn->exec("BEGIN IMMEDIATE");
    m_batch = true;
    m_rowsBeforeBatch = m_rowids.size();
}

void Table::commitBatch() {
    if (!m_batch)
        return;
    m_batch = false;
    sqlite3* db = m_conn->handle();
    QString failure;
    if (sqlite3_get_autocommit(db)) {
        failure = QStringLiteral("The records could not be stored");
    } else if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        failure = QStringLiteral("Cannot store the records: %1")
                      .arg(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (failure.isEmpty())
        return;
    // The transaction is gone: the row list follows the file again. When the file cannot
    // be read back yet (the disk still fails), the records appended in the batch are the
    // ones that went.
    cancel();
    try {
        loadRowids();
    } catch (const EngineError&) {
        m_rowids.resize(qMin(m_rowids.size(), m_rowsBeforeBatch));
    }
    m_row = qBound(0, m_row, recordCount());
    m_cachedRow = -1;
    throw EngineError(failure);
}
