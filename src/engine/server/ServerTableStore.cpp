#include "ServerTableStore.h"

#include "CopyBinary.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "ServerArchive.h"
#include "ServerConnection.h"
#include "SqliteMessage.h"

#include "CacheFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Seconds the server may take to send a whole table.
constexpr int kReadTimeout = 300;

} // namespace

ServerTableStore::ServerTableStore(std::shared_ptr<ServerConnection> server,
                                   std::shared_ptr<QMutex> lock, const QString& tableName,
                                   const QString& mirrorPath, bool kept,
                                   std::shared_ptr<ServerConnection> reader,
                                   const BeforeCopy& beforeCopy)
    : m_server(reader ? std::move(reader) : server), m_lock(std::move(lock)), m_table(tableName),
      m_path(mirrorPath), m_kept(kept) {
    // A reader of its own is this table's alone; the shared connection is shared.
    const QMutexLocker locker(m_server == server ? m_lock.get() : nullptr);
    readFields();
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

    // The file is taken or written whole in one snapshot of the server.
    const QString reading = QStringLiteral("Das Lesen der Tabelle %1").arg(m_table);
    m_server->exec(reading, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    QByteArray state;
    try {
        state = serverState(m_counter);
        const bool fresh = !provenKept(state);
        if (beforeCopy && fresh) {
            const Fresh copied{
                m_fields,
                m_server->exec(reading, QStringLiteral("SELECT pg_catalog.pg_export_snapshot()"))
                    .bytes(0, 0)};
            beforeCopy(&copied);
        } else if (beforeCopy) {
            beforeCopy(nullptr);
        }
        if (fresh)
            buildMirror();
        m_server->exec(reading, QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            m_server->exec(reading, QStringLiteral("ROLLBACK"));
        } catch (const EngineError&) {
        }
        throw;
    }
    if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK)
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht öffnen: %2")
                              .arg(m_table, SqliteMessage::lastError(m_db)));
    sqlite3_busy_timeout(m_db, 10000);
    keep(state);
    m_server = std::move(server);
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

QByteArray ServerTableStore::serverState(qint64& counter) {
    counter = -1;
    if (!m_counted)
        return {};
    const ServerResult r = m_server->exec(
        QStringLiteral("Das Nachsehen nach Änderungen an %1").arg(m_table),
        QStringLiteral("SELECT counter, xmin::text, pg_catalog.to_regclass($2)::oid::text "
                       "FROM %1 WHERE table_name = $1")
            .arg(m_server->identifier(ServerArchive::kChangesTable)),
        {m_table.toUtf8(), m_server->identifier(m_table).toUtf8()});
    if (r.rows() == 0) {
        counter = 0;
        return {};
    }
    counter = r.bytes(0, 0).toLongLong();
    QByteArray state = "counter " + r.bytes(0, 0) + " set by " + r.bytes(0, 1) + " table " +
                       r.bytes(0, 2) + " fields";
    for (const Field& f : std::as_const(m_fields))
        state += ' ' + f.name.toUtf8().toPercentEncoding() + (f.integer ? ":i" : ":t");
    return state;
}

namespace {

// The state of the file `name` in `folder` as its proof writes it down (device, inode, size,
// modification and change times, SQLite's header with its change counter: any write moves
// them); empty when it is no regular file of the user's own (a link is not followed).
QByteArray describeFile(const CacheFolder& folder, const QString& name) {
    const int fd = folder.openFile(name);
    if (fd < 0)
        return {};
    struct stat info {};
    QByteArray header(100, '\0');
    const bool read = ::fstat(fd, &info) == 0 && ::pread(fd, header.data(), 100, 0) == 100;
    ::close(fd);
    if (!read)
        return {};
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return QByteArray::number(quint64(info.st_dev)) + ' ' +
           QByteArray::number(quint64(info.st_ino)) + ' ' +
           QByteArray::number(qint64(info.st_size)) + ' ' + QByteArray::number(ns(info.st_mtim)) +
           ' ' + QByteArray::number(ns(info.st_ctim)) + ' ' + header.toHex();
}

constexpr char kProofFirstLine[] = "vantora server mirror 1";

} // namespace

QString ServerTableStore::proofName() const {
    return QFileInfo(m_path).fileName() + QStringLiteral(".proof");
}

bool ServerTableStore::provenKept(const QByteArray& state) {
    if (!m_kept || state.isEmpty())
        return false;
    const std::unique_ptr<CacheFolder> folder = CacheFolder::open(QFileInfo(m_path).path());
    const int fd = folder ? folder->openFile(proofName()) : -1;
    if (fd < 0)
        return false;
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    const QByteArray proof = in.read(64 * 1024);
    const QByteArray file = describeFile(*folder, QFileInfo(m_path).fileName());
    return !file.isEmpty() &&
           proof == QByteArray(kProofFirstLine) + '\n' + state + '\n' + file + '\n';
}

void ServerTableStore::keep(const QByteArray& state) {
    if (!m_kept)
        return;
    const std::unique_ptr<CacheFolder> folder = CacheFolder::open(QFileInfo(m_path).path());
    if (!folder)
        return;
    const QByteArray file = describeFile(*folder, QFileInfo(m_path).fileName());
    if (state.isEmpty() || file.isEmpty()) {
        // Without a counter nothing proves a later run's file: none is left to be taken.
        QFile::remove(QFileInfo(m_path).dir().filePath(proofName()));
        return;
    }
    folder->replace(proofName(), [&](QIODevice& out) {
        return out.write(QByteArray(kProofFirstLine) + '\n' + state + '\n' + file + '\n') > 0;
    });
}

QString ServerTableStore::readExpression(const ServerConnection& server, const Field& field) {
    return server.identifier(field.name) +
           (field.integer ? QStringLiteral("::bigint") : QStringLiteral("::text"));
}

void ServerTableStore::copyRows(sqlite3* db) {
    const auto fail = [&](const QString& reason) {
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht schreiben: %2")
                              .arg(m_table, reason));
    };
    // Every value as the server's binary form of bigint or text: no escapes to undo, no
    // numbers to parse.
    QStringList read{m_server->identifier(ServerArchive::kKeyColumn)}, names, marks{"?"};
    for (const Field& f : std::as_const(m_fields)) {
        read << readExpression(*m_server, f);
        names << LocalSqlTranslator::sqlIdentifier(f.name);
        marks << QStringLiteral("?");
    }
    PreparedStatement insert(db, QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (%3)")
                                     .arg(LocalSqlTranslator::sqlIdentifier(m_table),
                                          names.join(u','), marks.join(u',')));
    if (!insert)
        fail(SqliteMessage::lastError(db));
    const QString what = QStringLiteral("Das Lesen der Tabelle %1").arg(m_table);
    CopyBinary rows(int(m_fields.size()) + 1);
    const auto takeRows = [&](const char* data, int size) {
        rows.take(
            data, size,
            [&](const std::vector<CopyBinary::Field>& fields) {
                for (size_t k = 0; k < fields.size(); ++k) {
                    const CopyBinary::Field& f = fields[k];
                    if (f.isNull()) {
                        sqlite3_bind_null(insert, int(k) + 1);
                    } else if (k == 0 || m_fields[qsizetype(k) - 1].integer) {
                        if (f.length != 8)
                            m_server->unexpectedRows(what);
                        sqlite3_bind_int64(insert, int(k) + 1, f.bigint());
                    } else {
                        sqlite3_bind_text(insert, int(k) + 1, reinterpret_cast<const char*>(f.data),
                                          f.length, SQLITE_STATIC);
                    }
                }
                if (sqlite3_step(insert) != SQLITE_DONE)
                    fail(SqliteMessage::lastError(db));
                sqlite3_reset(insert);
            },
            [&] { m_server->unexpectedRows(what); });
    };
    // In the order the server stores the rows, without sorting them or walking the key's index:
    // the key is the row id whatever the order, and for a table loaded by the converter the
    // stored order is nearly the key's, so that the rows are still appended.
    m_server->eachCopyRow(what,
                          QStringLiteral("COPY (SELECT %1 FROM %2) TO STDOUT (FORMAT binary)")
                              .arg(read.join(u','), m_server->identifier(m_table)),
                          takeRows);
}

void ServerTableStore::buildMirror() {
    // A fresh file of its own, created exclusively, is written without a journal (it is no
    // one's only copy: a failed write leaves it behind to be removed) and then renamed into
    // place; the file's folder is the user's own.
    const QString fresh =
        m_path + QStringLiteral(".new-%1").arg(QRandomGenerator::global()->generate64(), 0, 36);
    const int fd = ::open(QFile::encodeName(fresh).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht anlegen: %2")
                              .arg(m_table, QString::fromLocal8Bit(strerror(errno))));
    ::close(fd);
    sqlite3* db = nullptr;
    const auto fail = [&](const QString& reason) {
        sqlite3_close(db);
        QFile::remove(fresh);
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht anlegen: %2")
                              .arg(m_table, reason));
    };
    if (sqlite3_open_v2(QFile::encodeName(fresh).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                        nullptr) != SQLITE_OK)
        fail(SqliteMessage::lastError(db));
    QStringList columns;
    for (const Field& f : std::as_const(m_fields))
        columns << LocalSqlTranslator::sqlIdentifier(f.name) +
                       (f.integer ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
    // Pages of 16 KiB take a million rows in and give them back to the first showing in about
    // a fifth less time than SQLite's 4 KiB.
    const QString create =
        QStringLiteral("PRAGMA page_size = 16384; PRAGMA journal_mode = OFF; "
                       "PRAGMA synchronous = OFF; BEGIN; CREATE TABLE %1 (%2)")
            .arg(LocalSqlTranslator::sqlIdentifier(m_table), columns.join(QStringLiteral(", ")));
    if (sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(SqliteMessage::lastError(db));
    try {
        copyRows(db);
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(fresh);
        throw;
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(SqliteMessage::lastError(db));
    if (sqlite3_close(db) != SQLITE_OK)
        fail(SqliteMessage::lastError(db));
    db = nullptr;
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(m_path).constData()) != 0)
        fail(QString::fromLocal8Bit(strerror(errno)));
}

void ServerTableStore::readMirror() {
    const bool ownSnapshot = !m_inTransaction;
    const QString what = QStringLiteral("Das Lesen der Tabelle %1").arg(m_table);
    if (ownSnapshot)
        m_server->exec(what, QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    // Reading a whole table may take longer than a single statement is allowed to.
    m_server->exec(what, QStringLiteral("SET LOCAL statement_timeout = '%1s'").arg(kReadTimeout));
    const auto fail = [&](const QString& reason) {
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht schreiben: %2")
                              .arg(m_table, reason));
    };
    try {
        qint64 seen = -1;
        const QByteArray state = serverState(seen);
        if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        if (sqlite3_exec(m_db,
                         QStringLiteral("DELETE FROM %1")
                             .arg(LocalSqlTranslator::sqlIdentifier(m_table))
                             .toUtf8()
                             .constData(),
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        copyRows(m_db);
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(SqliteMessage::lastError(m_db));
        if (ownSnapshot)
            m_server->exec(what, QStringLiteral("COMMIT"));
        m_counter = seen;
        // Within a transaction of ours the file holds what the server may not keep.
        keep(ownSnapshot ? state : QByteArray());
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
                                             qint64* key, const std::function<bool(qint64)>& kept) {
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
            try {
                m_server->exec(what, QStringLiteral("COMMIT"));
            } catch (const ServerError&) {
                // The connection may have broken after the server committed: it is asked.
                if (!kept(key ? *key : -1))
                    throw;
            }
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

RecordStore::Outcome ServerTableStore::update(qint64 key, const QList<QByteArray>& values,
                                              const QList<QByteArray>& expected) {
    const QMutexLocker locker(m_lock.get());
    QStringList sets;
    for (int i = 0; i < m_fields.size(); ++i)
        sets << QStringLiteral("%1 = $%2").arg(m_server->identifier(m_fields[i].name)).arg(i + 1);
    long rows = 0;
    const QString what = QStringLiteral("Das Speichern des Datensatzes");
    return write(what,
                 QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                     .arg(m_server->identifier(m_table), sets.join(QStringLiteral(", ")),
                          sameRecordCondition(int(m_fields.size()) + 1)),
                 QList<QByteArray>(values) << QByteArray::number(key) << expected, rows, nullptr,
                 [&](qint64) {
                     return heldAfterBrokenCommit(
                         what, sameRecordCondition(1),
                         QList<QByteArray>{QByteArray::number(key)} << values, 1);
                 });
}

RecordStore::Outcome ServerTableStore::remove(qint64 key, const QList<QByteArray>& expected) {
    const QMutexLocker locker(m_lock.get());
    long rows = 0;
    const QString what = QStringLiteral("Das Löschen des Datensatzes");
    return write(
        what,
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(m_server->identifier(m_table), sameRecordCondition(1)),
        QList<QByteArray>{QByteArray::number(key)} << expected, rows, nullptr,
        [&](qint64) { return heldAfterBrokenCommit(what, keyIs(), {QByteArray::number(key)}, 0); });
}

RecordStore::Outcome ServerTableStore::insert(const QList<QByteArray>& values, qint64& key) {
    const QMutexLocker locker(m_lock.get());
    if (m_batch) {
        m_pending << values;
        key = -1 - m_pending.size();
        return Outcome::Pending;
    }
    QStringList names, marks;
    for (int i = 0; i < m_fields.size(); ++i) {
        names << m_server->identifier(m_fields[i].name);
        marks << QStringLiteral("$%1").arg(i + 1);
    }
    long rows = 0;
    const QString what = QStringLiteral("Das Speichern des Datensatzes");
    return write(what,
                 QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING %4")
                     .arg(m_server->identifier(m_table), names.join(u','), marks.join(u','),
                          m_server->identifier(ServerArchive::kKeyColumn)),
                 values, rows, &key, [&](qint64 given) {
                     return given >= 0 &&
                            heldAfterBrokenCommit(what, keyIs(), {QByteArray::number(given)}, 1);
                 });
}

std::vector<qint64> ServerTableStore::insertPending(const QString& what, bool& fileBegun) {
    const auto fileFails = [&] {
        throw EngineError(QStringLiteral("Die Kopie der Tabelle %1 lässt sich nicht schreiben: %2")
                              .arg(m_table, SqliteMessage::lastError(m_db)));
    };
    QStringList names, fileNames{QStringLiteral("rowid")}, fileMarks{QStringLiteral("?")};
    for (const Field& f : std::as_const(m_fields)) {
        names << m_server->identifier(f.name);
        fileNames << LocalSqlTranslator::sqlIdentifier(f.name);
        fileMarks << QStringLiteral("?");
    }
    PreparedStatement into(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(LocalSqlTranslator::sqlIdentifier(m_table),
                                          fileNames.join(u','), fileMarks.join(u',')));
    if (!into || sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        fileFails();
    fileBegun = true;
    // Many records a statement, as many as the server takes parameters for; the records come
    // back as the server stored them, each with its key, and go into the file so.
    const qsizetype columns = std::max<qsizetype>(1, m_fields.size());
    const qsizetype perStatement = std::max<qsizetype>(1, 65535 / columns);
    std::vector<qint64> keys;
    keys.reserve(size_t(m_pending.size()));
    int statements = 0;
    for (qsizetype first = 0; first < m_pending.size(); first += perStatement) {
        QStringList rows;
        QList<QByteArray> params;
        for (qsizetype i = first; i < std::min(m_pending.size(), first + perStatement); ++i) {
            QStringList marks;
            for (qsizetype f = 0; f < m_fields.size(); ++f) {
                params << m_pending[i].value(f);
                marks << QStringLiteral("$%1").arg(params.size());
            }
            rows << u'(' + marks.join(u',') + u')';
        }
        const ServerResult r = m_server->exec(
            what,
            QStringLiteral("INSERT INTO %1 (%2) VALUES %3 RETURNING %4, %2")
                .arg(m_server->identifier(m_table), names.join(u','), rows.join(u','),
                     m_server->identifier(ServerArchive::kKeyColumn)),
            params);
        ++statements;
        for (int row = 0; row < r.rows(); ++row) {
            keys.push_back(r.bytes(row, 0).toLongLong());
            sqlite3_bind_int64(into, 1, keys.back());
            for (int f = 0; f < m_fields.size(); ++f) {
                if (r.isNull(row, f + 1))
                    sqlite3_bind_null(into, f + 2);
                else if (m_fields[f].integer)
                    sqlite3_bind_int64(into, f + 2, r.bytes(row, f + 1).toLongLong());
                else
                    sqlite3_bind_text(into, f + 2, r.bytes(row, f + 1).constData(), -1,
                                      SQLITE_TRANSIENT);
            }
            if (sqlite3_step(into) != SQLITE_DONE)
                fileFails();
            sqlite3_reset(into);
        }
    }
    // Each statement counted itself once; any other count is another program's change, which
    // the file then takes in whole, these records with it.
    const qint64 now = counter();
    if (now >= 0 && now != m_counter + statements) {
        into.finalize();
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        fileBegun = false;
        readMirror();
    } else if (now >= 0) {
        m_counter = now;
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

QString ServerTableStore::keyIs() const {
    return m_server->identifier(ServerArchive::kKeyColumn) + QStringLiteral(" = $1");
}

bool ServerTableStore::heldAfterBrokenCommit(const QString& what, const QString& condition,
                                             const QList<QByteArray>& params, qint64 rows) {
    try {
        // Ends what is left of the transaction; the question then goes on a connection anew.
        m_server->exec(what, QStringLiteral("ROLLBACK"));
        const ServerResult r = m_server->exec(what,
                                              QStringLiteral("SELECT count(*) FROM %1 WHERE %2")
                                                  .arg(m_server->identifier(m_table), condition),
                                              params);
        return r.bytes(0, 0).toLongLong() == rows;
    } catch (const EngineError&) {
        return false;
    }
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
    m_pending.clear();
}

std::vector<qint64> ServerTableStore::commitBatch() {
    const QMutexLocker locker(m_lock.get());
    if (!m_inTransaction)
        return {};
    m_batch = false;
    const QString what = QStringLiteral("Das Speichern der Datensätze");
    // The file takes the records in a transaction of its own that ends as the server's does.
    bool fileBegun = false;
    try {
        // A batch with a failed write is given up whole, never committed in part.
        if (m_batchFailed)
            throw ServerError(QStringLiteral("%1 in %2 misslungen: ein Datensatz wurde nicht "
                                             "angenommen")
                                  .arg(what, m_server->name()),
                              {});
        std::vector<qint64> keys;
        if (!m_pending.isEmpty())
            keys = insertPending(what, fileBegun);
        m_pending.clear();
        m_inTransaction = false;
        try {
            m_server->exec(what, QStringLiteral("COMMIT"));
        } catch (const ServerError&) {
            // The connection may have broken after the server committed: the keys tell.
            QByteArray list = "{";
            for (const qint64 key : keys)
                list += QByteArray::number(key) + ',';
            list.back() = '}';
            if (keys.empty() ||
                !heldAfterBrokenCommit(what,
                                       m_server->identifier(ServerArchive::kKeyColumn) +
                                           QStringLiteral(" = ANY($1::bigint[])"),
                                       {list}, qint64(keys.size())))
                throw;
            if (fileBegun)
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            fileBegun = false;
            m_counter = -2; // the file reads them at the next refresh
            return keys;
        }
        if (fileBegun && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            // The server holds the records: the file reads them at the next refresh.
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            m_counter = -2;
        }
        return keys;
    } catch (...) {
        m_pending.clear();
        m_inTransaction = false;
        try {
            m_server->exec(what, QStringLiteral("ROLLBACK"));
        } catch (const EngineError&) {
        }
        if (fileBegun)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        // The file may hold another program's change read inside the batch: it is read anew.
        m_counter = -2;
        throw;
    }
}
