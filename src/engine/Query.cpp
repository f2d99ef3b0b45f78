#include "Query.h"

#include "ColumnStore.h"
#include "Connection.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "RankTable.h"

#include <algorithm>
#include <numeric>

#include <sqlite3.h>

Query::Query() = default;

Query::~Query() {
    close();
}

void Query::close() {
    if (m_stmt)
        sqlite3_finalize(m_stmt);
    if (m_rowStmt)
        sqlite3_finalize(m_rowStmt);
    m_stmt = nullptr;
    m_rowStmt = nullptr;
    m_prepared = false;
    m_open = false;
    m_row = 0;
    std::vector<qint64>().swap(m_rowids);
    m_cached.clear();
    m_rows.clear();
}

void Query::setSql(const QStringList& lines) {
    if (m_prepared || m_open)
        close();
    m_lines = lines;
}

void Query::addSqlLine(const QString& line) {
    if (m_prepared || m_open)
        close();
    m_lines.append(line);
}

void Query::prepare() {
    if (m_prepared)
        return;
    const TranslatedStatement t = LocalSqlTranslator::translate(statementText());
    if (t.selectList != QLatin1String("*"))
        throw EngineError(QStringLiteral("Nur SELECT * wird unterstützt"));
    QString path = t.tablePath;
    // A bare file name is looked up in the database directory.
    if (!path.contains(u'/') && !path.contains(u'\\') && !m_databaseDir.isEmpty())
        path = m_databaseDir + u'/' + path;
    std::shared_ptr<Connection> conn = Connection::open(path);

    // Cached fields the table lacks are left out; reading them gives empty texts.
    const QString select = QStringLiteral("SELECT rowid");
    QStringList present;
    for (const QString& name : std::as_const(m_requestedCached))
        if (conn->fieldIndex(name) >= 0)
            present << name;
    m_cachedNames = present;
    // A plain field list after ORDER BY is sorted by the engine itself over ranks of the
    // values, which each keystroke's re-query would otherwise pay for with a full sort.
    m_sortFields.clear();
    bool engineSorts = t.orderIsFieldList && !t.orderTerms.isEmpty();
    for (const auto& term : t.orderTerms) {
        const int f = conn->fieldIndex(term.field);
        if (f < 0)
            engineSorts = false;
        m_sortFields.emplace_back(f, term.descending);
    }
    if (!engineSorts)
        m_sortFields.clear();
    const QString sql = select + QStringLiteral(" FROM ") +
                        LocalSqlTranslator::sqlIdentifier(conn->tableName()) + u' ' +
                        (engineSorts ? t.whereTail : t.tail);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(conn->handle(), sql.toUtf8().constData(), -1, &st, nullptr) !=
        SQLITE_OK) {
        QString msg = QString::fromUtf8(sqlite3_errmsg(conn->handle()));
        sqlite3_finalize(st);
        throw EngineError(QStringLiteral("Ungültige Anweisung: \"%1\"").arg(msg));
    }
    m_conn = conn;
    m_stmt = st;
    m_prepared = true;
}

void Query::open() {
    if (m_open)
        return;
    prepare();
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW)
        m_rowids.push_back(sqlite3_column_int64(m_stmt, 0));
    if (rc != SQLITE_DONE) {
        QString msg = QString::fromUtf8(sqlite3_errmsg(m_conn->handle()));
        close();
        throw EngineError(QStringLiteral("Die Abfrage ist fehlgeschlagen: \"%1\"").arg(msg));
    }
    sqlite3_reset(m_stmt);
    try {
        if (!m_sortFields.empty())
            sortResult();
        // The column stores are read when a walk first asks for them.
        m_cached.assign(size_t(m_cachedNames.size()), nullptr);
    } catch (const EngineError&) {
        close();
        throw;
    }
    m_open = true;
    m_row = 0;
}

void Query::sortResult() {
    std::vector<std::shared_ptr<const RankTable>> tables;
    for (const auto& [field, desc] : m_sortFields)
        tables.push_back(m_conn->ranks(field));
    const size_t n = m_rowids.size();
    // One key per row and sort field, read once; rows of equal keys keep the table's order.
    const size_t k = m_sortFields.size();
    std::vector<int32_t> keys(n * k);
    for (size_t r = 0; r < n; ++r)
        for (size_t j = 0; j < k; ++j) {
            const int32_t rank = tables[j]->rank(m_rowids[r]);
            keys[r * k + j] = m_sortFields[j].second ? -rank : rank;
        }
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        for (size_t j = 0; j < k; ++j) {
            const int32_t ka = keys[a * k + j], kb = keys[b * k + j];
            if (ka != kb)
                return ka < kb;
        }
        return m_rowids[a] < m_rowids[b];
    });
    std::vector<qint64> ids(n);
    for (size_t r = 0; r < n; ++r)
        ids[r] = m_rowids[order[r]];
    m_rowids.swap(ids);
}

QStringList Query::fieldNames() const {
    QStringList names;
    if (m_conn)
        for (const auto& f : m_conn->fields())
            names << f.name;
    return names;
}

int Query::fieldCount() const {
    return m_conn ? int(m_conn->fields().size()) : 0;
}

int Query::fieldIndex(const QString& name) const {
    return m_conn ? m_conn->fieldIndex(name) : -1;
}

int Query::cachedFieldIndex(const QString& name) const {
    for (int i = 0; i < m_cachedNames.size(); ++i)
        if (m_cachedNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return m_open ? i : -1;
    return -1;
}

QByteArrayView Query::cachedBytes(int cachedField, int row) const {
    if (cachedField < 0 || size_t(cachedField) >= m_cached.size() || row < 0 ||
        row >= recordCount())
        return {};
    auto& store = m_cached[size_t(cachedField)];
    if (!store)
        store = m_conn->column(m_conn->fieldIndex(m_cachedNames[cachedField]));
    return store->text(m_rowids[size_t(row)]);
}

QString Query::fieldByName(const QString& name) const {
    const int c = cachedFieldIndex(name);
    if (c >= 0)
        return QString::fromUtf8(cachedBytes(c));
    const int f = fieldIndex(name);
    if (f < 0)
        throw EngineError(QStringLiteral("Feld nicht gefunden: %1").arg(name));
    return value(m_row, f);
}

const QStringList* Query::fetchRow(int row) const {
    if (!m_open || row < 0 || row >= recordCount())
        return nullptr;
    if (const QStringList* hit = m_rows.object(row))
        return hit;
    if (!m_rowStmt) {
        const QString sql = QStringLiteral("SELECT * FROM %1 WHERE rowid=?")
                                .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()));
        if (sqlite3_prepare_v2(m_conn->handle(), sql.toUtf8().constData(), -1, &m_rowStmt,
                               nullptr) != SQLITE_OK)
            m_conn->raise(QStringLiteral("Cannot read row"));
    }
    sqlite3_bind_int64(m_rowStmt, 1, m_rowids[size_t(row)]);
    auto* values = new QStringList;
    if (sqlite3_step(m_rowStmt) == SQLITE_ROW) {
        const int n = sqlite3_column_count(m_rowStmt);
        values->reserve(n);
        for (int c = 0; c < n; ++c) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_rowStmt, c));
            values->append(t ? QString::fromUtf8(t, sqlite3_column_bytes(m_rowStmt, c))
                             : QString());
        }
    } else {
        // The row went away under us (another program deleted it): show it empty.
        for (int c = 0; c < fieldCount(); ++c)
            values->append(QString());
    }
    sqlite3_reset(m_rowStmt);
    m_rows.insert(row, values);
    return m_rows.object(row);
}

QString Query::value(int row, int field) const {
    const QStringList* r = fetchRow(row);
    if (!r || field < 0 || field >= r->size())
        return {};
    return r->at(field);
}
