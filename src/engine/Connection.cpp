#include "Connection.h"

#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "SqlFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>

namespace {

// Open files are shared while anyone holds them.
QHash<QString, std::weak_ptr<Connection>>& registry() {
    static QHash<QString, std::weak_ptr<Connection>> r;
    return r;
}

bool hasSqliteHeader(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

} // namespace

Connection::~Connection() {
    if (m_db)
        sqlite3_close_v2(m_db);
}

QString Connection::resolvePath(const QString& rawPath) {
    QString path = rawPath;
    path.replace(u'\\', u'/');
    QFileInfo info(path);
    if (info.isFile())
        return info.absoluteFilePath();
    QDir dir = info.absoluteDir();
    if (!dir.exists())
        return {};
    const QString wanted = info.fileName();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries)
        if (e.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(e);
    return {};
}

std::shared_ptr<Connection> Connection::open(const QString& rawPath) {
    const QString path = resolvePath(rawPath);
    if (path.isEmpty())
        throw EngineError(QStringLiteral("Table does not exist: %1").arg(rawPath));
    const QString key = QFileInfo(path).canonicalFilePath();
    if (auto existing = registry().value(key).lock())
        return existing;
    if (!hasSqliteHeader(path))
        throw EngineError(QStringLiteral("Not a table file: %1").arg(rawPath));

    std::shared_ptr<Connection> c(new Connection);
    c->m_path = path;
    c->m_readOnly = !QFileInfo(path).isWritable() || !QFileInfo(QFileInfo(path).absolutePath()).isWritable();
    const int flags = (c->m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                      SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &c->m_db, flags, nullptr) != SQLITE_OK) {
        QString msg = c->m_db ? QString::fromUtf8(sqlite3_errmsg(c->m_db)) : QString();
        throw EngineError(QStringLiteral("Cannot open table file %1: %2").arg(rawPath, msg));
    }
    sqlite3_extended_result_codes(c->m_db, 1);
    sqlite3_busy_timeout(c->m_db, 2000);
    SqlFunctions::registerAll(c->m_db);
    c->load();
    registry().insert(key, c);
    return c;
}

void Connection::load() {
    // A posted record must survive a crash or a power cut: full sync, rollback journal
    // (a journal beside the file would be left behind by the hard-disk copy).
    if (!m_readOnly)
        exec("PRAGMA synchronous=FULL");
    const QString baseName = QFileInfo(m_path).completeBaseName();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st,
                           nullptr) != SQLITE_OK)
        raise(QStringLiteral("Not a table file: %1").arg(m_path));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        if (name.compare(baseName, Qt::CaseInsensitive) == 0)
            m_table = name;
    }
    int rc = sqlite3_finalize(st);
    if (rc != SQLITE_OK)
        raise(QStringLiteral("Not a table file: %1").arg(m_path));
    if (m_table.isEmpty())
        throw EngineError(
            QStringLiteral("Table %1 not found in file %2").arg(baseName, m_path));

    const QString info = QStringLiteral("PRAGMA table_info(%1)").arg(LocalSqlTranslator::sqlIdentifier(m_table));
    if (sqlite3_prepare_v2(m_db, info.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        raise(QStringLiteral("Cannot read the fields of %1").arg(m_path));
    while (sqlite3_step(st) == SQLITE_ROW) {
        Field f;
        f.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2))).toUpper();
        f.integer = type.contains(QLatin1String("INT"));
        m_fields.append(f);
    }
    sqlite3_finalize(st);
    if (m_fields.isEmpty())
        throw EngineError(QStringLiteral("Table %1 has no fields").arg(m_table));
}

int Connection::fieldIndex(const QString& name) const {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Connection::exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        QString msg = QString::fromUtf8(err ? err : "unknown error");
        sqlite3_free(err);
        throw EngineError(msg);
    }
}

void Connection::raise(const QString& context) const {
    throw EngineError(context + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db)));
}
