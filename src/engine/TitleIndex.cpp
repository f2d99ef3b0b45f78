#include "TitleIndex.h"

#include "BuildTurns.h"
#include "Capitals.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "PreparedStatement.h"
#include "SqliteMessage.h"

#include <QFile>
#include <algorithm>
#include <sqlite3.h>

namespace {

struct ReadConnection {
    sqlite3* db = nullptr;
    PreparedStatement st; // finalized before the connection closes
    ~ReadConnection() {
        st.finalize();
        sqlite3_close_v2(db);
    }
    [[noreturn]] void fail() const {
        throw EngineError(QStringLiteral("Die Tabelle kann nicht gelesen werden: %1")
                              .arg(SqliteMessage::lastError(db)));
    }
};

} // namespace

uint32_t TitleIndex::hashOf(QByteArrayView upperText) {
    // FNV-1a: the same on every machine and run, so an index may be kept between runs.
    uint64_t h = 0xcbf29ce484222325ull;
    for (char c : upperText) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ull;
    }
    return uint32_t(h ^ (h >> 32));
}

void TitleIndex::add(uint32_t hash, qint64 rowid) {
    const bool fits = rowid >= 0 && rowid <= qint64(UINT32_MAX);
    if (!fits && m_wideRowids.empty() && !m_keys.empty()) {
        // From now on the low half is a place in m_wideRowids.
        for (size_t at = 0; at < m_keys.size(); ++at) {
            m_wideRowids.push_back(qint64(m_keys[at] & UINT32_MAX));
            m_keys[at] = (m_keys[at] & ~uint64_t(UINT32_MAX)) | at;
        }
    }
    if (!m_wideRowids.empty() || !fits) {
        m_keys.push_back(uint64_t(hash) << 32 | m_wideRowids.size());
        m_wideRowids.push_back(rowid);
    } else {
        m_keys.push_back(uint64_t(hash) << 32 | uint64_t(rowid));
    }
}

std::shared_ptr<const TitleIndex> TitleIndex::build(const QString& databaseFile,
                                                    const QString& table, const QString& field,
                                                    const QString& rowIdName, uint64_t turn,
                                                    const std::atomic<bool>& cancelled) {
    const BuildTurns::Turn held(turn, cancelled);
    if (!held.held())
        return nullptr;
    ReadConnection c;
    if (sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &c.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        c.fail();
    sqlite3_busy_timeout(c.db, 2000);
    const QString sql = QStringLiteral("SELECT %1, %2 FROM %3")
                            .arg(rowIdName, LocalSqlTranslator::sqlIdentifier(field),
                                 LocalSqlTranslator::sqlIdentifier(table));
    c.st = PreparedStatement(c.db, sql);
    if (!c.st)
        c.fail();
    auto index = std::make_shared<TitleIndex>();
    int rc;
    for (uint32_t row = 1; (rc = sqlite3_step(c.st)) == SQLITE_ROW; ++row) {
        if (row % 4096 == 0 && cancelled)
            return nullptr;
        if (sqlite3_column_type(c.st, 1) == SQLITE_NULL)
            continue;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(c.st, 1));
        const int length = sqlite3_column_bytes(c.st, 1);
        index->add(hashOf(Capitals::ofUtf8(QByteArrayView(text, length))),
                   sqlite3_column_int64(c.st, 0));
    }
    if (rc != SQLITE_DONE)
        c.fail();
    std::sort(index->m_keys.begin(), index->m_keys.end());
    index->m_keys.shrink_to_fit();
    index->m_wideRowids.shrink_to_fit();
    return index;
}

std::vector<qint64> TitleIndex::candidates(QByteArrayView upperText) const {
    const uint64_t hash = hashOf(upperText);
    auto first = std::lower_bound(m_keys.begin(), m_keys.end(), hash << 32);
    std::vector<qint64> rowids;
    for (; first != m_keys.end() && (*first >> 32) == hash; ++first) {
        const uint64_t low = *first & UINT32_MAX;
        rowids.push_back(m_wideRowids.empty() ? qint64(low) : m_wideRowids[low]);
    }
    std::sort(rowids.begin(), rowids.end());
    return rowids;
}
