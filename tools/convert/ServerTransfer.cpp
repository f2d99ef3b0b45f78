#include "ServerTransfer.h"

#include "CopyText.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "ServerConnection.h"
#include "SqliteMessage.h"
#include "Views.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>

namespace ServerTransfer {

using ArchiveConverter::TableOutcome;

namespace {

// Rows are sent to the server in pieces of about this many bytes.
constexpr qsizetype kCopyPiece = 256 * 1024;

struct Column {
    QString name;
    bool integer = false;
};

// An SQLite table file opened for the length of a scope.
class SqliteFile {
public:
    SqliteFile(const QString& path, int flags) {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) !=
            SQLITE_OK) {
            const QString reason = SqliteMessage::lastError(m_db);
            sqlite3_close(m_db);
            throw EngineError(QStringLiteral("%1 lässt sich nicht öffnen: %2")
                                  .arg(QDir::toNativeSeparators(path), reason));
        }
    }
    ~SqliteFile() { sqlite3_close(m_db); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;
    operator sqlite3*() const { return m_db; }
    [[noreturn]] void fail(const QString& what) const {
        throw EngineError(what + QStringLiteral(": ") + SqliteMessage::lastError(m_db));
    }

private:
    sqlite3* m_db = nullptr;
};

QString tableNameOf(const ViewDefinition& view) {
    return QFileInfo(view.tableFile).completeBaseName();
}

// The name of the one table in a table file, matched to `expected` without regard to case.
QString storedTableName(const SqliteFile& db, const QString& expected) {
    PreparedStatement names(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    if (!names)
        db.fail(QStringLiteral("Die Tabellen der Datei lassen sich nicht lesen"));
    while (sqlite3_step(names) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(names, 0)));
        if (name.compare(expected, Qt::CaseInsensitive) == 0)
            return name;
    }
    throw EngineError(QStringLiteral("Die Datei hält keine Tabelle %1").arg(expected));
}

QList<Column> sqliteColumns(const SqliteFile& db, const QString& table) {
    PreparedStatement info(db, "SELECT name, type FROM pragma_table_info(?)");
    if (!info)
        db.fail(QStringLiteral("Die Felder lassen sich nicht lesen"));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(info, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    QList<Column> columns;
    while (sqlite3_step(info) == SQLITE_ROW) {
        Column c;
        c.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 0)));
        // SQLite's own rule for a column of integer affinity.
        c.integer = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1)))
                        .contains(QLatin1String("INT"), Qt::CaseInsensitive);
        if (c.name.compare(kKeyColumn, Qt::CaseInsensitive) == 0)
            throw EngineError(
                QStringLiteral("Das Feld %1 ist dem Schlüssel auf dem Server vorbehalten")
                    .arg(c.name));
        columns << c;
    }
    if (columns.isEmpty())
        db.fail(QStringLiteral("Die Tabelle %1 hat keine Felder").arg(table));
    return columns;
}

// Ends or rolls back a transaction. A lost connection needs neither: the server drops the
// transaction with it, and the failure that lost it has been reported already.
void finishTransaction(ServerConnection& server, const QString& statement) {
    try {
        server.exec(QStringLiteral("Das Abschließen"), statement);
    } catch (const EngineError&) {
    }
}

// Every statement that changes the table counts up its row in the change counter table, so
// that the program learns with one cheap look whether another program changed the table since
// it read it, and announces the table's name on the changes channel, which the server passes
// on to every listening program when the transaction commits (and never when it rolls back).
// The function runs with its owner's rights: editors need no right on the counter.
void installChangeCounter(ServerConnection& server, const QString& tableName) {
    const QString what = QStringLiteral("Das Anlegen des Änderungszählers für %1").arg(tableName);
    const QString changes = server.identifier(ServerArchive::kChangesTable);
    server.exec(what, QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (table_name text PRIMARY KEY, "
                                     "counter bigint NOT NULL DEFAULT 0)")
                          .arg(changes));
    server.exec(what, QStringLiteral("CREATE OR REPLACE FUNCTION vantora_count_change() "
                                     "RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER "
                                     "SET search_path FROM CURRENT AS $body$ BEGIN "
                                     "UPDATE %1 SET counter = counter + 1 "
                                     "WHERE table_name = TG_TABLE_NAME; "
                                     "PERFORM pg_catalog.pg_notify('%2', TG_TABLE_NAME); "
                                     "RETURN NULL; END $body$")
                          .arg(changes, ServerArchive::kChangesChannel));
    // A replaced table counts as changed for a program that read the one before.
    server.exec(what,
                QStringLiteral("INSERT INTO %1 (table_name) VALUES ($1) ON CONFLICT (table_name) "
                               "DO UPDATE SET counter = %1.counter + 1")
                    .arg(changes),
                {tableName.toUtf8()});
    server.exec(what, QStringLiteral("CREATE TRIGGER vantora_count_change AFTER INSERT OR UPDATE "
                                     "OR DELETE OR TRUNCATE ON %1 FOR EACH STATEMENT EXECUTE "
                                     "FUNCTION vantora_count_change()")
                          .arg(server.identifier(tableName)));
}

long loadTable(ServerConnection& server, const QString& filePath, const QString& tableName,
               bool replace) {
    SqliteFile db(filePath, SQLITE_OPEN_READONLY);
    const QString stored = storedTableName(db, tableName);
    const QList<Column> columns = sqliteColumns(db, stored);

    const QString table = server.identifier(tableName);
    QStringList definitions{server.identifier(kKeyColumn) +
                            QStringLiteral(" bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY")};
    QStringList names, read;
    for (const Column& c : columns) {
        names << server.identifier(c.name);
        definitions << names.constLast() +
                           (c.integer ? QStringLiteral(" integer") : QStringLiteral(" text"));
        read << LocalSqlTranslator::sqlIdentifier(c.name);
    }
    PreparedStatement rows(db,
                           QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                               .arg(read.join(u','), LocalSqlTranslator::sqlIdentifier(stored)));
    if (!rows)
        db.fail(QStringLiteral("Die Datensätze lassen sich nicht lesen"));

    server.exec(QStringLiteral("Der Beginn des Ladens"), QStringLiteral("BEGIN"));
    try {
        if (replace)
            server.exec(QStringLiteral("Das Ersetzen der Tabelle %1").arg(tableName),
                        QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
        server.exec(QStringLiteral("Das Anlegen der Tabelle %1").arg(tableName),
                    QStringLiteral("CREATE TABLE %1 (%2)").arg(table, definitions.join(u',')));
        const QString loading = QStringLiteral("Das Laden der Tabelle %1").arg(tableName);
        server.beginCopyIn(loading,
                           QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, names.join(u',')));
        QByteArray piece;
        long sent = 0;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(rows)) == SQLITE_ROW) {
            for (int k = 0; k < columns.size(); ++k) {
                const char* value = reinterpret_cast<const char*>(sqlite3_column_text(rows, k));
                const QByteArray field =
                    value ? QByteArray(value, sqlite3_column_bytes(rows, k)) : QByteArray();
                CopyText::appendField(piece, field, k == 0);
            }
            CopyText::endRow(piece);
            ++sent;
            if (piece.size() >= kCopyPiece) {
                server.putCopyData(piece);
                piece.clear();
            }
        }
        if (step != SQLITE_DONE) {
            const QString reason = SqliteMessage::lastError(db);
            server.putCopyData(piece); // the copy is ended, and with it the transaction
            server.endCopyIn();
            throw EngineError(
                QStringLiteral("Die Datensätze lassen sich nicht lesen: %1").arg(reason));
        }
        server.putCopyData(piece);
        const long copied = server.endCopyIn();
        if (copied != sent)
            throw EngineError(
                QStringLiteral("%1 Datensätze gesendet, %2 gespeichert").arg(sent).arg(copied));
        // What the program looks up: titles, and issues for the latest one.
        for (const Column& c : columns)
            if (c.name.compare(QLatin1String("TITEL"), Qt::CaseInsensitive) == 0 ||
                c.name.compare(QLatin1String("Ausgabe"), Qt::CaseInsensitive) == 0)
                server.exec(QStringLiteral("Das Anlegen eines Index auf %1").arg(tableName),
                            QStringLiteral("CREATE INDEX ON %1 (%2)")
                                .arg(table, server.identifier(c.name)));
        installChangeCounter(server, tableName);
        server.exec(QStringLiteral("Das Vermessen der Tabelle %1").arg(tableName),
                    QStringLiteral("ANALYZE %1").arg(table));
        server.exec(QStringLiteral("Das Abschließen der Tabelle %1").arg(tableName),
                    QStringLiteral("COMMIT"));
        return copied;
    } catch (const EngineError&) {
        finishTransaction(server, QStringLiteral("ROLLBACK"));
        throw;
    }
}

// The tables among `names` that the server holds in the schema new tables go into.
QStringList existingTables(ServerConnection& server, const QStringList& names) {
    QStringList existing;
    for (const QString& name : names) {
        const ServerResult r = server.exec(
            QStringLiteral("Das Nachsehen nach der Tabelle %1").arg(name),
            QStringLiteral("SELECT 1 FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                           "ON n.oid = c.relnamespace WHERE n.nspname = "
                           "pg_catalog.current_schema() AND c.relname = $1"),
            {name.toUtf8()});
        if (r.rows() > 0)
            existing << name;
    }
    return existing;
}

QList<Column> serverColumns(ServerConnection& server, const QString& tableName) {
    const ServerResult r = server.exec(
        QStringLiteral("Das Lesen der Felder von %1").arg(tableName),
        QStringLiteral("SELECT a.attname, pg_catalog.format_type(a.atttypid, NULL) "
                       "FROM pg_catalog.pg_attribute a WHERE a.attrelid = "
                       "pg_catalog.to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped "
                       "ORDER BY a.attnum"),
        {server.identifier(tableName).toUtf8()});
    QList<Column> columns;
    for (int row = 0; row < r.rows(); ++row) {
        const QString type = r.text(row, 1);
        columns << Column{r.text(row, 0), type == QLatin1String("integer") ||
                                              type == QLatin1String("bigint") ||
                                              type == QLatin1String("smallint")};
    }
    return columns;
}

long unloadTable(ServerConnection& server, const QString& tableName, QList<Column> columns,
                 const QString& stagedPath) {
    bool keyed = false;
    columns.removeIf([&](const Column& c) {
        const bool key = c.name == kKeyColumn;
        keyed = keyed || key;
        return key;
    });
    if (!keyed)
        throw EngineError(QStringLiteral("Die Tabelle %1 in %2 hat keinen Schlüssel %3; sie ist "
                                         "nicht mit vantora-convert geladen")
                              .arg(tableName, server.name(), kKeyColumn));
    QStringList selected, created, marks;
    for (const Column& c : columns) {
        selected << server.identifier(c.name);
        created << LocalSqlTranslator::sqlIdentifier(c.name) +
                       (c.integer ? QStringLiteral(" INTEGER") : QStringLiteral(" TEXT"));
        marks << QStringLiteral("?");
    }

    QFile::remove(stagedPath);
    SqliteFile db(stagedPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const QString stored = LocalSqlTranslator::sqlIdentifier(tableName);
    const QString create = QStringLiteral("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
                                          "CREATE TABLE %1 (%2); BEGIN;")
                               .arg(stored, created.join(u','));
    if (sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        db.fail(QStringLiteral("Die Tabelle kann nicht angelegt werden"));
    PreparedStatement insert(
        db, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(stored, marks.join(u',')));
    if (!insert)
        db.fail(QStringLiteral("Die Kopie kann nicht vorbereitet werden"));

    long written = 0;
    server.eachRow(
        QStringLiteral("Das Lesen der Tabelle %1").arg(tableName),
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
            .arg(selected.join(u','), server.identifier(tableName), server.identifier(kKeyColumn)),
        [&](const ServerResult& row) {
            for (int k = 0; k < columns.size(); ++k) {
                const QByteArray value = row.bytes(0, k);
                if (value.isNull())
                    sqlite3_bind_null(insert, k + 1);
                else if (columns[k].integer)
                    sqlite3_bind_int64(insert, k + 1, value.toLongLong());
                else
                    sqlite3_bind_text(insert, k + 1, value.constData(), int(value.size()),
                                      SQLITE_TRANSIENT);
            }
            if (sqlite3_step(insert) != SQLITE_DONE)
                db.fail(QStringLiteral("Ein Datensatz lässt sich nicht schreiben"));
            sqlite3_reset(insert);
            ++written;
        });
    insert.finalize();
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        db.fail(QStringLiteral("Die Tabelle lässt sich nicht abschließen"));
    return written;
}

} // namespace

QList<TableOutcome> load(const QString& inDir, const QString& conninfo, bool replace) {
    ServerConnection server(conninfo);
    QTemporaryDir staging;
    if (!staging.isValid())
        throw EngineError(
            QStringLiteral("Kein Platz für Zwischendateien: %1").arg(staging.errorString()));
    QList<TableOutcome> outcomes = ArchiveConverter::convertFolder(inDir, staging.path());

    QStringList loading;
    for (const TableOutcome& t : std::as_const(outcomes))
        if (t.kind == TableOutcome::Kind::Converted || t.kind == TableOutcome::Kind::Copied)
            loading << QFileInfo(t.fileName).completeBaseName();
    if (!replace) {
        const QStringList existing = existingTables(server, loading);
        if (!existing.isEmpty())
            throw EngineError(QStringLiteral("In %1 gibt es schon: %2. Nichts wurde geladen; "
                                             "--replace ersetzt die Tabellen.")
                                  .arg(server.name(), existing.join(QStringLiteral(", "))));
    }

    for (TableOutcome& t : outcomes) {
        if (t.kind != TableOutcome::Kind::Converted && t.kind != TableOutcome::Kind::Copied)
            continue;
        try {
            t.rows = loadTable(server, staging.filePath(t.fileName),
                               QFileInfo(t.fileName).completeBaseName(), replace);
            t.kind = TableOutcome::Kind::Converted;
        } catch (const EngineError& e) {
            t.kind = TableOutcome::Kind::Failed;
            t.error = e.message();
        }
    }
    return outcomes;
}

QList<TableOutcome> unload(const QString& conninfo, const QString& outDir) {
    ServerConnection server(conninfo);
    if (!QDir().mkpath(outDir))
        throw EngineError(QStringLiteral("Der Ordner %1 lässt sich nicht anlegen")
                              .arg(QDir::toNativeSeparators(outDir)));
    const QString out = QFileInfo(outDir).canonicalFilePath();
    QTemporaryDir staging(out + QStringLiteral("/.vantora-convert-XXXXXX"));
    if (!staging.isValid())
        throw EngineError(QStringLiteral("In %1 lässt sich nicht schreiben: %2")
                              .arg(QDir::toNativeSeparators(out), staging.errorString()));

    // One snapshot for all three tables; a table that fails is rolled back to its savepoint.
    server.exec(QStringLiteral("Der Beginn des Lesens"),
                QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    QList<TableOutcome> outcomes;
    for (const ViewDefinition& view : Views::all()) {
        TableOutcome t;
        const QString tableName = tableNameOf(view);
        t.fileName = tableName + QStringLiteral(".DB");
        try {
            server.exec(QStringLiteral("Das Lesen"), QStringLiteral("SAVEPOINT tabelle"));
            const QList<Column> columns = serverColumns(server, tableName);
            if (columns.isEmpty()) {
                t.kind = TableOutcome::Kind::Missing;
                t.error =
                    QStringLiteral("Die Tabelle %1 fehlt in %2").arg(tableName, server.name());
                server.exec(QStringLiteral("Das Lesen"),
                            QStringLiteral("RELEASE SAVEPOINT tabelle"));
                outcomes << t;
                continue;
            }
            const QString staged = staging.filePath(t.fileName);
            const long written = unloadTable(server, tableName, columns, staged);
            t.rows = ArchiveConverter::countRows(staging.path(), t.fileName);
            if (t.rows != written)
                throw EngineError(QStringLiteral("%1 Datensätze geschrieben, %2 gelesen")
                                      .arg(written)
                                      .arg(t.rows));
            ArchiveConverter::moveIntoPlace(staged, out, t.fileName);
            t.kind = TableOutcome::Kind::Converted;
            server.exec(QStringLiteral("Das Lesen"), QStringLiteral("RELEASE SAVEPOINT tabelle"));
        } catch (const EngineError& e) {
            t.kind = TableOutcome::Kind::Failed;
            t.error = e.message();
            finishTransaction(server, QStringLiteral("ROLLBACK TO SAVEPOINT tabelle"));
        }
        outcomes << t;
    }
    finishTransaction(server, QStringLiteral("COMMIT"));
    return outcomes;
}

} // namespace ServerTransfer
