#include "Table.h"

#include "Connection.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "RecordConflict.h"
#include "RecordStore.h"
#include "SqliteMessage.h"
#include "TableFileCheck.h"

#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace {

// A statement on the table's file; one SQLite rejects is an engine error.
PreparedStatement prepared(Connection& c, const QString& sql) {
    PreparedStatement st(c.handle(), sql);
    if (!st)
        c.raise(QStringLiteral("Ungültige Anweisung"));
    return st;
}

void bindStored(sqlite3_stmt* st, int index, const Table::StoredValue& v) {
    switch (v.type) {
    case SQLITE_INTEGER:
        sqlite3_bind_int64(st, index, v.integer);
        break;
    case SQLITE_FLOAT:
        sqlite3_bind_double(st, index, v.real);
        break;
    case SQLITE_TEXT:
        sqlite3_bind_text(st, index, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT);
        break;
    case SQLITE_BLOB:
        sqlite3_bind_blob(st, index, v.bytes.constData(), int(v.bytes.size()), SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(st, index);
    }
}

Table::StoredValue storedValue(sqlite3_stmt* st, int c) {
    Table::StoredValue v;
    v.type = sqlite3_column_type(st, c);
    if (v.type == SQLITE_INTEGER)
        v.integer = sqlite3_column_int64(st, c);
    else if (v.type == SQLITE_FLOAT)
        v.real = sqlite3_column_double(st, c);
    else if (v.type == SQLITE_TEXT || v.type == SQLITE_BLOB) {
        const void* p = v.type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(st, c))
                                              : sqlite3_column_blob(st, c);
        v.bytes = QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(st, c));
    }
    return v;
}

// The text the grid shows for a stored value, as SQLite converts it.
QString storedText(const Table::StoredValue& v) {
    switch (v.type) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QString::number(v.integer);
    case SQLITE_FLOAT: {
        char* t = sqlite3_mprintf("%!.15g", v.real);
        const QString text = QString::fromUtf8(t);
        sqlite3_free(t);
        return text;
    }
    default:
        return QString::fromUtf8(v.bytes);
    }
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
        throw EngineError(
            QStringLiteral("Diese Operation ist bei einer geöffneten Tabelle nicht möglich"));
}

void Table::requireWritable() const {
    if (m_conn && m_conn->isParadox())
        throw EngineError(
            QStringLiteral("%1 ist eine Paradox-Tabelle und wird nur zum Lesen geöffnet; "
                           "wandeln Sie den Ordner mit vantora-convert um, um "
                           "sie zu bearbeiten")
                .arg(m_name));
    if (m_store && !m_store->writable())
        throw EngineError(m_store->readOnlyMessage());
    if (m_readOnly || (m_conn && m_conn->readOnly()))
        throw EngineError(QStringLiteral("Die Tabelle ist schreibgeschützt: %1").arg(m_name));
    if (m_damaged)
        throw EngineError(damagedMessage());
}

QString Table::damagedMessage() const {
    return QStringLiteral("Die Tabelle %1 ist beschädigt und wird nur zum Lesen geöffnet.")
        .arg(m_conn ? QFileInfo(m_conn->filePath()).fileName() : m_name);
}

bool Table::canModify() const {
    return isOpen() && !m_readOnly && !m_damaged && m_conn && !m_conn->readOnly() &&
           !m_conn->isParadox() && !(m_store && !m_store->writable());
}

QString Table::rowIdName() const {
    return m_conn ? m_conn->rowIdName() : QStringLiteral("rowid");
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
    m_store = RecordStore::of(m_conn->filePath());
    // A mirror of a server's table takes in other programs' changes first, as a query does.
    if (m_store)
        m_store->refresh();
    // Writing into a damaged file spreads the damage: such a file is only read.
    m_damaged = !m_readOnly && !m_conn->readOnly() && !m_conn->isParadox() &&
                !TableFileCheck::passes(*m_conn);
    loadRowids();
    m_row = 0;
    m_state = State::Browse;
    m_modified = false;
    m_cachedRow = -1;
}

bool Table::refresh() {
    if (m_state != State::Browse || m_batch)
        return false;
    if (m_store)
        m_store->refresh();
    const qint64 current = m_row < recordCount() ? m_rowids[size_t(m_row)] : -1;
    loadRowids();
    m_cachedRow = -1;
    const auto found = std::lower_bound(m_rowids.begin(), m_rowids.end(), current);
    m_row = found != m_rowids.end() && *found == current ? int(found - m_rowids.begin())
                                                         : qMin(m_row, qMax(0, recordCount() - 1));
    return true;
}

void Table::loadRowids() {
    std::vector<qint64> ids;
    const PreparedStatement s = prepared(
        *m_conn, QStringLiteral("SELECT %2 FROM %1 ORDER BY %2")
                     .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()), rowIdName()));
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        ids.push_back(sqlite3_column_int64(s, 0));
    if (rc != SQLITE_DONE)
        m_conn->raise(QStringLiteral("Die Tabelle %1 kann nicht gelesen werden").arg(m_name));
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
    endSnapshot();
    m_state = State::Inactive;
    m_damaged = false;
    m_shownRowid = -1;
    m_rowids.clear();
    m_buffer.clear();
    m_cachedRow = -1;
    m_conn.reset();
    m_store.reset();
}

int Table::fieldCount() const {
    return m_conn ? int(m_conn->fields().size()) : 0;
}

QStringList Table::fieldNames() const {
    return m_conn ? m_conn->fieldNames() : QStringList();
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
    const PreparedStatement s = prepared(
        *m_conn, QStringLiteral("SELECT * FROM %1 WHERE %2=?")
                     .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()), rowIdName()));
    sqlite3_bind_int64(s, 1, id);
    const bool found = sqlite3_step(s) == SQLITE_ROW;
    m_cachedStored.clear();
    for (int i = 0; i < fieldCount(); ++i) {
        if (found)
            m_cachedStored.push_back(storedValue(s, i));
        out.append(found ? storedText(m_cachedStored.back()) : QString());
    }
}

bool Table::readStored(qint64 rowid, StoredRecord& out) const {
    out.clear();
    const PreparedStatement s = prepared(
        *m_conn, QStringLiteral("SELECT * FROM %1 WHERE %2=?")
                     .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()), rowIdName()));
    sqlite3_bind_int64(s, 1, rowid);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        m_conn->raise(QStringLiteral("Ein Datensatz von %1 kann nicht gelesen werden").arg(m_name));
    for (int i = 0; i < fieldCount(); ++i)
        out.push_back(storedValue(s, i));
    return true;
}

QStringList Table::readCurrent() const {
    if (!isOpen() || eof())
        throw EngineError(QStringLiteral("Kein aktueller Datensatz"));
    const qint64 id = m_rowids[size_t(m_row)];
    StoredRecord stored;
    if (id < 0 || !readStored(id, stored))
        throw EngineError(QStringLiteral("Der Datensatz %1 von %2 existiert nicht mehr")
                              .arg(m_row + 1)
                              .arg(m_name));
    QStringList texts;
    for (const StoredValue& v : stored)
        texts << storedText(v);
    return texts;
}

QString Table::sameRecordCondition() const {
    QString condition = rowIdName() + QStringLiteral("=?");
    for (const auto& f : m_conn->fields())
        condition += QStringLiteral(" AND ") + LocalSqlTranslator::sqlIdentifier(f.name) +
                     QStringLiteral(" IS ?");
    return condition;
}

void Table::bindSameRecord(sqlite3_stmt* st, int first, qint64 rowid,
                           const StoredRecord& values) const {
    sqlite3_bind_int64(st, first, rowid);
    for (size_t i = 0; i < values.size(); ++i)
        bindStored(st, first + 1 + int(i), values[i]);
}

void Table::refuse(qint64 rowid) const {
    StoredRecord now;
    throw RecordConflict(readStored(rowid, now) ? RecordConflict::Kind::Changed
                                                : RecordConflict::Kind::Deleted);
}

QList<QByteArray> Table::storeValues(const StoredRecord& record) {
    QList<QByteArray> values;
    for (const StoredValue& v : record) {
        if (v.type == SQLITE_NULL)
            values << QByteArray();
        else if (v.type == SQLITE_INTEGER)
            values << QByteArray::number(v.integer);
        else if (v.type == SQLITE_FLOAT)
            values << storedText(v).toUtf8();
        else
            values << (v.bytes.isNull() ? QByteArray("") : v.bytes);
    }
    return values;
}

QList<QByteArray> Table::storeValues(const QVariantList& record) {
    QList<QByteArray> values;
    for (const QVariant& v : record) {
        if (v.isNull())
            values << QByteArray();
        else if (v.typeId() == QMetaType::LongLong)
            values << QByteArray::number(v.toLongLong());
        else if (const QByteArray text = v.toString().toUtf8(); text.isEmpty())
            values << QByteArray(""); // an empty text, which is not NULL
        else
            values << text;
    }
    return values;
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
        throw EngineError(QStringLiteral("Feld nicht gefunden: %1").arg(name));
    return fieldText(f);
}

void Table::edit() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    requireWritable();
    if (eof()) {
        append();
        return;
    }
    // What was read now is what the post requires of the stored record.
    try {
        m_readGone = !readStored(m_rowids[size_t(m_row)], m_read);
    } catch (const EngineError&) {
        // Another program holds the file locked: the record as last shown stands in, and
        // the post checks against it as well.
        if (m_cachedRow != m_row || m_cachedStored.empty())
            throw;
        m_read = m_cachedStored;
        m_readGone = false;
    }
    m_buffer.clear();
    for (int i = 0; i < fieldCount(); ++i)
        m_buffer.append(m_readGone ? QString() : storedText(m_read[size_t(i)]));
    m_gone = false;
    m_state = State::Edit;
    m_modified = false;
}

void Table::setFieldText(int field, const QString& text) {
    if (field < 0 || field >= fieldCount())
        throw EngineError(QStringLiteral("Feldnummer außerhalb des gültigen Bereichs"));
    edit();
    if (m_buffer[field].toString() != text) {
        m_buffer[field] = text;
        m_modified = true;
    }
}

void Table::setFieldByName(const QString& name, const QString& text) {
    const int f = fieldIndex(name);
    if (f < 0)
        throw EngineError(QStringLiteral("Feld nicht gefunden: %1").arg(name));
    setFieldText(f, text);
}

void Table::append() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
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
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
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

    if (m_state == State::Edit && m_readGone)
        throw RecordConflict(RecordConflict::Kind::Deleted);
    // The server takes the change first; the file follows it.
    qint64 key = -1;
    if (m_store) {
        const RecordStore::Outcome outcome =
            m_state == State::Edit
                ? m_store->update(m_rowids[size_t(m_row)], storeValues(stored), storeValues(m_read))
                : m_store->insert(storeValues(stored), key);
        if (outcome == RecordStore::Outcome::NoMatch) {
            try {
                refuse(m_rowids[size_t(m_row)]);
            } catch (const RecordConflict& c) {
                m_gone = c.kind() == RecordConflict::Kind::Deleted;
                throw;
            }
        }
        // A batch's new record goes into the file with the batch, under the key it gets then.
        if (outcome == RecordStore::Outcome::WrittenAnew ||
            outcome == RecordStore::Outcome::Pending) {
            if (m_state == State::Insert)
                m_rowids[size_t(m_row)] = key;
            m_state = State::Browse;
            m_modified = false;
            m_buffer.clear();
            m_cachedRow = -1;
            return;
        }
    }

    const QString table = LocalSqlTranslator::sqlIdentifier(m_conn->tableName());
    QString sql;
    // A mirrored record keeps the server's key as its row id.
    const int keyed = m_store && m_state == State::Insert ? 1 : 0;
    if (m_state == State::Edit) {
        QStringList sets;
        for (const auto& f : m_conn->fields())
            sets << LocalSqlTranslator::sqlIdentifier(f.name) + QStringLiteral("=?");
        // Checks and writes in one statement, so no other write slips in between.
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                  .arg(table, sets.join(u','), sameRecordCondition());
    } else {
        QStringList names, marks;
        if (keyed) {
            names << rowIdName();
            marks << QStringLiteral("?");
        }
        for (const auto& f : m_conn->fields()) {
            names << LocalSqlTranslator::sqlIdentifier(f.name);
            marks << QStringLiteral("?");
        }
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table, names.join(u','), marks.join(u','));
    }
    const PreparedStatement s = prepared(*m_conn, sql);
    if (keyed)
        sqlite3_bind_int64(s, 1, key);
    for (int i = 0; i < stored.size(); ++i) {
        const QVariant& v = stored[i];
        const int index = keyed + i + 1;
        if (v.isNull())
            sqlite3_bind_null(s, index);
        else if (v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(s, index, v.toLongLong());
        else {
            const QByteArray utf8 = v.toString().toUtf8();
            sqlite3_bind_text(s, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
    }
    if (m_state == State::Edit)
        bindSameRecord(s, int(stored.size()) + 1, m_rowids[size_t(m_row)], m_read);
    if (sqlite3_step(s) != SQLITE_DONE)
        m_conn->raise(QStringLiteral("Der Datensatz kann nicht gespeichert werden"));
    if (m_state == State::Edit && sqlite3_changes(m_conn->handle()) == 0) {
        try {
            refuse(m_rowids[size_t(m_row)]);
        } catch (const RecordConflict& c) {
            m_gone = c.kind() == RecordConflict::Kind::Deleted;
            throw;
        }
    }
    if (!m_batch)
        TableFileCheck::noteOwnWrite(*m_conn);
    if (m_state == State::Insert)
        m_rowids[size_t(m_row)] = sqlite3_last_insert_rowid(m_conn->handle());
    m_state = State::Browse;
    m_modified = false;
    m_buffer.clear();
    m_cachedRow = -1;
}

void Table::dropCurrentRow() {
    m_rowids.erase(m_rowids.begin() + m_row);
    if (m_row > recordCount())
        m_row = recordCount();
}

void Table::cancel() {
    if (m_state == State::Insert || (m_state == State::Edit && m_gone))
        dropCurrentRow();
    m_gone = false;
    if (m_state == State::Edit || m_state == State::Insert)
        m_state = State::Browse;
    m_buffer.clear();
    m_modified = false;
    m_cachedRow = -1;
}

void Table::moveTo(int row) {
    if (!isOpen())
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
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
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (eof())
        return;
    requireWritable();
    const qint64 id = m_rowids[size_t(m_row)];
    StoredRecord expected;
    bool gone = false;
    if (m_state == State::Edit) {
        expected = m_read;
        gone = m_readGone || m_gone;
    } else if (m_shownRowid == id) {
        expected = m_shown;
    } else {
        gone = !readStored(id, expected);
    }
    if (!gone && m_store) {
        const RecordStore::Outcome outcome = m_store->remove(id, storeValues(expected));
        StoredRecord now;
        // A record another program deleted already is gone as wished.
        if (outcome == RecordStore::Outcome::NoMatch && readStored(id, now))
            throw RecordConflict(RecordConflict::Kind::Changed);
        gone = outcome != RecordStore::Outcome::Written;
    }
    if (!gone) {
        const PreparedStatement s =
            prepared(*m_conn, QStringLiteral("DELETE FROM %1 WHERE %2")
                                  .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()),
                                       sameRecordCondition()));
        bindSameRecord(s, 1, id, expected);
        if (sqlite3_step(s) != SQLITE_DONE)
            m_conn->raise(QStringLiteral("Der Datensatz kann nicht gelöscht werden"));
        if (sqlite3_changes(m_conn->handle()) == 0) {
            StoredRecord now;
            // A record another program deleted already is gone as wished.
            if (readStored(id, now))
                throw RecordConflict(RecordConflict::Kind::Changed);
        }
        if (!m_batch)
            TableFileCheck::noteOwnWrite(*m_conn);
    }
    if (m_state == State::Edit) {
        m_state = State::Browse;
        m_buffer.clear();
        m_modified = false;
        m_gone = false;
    }
    m_shownRowid = -1;
    dropCurrentRow();
    m_cachedRow = -1;
}

void Table::rememberShownRecord() {
    m_shownRowid = -1;
    if (!isOpen() || eof() || m_rowids[size_t(m_row)] < 0)
        return;
    if (m_state == State::Edit)
        return; // a record in edit state keeps the values it was read with
    if (readStored(m_rowids[size_t(m_row)], m_shown))
        m_shownRowid = m_rowids[size_t(m_row)];
}

void Table::beginBatch() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
    requireWritable();
    if (m_batch)
        return;
    // The server groups a mirrored table's records; its file takes each at once, so that the
    // file can be read anew from the server in between.
    if (m_store)
        m_store->beginBatch();
    else
        m_conn->exec("BEGIN IMMEDIATE");
    m_batch = true;
    m_rowsBeforeBatch = m_rowids.size();
}

void Table::beginSnapshot() {
    if (!isOpen())
        throw EngineError(QStringLiteral("Die Tabelle ist nicht geöffnet"));
    if (m_snapshot || m_batch || m_state != State::Browse)
        return;
    if (m_store)
        m_store->refresh();
    // A deferred transaction: the first read below takes the snapshot.
    m_conn->exec("BEGIN");
    m_snapshot = true;
    try {
        loadRowids();
    } catch (...) {
        endSnapshot();
        throw;
    }
    m_row = qBound(0, m_row, recordCount());
    m_cachedRow = -1;
}

void Table::endSnapshot() {
    if (!m_snapshot)
        return;
    m_snapshot = false;
    // Only read: the end of the transaction writes nothing.
    sqlite3_exec(m_conn->handle(), "COMMIT", nullptr, nullptr, nullptr);
}

void Table::takeBatchKeys(const std::vector<qint64>& keys) {
    // The batch's new records stand at the end of the row list under stand-in keys, in the
    // order they were appended; the keys they were given ascend, as the row list does.
    std::vector<size_t> standIns;
    for (size_t i = std::min(m_rowsBeforeBatch, m_rowids.size()); i < m_rowids.size(); ++i)
        if (m_rowids[i] < -1)
            standIns.push_back(i);
    for (size_t k = 0; k < standIns.size() && k < keys.size(); ++k)
        m_rowids[standIns[k]] = keys[k];
    // From the last row before the batch on, the list must still ascend.
    const size_t from = std::min(m_rowsBeforeBatch, m_rowids.size());
    if (standIns.size() != keys.size() ||
        !std::is_sorted(m_rowids.begin() + qsizetype(from > 0 ? from - 1 : 0), m_rowids.end())) {
        loadRowids();
        m_row = qBound(0, m_row, recordCount());
    }
    m_cachedRow = -1;
}

void Table::commitBatch() {
    if (!m_batch)
        return;
    m_batch = false;
    sqlite3* db = m_conn->handle();
    QString failure;
    if (m_store) {
        try {
            takeBatchKeys(m_store->commitBatch());
            return;
        } catch (const EngineError& e) {
            failure = e.message();
        }
    } else if (sqlite3_get_autocommit(db)) {
        failure = QStringLiteral("Die Datensätze konnten nicht gespeichert werden");
    } else if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        failure = QStringLiteral("Die Datensätze können nicht gespeichert werden: %1")
                      .arg(SqliteMessage::lastError(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (failure.isEmpty()) {
        TableFileCheck::noteOwnWrite(*m_conn);
        return;
    }
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
