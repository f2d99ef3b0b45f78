#include "Query.h"

#include "RecordStore.h"

#include "Connection.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "SqliteMessage.h"
#include "TableImage.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include <sqlite3.h>

namespace {
// More than any screen shows at once.
constexpr uint32_t kHeadRows = 200;
static_assert(kHeadRows == EarlyResults::kRows);
} // namespace

Query::Query() = default;

Query::~Query() {
    close();
}

void Query::close() {
    m_stmt.finalize();
    m_rowStmt.finalize();
    m_prepared = false;
    m_open = false;
    m_row = 0;
    std::vector<uint32_t>().swap(m_slots);
    std::vector<uint8_t>().swap(m_marks);
    m_pending = false;
    m_pendingHits = 0;
    m_pendingFirst = -1;
    std::vector<uint32_t>().swap(m_head);
    m_headFromSqlite = false;
    m_headRead = false;
    m_cachedFields.clear();
    m_cachedCoded.clear();
    m_early.reset();
    // What the result built (sort orders, fields read, the first row) is kept for later starts
    // once it is done with, in one write.
    if (m_image && m_conn)
        m_conn->keepImage();
    m_image.reset();
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
    // A first start shows a result read early while its file is being written.
    if (!m_settledFrom)
        if ((m_early = EarlyResults::find(statementText()))) {
            m_prepared = true;
            return;
        }
    const TranslatedStatement t = LocalSqlTranslator::translate(statementText());
    if (t.selectList != QLatin1String("*"))
        throw EngineError(QStringLiteral("Nur SELECT * wird unterstützt"));
    QString path = t.tablePath;
    // A bare file name is looked up in the database directory.
    if (!path.contains(u'/') && !path.contains(u'\\') && !m_databaseDir.isEmpty())
        path = m_databaseDir + u'/' + path;
    // A file that mirrors a server's table is brought up to date with it first (not when
    // it takes over a result read early from the same contents).
    if (const QString found = m_settledFrom ? QString() : Connection::resolvePath(path);
        !found.isEmpty())
        if (const std::shared_ptr<RecordStore> store = RecordStore::of(found))
            store->refresh();
    std::shared_ptr<Connection> conn = Connection::open(path);

    // Cached fields the table lacks are left out; reading them gives empty texts.
    const QString select = QStringLiteral("SELECT ") + conn->rowIdName();
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
    // Conditions the engine evaluates itself spare stepping the whole file through SQLite; the
    // statement is still prepared, so a faulty one fails as before.
    m_filter.reset();
    if (engineSorts)
        m_filter = ViewFilter::parse(t.whereTail, *conn);
    const QString sql = select + QStringLiteral(" FROM ") +
                        LocalSqlTranslator::sqlIdentifier(conn->tableName()) + u' ' +
                        (engineSorts ? t.whereTail : t.tail);
    PreparedStatement st(conn->handle(), sql);
    if (!st)
        throw EngineError(QStringLiteral("Ungültige Anweisung: %1")
                              .arg(SqliteMessage::lastError(conn->handle())));
    m_conn = conn;
    m_stmt = std::move(st);
    m_prepared = true;
}

void Query::open() {
    if (m_open)
        return;
    prepare();
    if (m_early) {
        m_open = true;
        m_row = 0;
        return;
    }
    try {
        // The fields the conditions read come in from one pass over the file; the sort's
        // fields only when its order has to be built here.
        m_image = m_conn->image(m_filter ? m_filter->fields() : std::vector<int>());
        if (m_settledFrom)
            takeEarlyHead(*m_settledFrom);
        if (m_filter) {
            m_marks = m_filter->matches(*m_image);
            for (uint8_t m : m_marks)
                m_pendingHits += m;
            m_pending = true;
            // A result over every row whose order is not held is put in order only when a row
            // past the first is read (a latest-issue look-up reads the first alone). Without the
            // ranks at hand either, as on a first start, the first rows come from SQLite's
            // sort. Any other result is put in order now.
            const bool all = m_pendingHits == m_image->rowCount();
            m_headFromSqlite =
                all &&
                (m_image->hasHead(m_sortFields, kHeadRows) ||
                 !m_image->knowsFirstOfAll(m_sortFields)) &&
                !std::all_of(m_sortFields.begin(), m_sortFields.end(),
                             [&](const auto& key) { return m_image->hasRanks(key.first); });
            if (m_image->hasOrder(m_sortFields) || !all)
                fillRows();
        } else {
            stepThroughSqlite();
            if (!m_sortFields.empty())
                sortResult();
        }
        m_cachedFields.clear();
        for (const QString& name : std::as_const(m_cachedNames))
            m_cachedFields.push_back(m_conn->fieldIndex(name));
        m_cachedCoded.assign(m_cachedFields.size(), nullptr);
    } catch (const EngineError&) {
        close();
        throw;
    }
    m_open = true;
    m_row = 0;
}

void Query::fillRows() const {
    if (!m_pending)
        return;
    // A build begun on a thread of its own is waited for rather than done twice.
    if (!m_image->hasOrder(m_sortFields))
        m_conn->awaitSorts(m_sortFields);
    // Walking the sort's precomputed order keeps the matching rows already sorted.
    const std::vector<uint32_t>& order = m_image->order(m_sortFields);
    m_slots.reserve(m_pendingHits);
    for (uint32_t slot : order)
        if (m_marks[slot])
            m_slots.push_back(slot);
    m_pending = false;
}

void Query::takeEarlyHead(const EarlyResult& early) {
    const bool whole = early.keys.size() == size_t(std::min<qint64>(kHeadRows, early.rowCount));
    if (!m_filter || !m_filter->selectsAll() || m_sortFields.empty() || !whole ||
        uint64_t(early.rowCount) != m_image->rowCount())
        return;
    std::vector<uint32_t> head;
    for (qint64 key : early.keys) {
        const int64_t slot = m_image->slotOf(key);
        if (slot < 0)
            return;
        head.push_back(uint32_t(slot));
    }
    m_image->takeHead(m_sortFields, std::move(head), kHeadRows);
}

void Query::settle() const {
    if (!m_early)
        return;
    auto* self = const_cast<Query*>(this);
    const std::shared_ptr<const EarlyResult> early = m_early;
    const int row = m_row;
    self->m_early.reset();
    self->m_prepared = false;
    self->m_open = false;
    self->m_settledFrom = early;
    try {
        self->open();
    } catch (const EngineError&) {
        self->m_settledFrom.reset();
        self->m_early = early;
        self->m_prepared = self->m_open = true;
        throw;
    }
    self->m_settledFrom.reset();
    self->m_row = row;
}

void Query::prepareOrder() {
    if (!m_pending || !m_headFromSqlite)
        return;
    try {
        m_conn->prepareSorts({}, {m_sortFields});
    } catch (const EngineError&) {
        // Then the order is built when a row past the first ones is read.
    }
}

void Query::prepareFirstRows() {
    try {
        prepare();
        if (m_filter && m_filter->selectsAll() && !m_sortFields.empty())
            m_conn->prepareHead(m_sortFields, kHeadRows);
    } catch (const EngineError&) {
        // Then they are read when the result is opened, which reports the fault.
    }
}

bool Query::prepareUpperTexts(const QString& field) {
    const int f = fieldIndex(field);
    if (!m_open || f < 0)
        return true;
    if (m_early)
        return false;
    if (m_conn->building())
        return false;
    try {
        m_image->upperTexts(f);
    } catch (const EngineError&) {
        // Then the condition reads them, and reports the fault.
    }
    return true;
}

uint32_t Query::slotAt(int row) const {
    if (row < 0 || size_t(row) >= size_t(recordCount()))
        throw std::out_of_range("Query row");
    if (m_pending && m_headFromSqlite && size_t(row) < kHeadRows) {
        if (!m_headRead) {
            m_headRead = true;
            // Read on a thread of its own when it was begun there.
            if (!m_image->hasHead(m_sortFields, kHeadRows))
                m_conn->awaitHead(m_sortFields);
            m_head = m_image->headOfAll(m_sortFields, kHeadRows);
        }
        if (size_t(row) < m_head.size())
            return m_head[size_t(row)];
    }
    if (m_pending && row == 0) {
        if (m_pendingFirst < 0)
            m_pendingFirst = m_image->firstInOrder(m_sortFields, m_marks);
        return uint32_t(m_pendingFirst);
    }
    fillRows();
    return m_slots[size_t(row)];
}

void Query::stepThroughSqlite() {
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        // A row another program added after the image was taken is left out.
        const int64_t slot = m_image->slotOf(sqlite3_column_int64(m_stmt, 0));
        if (slot >= 0)
            m_slots.push_back(uint32_t(slot));
    }
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE)
        throw EngineError(SqliteMessage::lastError(m_conn->handle()));
}

void Query::sortResult() {
    std::vector<const std::vector<int32_t>*> ranks;
    for (const auto& [field, desc] : m_sortFields)
        ranks.push_back(&m_image->ranks(field));
    // Slots follow row ids, so the slot settles equal keys in row id order.
    std::sort(m_slots.begin(), m_slots.end(), [&](uint32_t a, uint32_t b) {
        for (size_t j = 0; j < ranks.size(); ++j) {
            const int32_t ra = (*ranks[j])[a], rb = (*ranks[j])[b];
            if (ra != rb)
                return m_sortFields[j].second ? ra > rb : ra < rb;
        }
        return a < b;
    });
}

const std::vector<uint8_t>& Query::resultMarks() const {
    settle();
    if (m_open && m_marks.empty() && !m_slots.empty()) {
        m_marks.assign(m_image->rowCount(), 0);
        for (uint32_t slot : m_slots)
            m_marks[slot] = 1;
    }
    return m_marks;
}

qint64 Query::rowId(int row) const {
    if (m_early) {
        if (row >= 0 && size_t(row) < m_early->keys.size())
            return m_early->keys[size_t(row)];
        settle();
    }
    return m_image->rowid(slotAt(row));
}

QStringList Query::fieldNames() const {
    if (m_early)
        return m_early->fieldNames;
    return m_conn ? m_conn->fieldNames() : QStringList();
}

int Query::fieldCount() const {
    if (m_early)
        return int(m_early->fieldNames.size());
    return m_conn ? int(m_conn->fields().size()) : 0;
}

int Query::fieldIndex(const QString& name) const {
    if (m_early) {
        for (int f = 0; f < m_early->fieldNames.size(); ++f)
            if (m_early->fieldNames[f].compare(name, Qt::CaseInsensitive) == 0)
                return f;
        return -1;
    }
    return m_conn ? m_conn->fieldIndex(name) : -1;
}

int Query::cachedFieldIndex(const QString& name) const {
    settle();
    for (int i = 0; i < m_cachedNames.size(); ++i)
        if (m_cachedNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return m_open ? i : -1;
    return -1;
}

const TableImage::Coded* Query::cachedCoded(int cachedField) const {
    settle();
    if (!m_open || cachedField < 0 || size_t(cachedField) >= m_cachedFields.size())
        return nullptr;
    const TableImage::Coded*& coded = m_cachedCoded[size_t(cachedField)];
    if (!coded) {
        // Read when a walk first asks, all cached fields in one pass over the file, unless the
        // image holds this one already.
        const int field = m_cachedFields[size_t(cachedField)];
        if (!m_image->hasCoded(field))
            m_image->loadCoded(m_cachedFields);
        coded = &m_image->coded(field);
    }
    return coded;
}

QByteArrayView Query::cachedBytes(int cachedField, int row) const {
    const TableImage::Coded* c = cachedCoded(cachedField);
    if (!c || row < 0 || row >= recordCount())
        return {};
    return c->distinct.texts.at(uint32_t(c->codes[slotAt(row)]));
}

QString Query::fieldByName(const QString& name) const {
    if (m_early && size_t(m_row) < m_early->keys.size()) {
        const int f = fieldIndex(name);
        if (f < 0)
            throw EngineError(QStringLiteral("Feld nicht gefunden: %1").arg(name));
        return value(m_row, f);
    }
    // The first row of a result not yet in order (a latest-issue look-up) is read from the
    // file alone, unless the image holds the field already.
    const int c = cachedFieldIndex(name);
    if (c >= 0 && (!m_pending || m_image->hasCoded(m_cachedFields[size_t(c)])))
        return QString::fromUtf8(cachedBytes(c));
    const int f = fieldIndex(name);
    if (f < 0)
        throw EngineError(QStringLiteral("Feld nicht gefunden: %1").arg(name));
    return value(m_row, f);
}

const QStringList* Query::fetchRow(int row) const {
    if (!m_open || row < 0 || row >= recordCount())
        return nullptr;
    if (m_early) {
        if (size_t(row) < m_early->values.size())
            return &m_early->values[size_t(row)];
        try {
            settle();
        } catch (const EngineError&) {
            // The file could not be written: the rows past the first ones show empty.
            return nullptr;
        }
    }
    if (const QStringList* hit = m_rows.object(row))
        return hit;
    qint64 id = 0;
    bool placed = true;
    try {
        id = rowId(row);
    } catch (const EngineError&) {
        // Rows past the first ones are put in order when first read: a file that cannot be
        // read by then shows them empty.
        placed = false;
    }
    m_rows.insert(row, new QStringList(readRow(id, placed)));
    return m_rows.object(row);
}

QStringList Query::readRow(qint64 rowid, bool present) const {
    if (!m_rowStmt) {
        const QString sql =
            QStringLiteral("SELECT * FROM %1 WHERE %2=?")
                .arg(LocalSqlTranslator::sqlIdentifier(m_conn->tableName()), m_conn->rowIdName());
        m_rowStmt = PreparedStatement(m_conn->handle(), sql);
        if (!m_rowStmt)
            m_conn->raise(QStringLiteral("Die Zeile kann nicht gelesen werden"));
    }
    sqlite3_bind_int64(m_rowStmt, 1, rowid);
    QStringList values;
    if (present && sqlite3_step(m_rowStmt) == SQLITE_ROW) {
        const int n = sqlite3_column_count(m_rowStmt);
        values.reserve(n);
        for (int c = 0; c < n; ++c) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_rowStmt, c));
            values.append(t ? QString::fromUtf8(t, sqlite3_column_bytes(m_rowStmt, c)) : QString());
        }
    } else {
        // The row went away under us (another program deleted it): show it empty.
        for (int c = 0; c < fieldCount(); ++c)
            values.append(QString());
    }
    sqlite3_reset(m_rowStmt);
    return values;
}

QString Query::valueAtSlot(uint32_t slot, int field) const {
    settle();
    if (!m_open || slot >= m_image->rowCount())
        return {};
    return readRow(m_image->rowid(slot), true).value(field);
}

QString Query::value(int row, int field) const {
    const QStringList* r = fetchRow(row);
    if (!r || field < 0 || field >= r->size())
        return {};
    return r->at(field);
}
