#include "TableFile.h"

#include "WriteError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path fsPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

} // namespace

TableFile::TableFile(const QString& dir, const TableSpec& spec)
    : m_spec(spec), m_targetPath(QDir(dir).filePath(
                        QString::fromUtf8(spec.fileName.data(), qsizetype(spec.fileName.size())))),
      m_tempPath(
          QStringLiteral("%1.%2.tmp").arg(m_targetPath).arg(QCoreApplication::applicationPid())) {
    try {
        open();
    } catch (...) {
        close();
        QFile::remove(m_tempPath);
        throw;
    }
}

void TableFile::open() {
    QFile::remove(m_tempPath);
    if (sqlite3_open_v2(QFile::encodeName(m_tempPath).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail("cannot create");
    // Bulk loading only: the file is worthless until it is renamed into place, so neither a
    // journal nor syncing after each step is needed.
    exec("PRAGMA journal_mode=OFF");
    exec("PRAGMA synchronous=OFF");
    TableSchema::createTable(m_db, m_spec);
    exec("BEGIN");

    std::string sql = "INSERT INTO \"" + std::string(m_spec.table) + "\" VALUES (";
    for (int i = 0; i < m_spec.columnCount; ++i)
        sql += i ? ",?" : "?";
    sql += ")";
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &m_insert, nullptr) != SQLITE_OK)
        fail("cannot prepare the insert");
}

TableFile::~TableFile() {
    close();
    if (!m_finished)
        QFile::remove(m_tempPath);
}

void TableFile::insert(std::initializer_list<FieldValue> fields) {
    Q_ASSERT(int(fields.size()) == m_spec.columnCount);
    int column = 1;
    for (const FieldValue& f : fields) {
        if (f.text)
            sqlite3_bind_text(m_insert, column, f.text->data(), int(f.text->size()), SQLITE_STATIC);
        else if (f.number)
            sqlite3_bind_int(m_insert, column, *f.number);
        else
            sqlite3_bind_null(m_insert, column);
        ++column;
    }
    if (sqlite3_step(m_insert) != SQLITE_DONE)
        fail("cannot insert a row");
    sqlite3_reset(m_insert);
}

void TableFile::finish() {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    exec("COMMIT");
    // The rows must be on disk before the rename makes them the table.
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
        file->pMethods && file->pMethods->xSync(file, SQLITE_SYNC_FULL) != SQLITE_OK)
        fail("cannot flush");
    if (sqlite3_close(m_db) != SQLITE_OK)
        fail("cannot close");
    m_db = nullptr;

    std::error_code error;
    std::filesystem::rename(fsPath(m_tempPath), fsPath(m_targetPath), error);
    if (error)
        throw WriteError("cannot write " + m_targetPath.toStdString() + ": " + error.message());
    m_finished = true;
}

void TableFile::exec(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(std::string("cannot run ") + sql);
}

void TableFile::close() {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    sqlite3_close(m_db);
    m_db = nullptr;
}

void TableFile::fail(const std::string& what) const {
    const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    throw WriteError(what + " " + m_tempPath.toStdString() + ": " + reason);
}
