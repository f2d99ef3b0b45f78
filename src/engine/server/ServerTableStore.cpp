#include "ServerTableStore.h"

#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "ServerArchive.h"
#include "ServerConnection.h"
#include "SqliteMessage.h"

#include <QFile>
#include <sqlite3.h>

namespace {

// Seconds the server may take to send a whole table.
constexpr int kReadTimeout = 300;

} // namespace

ServerTableStore::ServerTableStore(std::shared_ptr<ServerConnection> server,
                                   std::shared_ptr<QMutex> lock, const QString& tableName,
                                   const QString& mirrorPath)
    : m_server(std::move(server)), m_lock(std::move(lock)), m_table(tableName), m_path(mirrorPath) {
    const QMutexLocker locker(m_lock.get());
    readFields();
    QStringList columns;
    for (const Field& f : std::as_const(m_fields))
        columns << LocalSqlTranslator::sqlIdentifier(f.name) +
                       (f.integer ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
    QFile::remove(m_path);
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht anlegen: %2")
                              .arg(m_table, SqliteMessage::lastError(m_db)));
    sqlite3_busy_timeout(m_db, 10000);
    const QString create =
        QStringLiteral("CREATE TABLE %1 (%2)")
            .arg(LocalSqlTranslator::sqlIdentifier(m_table), columns.join(QStringLiteral(", ")));
    if (sqlite3_exec(m_db, create.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht anlegen: %2")
                              .arg(m_table, SqliteMessage::lastError(m_db)));

    const QByteArray table = m_server->identifier(m_table).toUtf8();
    const QString what = QStringLiteral("Das Lesen der Rechte an %1").arg(m_table);
    const ServerResult rights = m_server->exec(
        what,
        QStringLiteral("SELECT pg_catalog.has_table_privilege($1, 'INSERT, UPDATE, DELETE') "
                       "AND pg_catalog.current_setting('transaction_read_only') = 'off', "
                       "pg_catalog.to_regclass($2) IS NOT NULL"),
        {table, m_server->identifier(ServerArchive::kChangesTable).toUtf8()});
    m_writable = rights.text(0, 0) == QLatin1String("t");
    m_counted = rights.text(0, 1) == QLatin1String("t");
    readMirror();
}

ServerTableStore::~ServerTableStore() {
    sqlite3_close(m_db);
}

void ServerTableStore::readFields() {
    const ServerResult r = m_server->exec(
        QStringLiteral("Das Lesen der Felder von %1").arg(m_table),
        QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, NULL) "
                       "FROM pg_catalog.pg_attribute a WHERE a.attrelid = "
                       "pg_catalog.to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
                       "ORDER BY a.attnum"),
        {m_server->identifier(m_table).toUtf8()});
    bool keyed = false;
    for (int row = 0; row < r.rows(); ++row) {
        const QString name = r.text(row, 0);
        const QString type = r.text(row, 1);
        if (name == ServerArchive::kKeyColumn) {
            keyed = true;
            continue;
        }
        m_fields << Field{name, type == QLatin1String("integer") ||
                                    type == QLatin1String("bigint") ||
                                    type == QLatin1String("smallint")};
    }
    if (r.rows() == 0)
        throw ServerError(
            QStringLiteral("Die Tabelle %1 fehlt in %2").arg(m_table, m_server->name()), "42P01");
    if (!keyed)
        throw ServerError(QStringLiteral("Die Tabelle %1 in %2 hat keinen Schlüssel %3; sie ist "
                                         "nicht mit vantora-convert geladen")
                              .arg(m_table, m_server->name(), ServerArchive::kKeyColumn),
                          {});
}

qint64 ServerTableStore::counter() {
    if (!m_counted)
        return -1;
    const ServerResult r =
        m_server->exec(QStringLiteral("Das Nachsehen nach Änderungen an %1").arg(m_table),
                       QStringLiteral("SELECT counter FROM %1 WHERE table_name = $1")
                           .arg(m_server->identifier(ServerArchive::kChangesTable)),
                       {m_table.toUtf8()});
    return r.rows() > 0 ? r.bytes(0, 0).toLongLong() : 0;
}

void ServerTableStore::readMirror() {
    const bool ownSnapshot = !m_inTransaction;
    const QString what = QStringLiteral("Das Lesen der Tabelle %1").arg(m_table);
    if (ownSnapshot)
        m_server->exec(what, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    // Reading a whole table may take longer than a single statement is allowed to.
    m_server->exec(what, QStringLiteral("SET LOCAL statement_timeout = '%1s'").arg(kReadTimeout));
    const auto fail = [&](const QString& reason) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht schreiben: %2")
                              .arg(m_table, reason));
    };
    try {
        const qint64 seen = counter();
        if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        const QString table = LocalSqlTranslator::sqlIdentifier(m_table);
        if (sqlite3_exec(m_db, QStringLiteral("DELETE FROM %1").arg(table).toUtf8().constData(),
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        QStringList read{m_server->identifier(ServerArchive::kKeyColumn)}, names, marks{"?"};
        for (const Field& f : std::as_const(m_fields)) {
            read << m_server->identifier(f.name);
            names << LocalSqlTranslator::sqlIdentifier(f.name);
            marks << QStringLiteral("?");
        }
        PreparedStatement insert(m_db, QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)")
                                           .arg(table, names.join(u','), marks.join(u',')));
        if (!insert)
            fail(SqliteMessage::lastError(m_db));
        m_server->eachRow(what,
                          QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                              .arg(read.join(u','), m_server->identifier(m_table),
                                   m_server->identifier(ServerArchive::kKeyColumn)),
                          [&](const ServerResult& row) {
                              sqlite3_bind_int64(insert, 1, row.bytes(0, 0).toLongLong());
                              for (int k = 0; k < m_fields.size(); ++k) {
                                  const QByteArray value = row.bytes(0, k + 1);
                                  if (value.isNull())
                                      sqlite3_bind_null(insert, k + 2);
                                  else if (m_fields[k].integer)
                                      sqlite3_bind_int64(insert, k + 2, value.toLongLong());
                                  else
                                      sqlite3_bind_text(insert, k + 2, value.constData(),
                                                        int(value.size()), SQLITE_TRANSIENT);
                              }
                              if (sqlite3_step(insert) != SQLITE_DONE)
                                  fail(SqliteMessage::lastError(m_db));
                              sqlite3_reset(insert);
                          });
        insert.finalize();
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        if (ownSnapshot)
            m_server->exec(what, QStringLiteral("COMMIT"));
        m_counter = seen;
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        if (ownSnapshot) {
            try {
                m_server->exec(what, QStringLiteral("ROLLBACK"));
            } catch (const EngineError&) {
            }
        }
        throw;
    }
}

void ServerTableStore::refresh() {
    const QMutexLocker locker(m_lock.get());
    if (m_inTransaction || !m_counted)
        return;
    if (counter() != m_counter)
        readMirror();
}

bool ServerTableStore::changedElsewhere() {
    const QMutexLocker locker(m_lock.get());
    return !m_inTransaction && m_counted && counter() != m_counter;
}

QString ServerTableStore::readOnlyMessage() const {
    return QStringLiteral("Das Archiv in %1 ist für diese Anmeldung schreibgeschützt: die "
                          "Tabelle %2 kann nur gelesen werden.")
        .arg(m_server->name(), m_table);
}

void ServerTableStore::rethrow(const ServerError& e) const {
    // A right taken away, or a standby that only reads, since the archive was opened.
    if (e.sqlState() == "42501" || e.sqlState() == "25006")
        throw EngineError(readOnlyMessage());
    throw e;
}

QString ServerTableStore::sameRecordCondition(int first) const {
    QString condition =
        m_server->identifier(ServerArchive::kKeyColumn) + QStringLiteral(" = $%1").arg(first);
    for (int i = 0; i < m_fields.size(); ++i)
        condition += QStringLiteral(" AND %1 IS NOT DISTINCT FROM $%2")
                         .arg(m_server->identifier(m_fields[i].name))
                         .arg(first + 1 + i);
    return condition;
}

RecordStore::Outcome ServerTableStore::write(const QString& what, const QString& sql,
                                             const QList<QByteArray>& params, long& rows,
                                             qint64* key) {
    if (!m_writable)
        throw EngineError(readOnlyMessage());
    const bool own = !m_inTransaction;
    try {
        if (own) {
            m_server->exec(what, QStringLiteral("BEGIN"));
            m_inTransaction = true;
        }
        const ServerResult r = m_server->exec(what, sql, params);
        rows = r.affectedRows();
        if (key && r.rows() > 0)
            *key = r.bytes(0, 0).toLongLong();
        // The statement counted itself once; any other count is another program's change,
        // which the file then takes in, with this one.
        const qint64 now = counter();
        Outcome outcome = Outcome::Written;
        if (now < 0 || now != m_counter + 1) {
            if (now >= 0 || rows == 0)
                readMirror();
            outcome = now < 0 && rows > 0 ? Outcome::Written : Outcome::WrittenAnew;
        } else {
            m_counter = now;
        }
        if (rows == 0 && !key)
            outcome = Outcome::NoMatch;
        if (own) {
            m_inTransaction = false;
            m_server->exec(what, QStringLiteral("COMMIT"));
        }
        return outcome;
    } catch (const ServerError& e) {
        abandon(what, own);
        rethrow(e);
    } catch (...) {
        abandon(what, own);
        throw;
    }
}

void ServerTableStore::abandon(const QString& what, bool own) {
    // The file may hold what the server did not keep: it is read anew next time.
    m_counter = -2;
    if (!own) {
        m_batchFailed = true;
        return;
    }
    m_inTransaction = false;
    try {
        m_server->exec(what, QStringLiteral("ROLLBACK"));
    } catch (const EngineError&) {
    }
}

void ServerTableStore::dropBatchRecords() {
    m_counter = -2;
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?")
                            .arg(LocalSqlTranslator::sqlIdentifier(m_table));
    PreparedStatement remove(m_db, sql);
    sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const qint64 key : std::as_const(m_batchKeys)) {
        sqlite3_bind_int64(remove, 1, key);
        sqlite3_step(remove);
        sqlite3_reset(remove);
    }
    remove.finalize();
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht schreiben: %2")
                              .arg(m_table, SqliteMessage::lastError(m_db)));
    }
    m_batchKeys.clear();
}

RecordStore::Outcome ServerTableStore::update(qint64 key, const QList<QByteArray>& values,
                                              const QList<QByteArray>& expected) {
    const QMutexLocker locker(m_lock.get());
    QStringList sets;
    for (int i = 0; i < m_fields.size(); ++i)
        sets << QStringLiteral("%1 = $%2").arg(m_server->identifier(m_fields[i].name)).arg(i + 1);
    long rows = 0;
    return write(QStringLiteral("Das Speichern des Datensatzes"),
                 QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(m_server->identifier(m_table), sets.join(QStringLiteral(", ")),
                          sameRecordCondition(int(m_fields.size()) + 1)),
                 QList<QByteArray>(values) << QByteArray::number(key) << expected, rows, nullptr);
}

RecordStore::Outcome ServerTableStore::remove(qint64 key, const QList<QByteArray>& expected) {
    const QMutexLocker locker(m_lock.get());
    long rows = 0;
    return write(QStringLiteral("Das Löschen des Datensatzes"),
                 QStringLiteral("DELETE FROM %1 WHERE %2")
                     .arg(m_server->identifier(m_table), sameRecordCondition(1)),
                 QList<QByteArray>{QByteArray::number(key)} << expected, rows, nullptr);
}

RecordStore::Outcome ServerTableStore::insert(const QList<QByteArray>& values, qint64& key) {
    const QMutexLocker locker(m_lock.get());
    QStringList names, marks;
    for (int i = 0; i < m_fields.size(); ++i) {
        names << m_server->identifier(m_fields[i].name);
        marks << QStringLiteral("$%1").arg(i + 1);
    }
    long rows = 0;
    const Outcome outcome =
        write(m_batch ? QStringLiteral("Das Speichern der Datensätze")
                      : QStringLiteral("Das Speichern des Datensatzes"),
              QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                  .arg(m_server->identifier(m_table), names.join(u','), marks.join(u','),
                       m_server->identifier(ServerArchive::kKeyColumn)),
              values, rows, &key);
    if (m_batch)
        m_batchKeys << key;
    return outcome;
}

void ServerTableStore::beginBatch() {
    const QMutexLocker locker(m_lock.get());
    if (m_inTransaction)
        return;
    if (!m_writable)
        throw EngineError(readOnlyMessage());
    m_server->exec(QStringLiteral("Der Beginn des Imports"), QStringLiteral("BEGIN"));
    m_inTransaction = true;
    m_batch = true;
    m_batchFailed = false;
    m_batchKeys.clear();
}

void ServerTableStore::commitBatch() {
    const QMutexLocker locker(m_lock.get());
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    m_batch = false;
    const QString what = QStringLiteral("Das Speichern der Datensätze");
    try {
        // A batch with a failed write is given up whole, never committed in part.
        if (m_batchFailed)
            throw ServerError(QStringLiteral("%1 in %2 misslungen: ein Datensatz wurde nicht "
                                             "angenommen")
                                  .arg(what, m_server->name()),
                              {});
        m_server->exec(what, QStringLiteral("COMMIT"));
        m_batchKeys.clear();
    } catch (const ServerError&) {
        try {
            m_server->exec(what, QStringLiteral("ROLLBACK"));
        } catch (const EngineError&) {
        }
        // The file took the batch's records: they go again, and the file is read anew from
        // the server at the next refresh.
        dropBatchRecords();
        throw;
    }
}
