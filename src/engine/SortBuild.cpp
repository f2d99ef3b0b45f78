#include "SortBuild.h"

#include "BuildTurns.h"
#include "EngineError.h"
#include "SqlFunctions.h"

#include <QFile>
#include <algorithm>
#include <sqlite3.h>

namespace SortBuild {

namespace {

struct ReadConnection {
    sqlite3* db = nullptr;
    ~ReadConnection() { sqlite3_close_v2(db); }
};

// SQLite asks between steps of a statement; a cancelled build stops its read there.
int stopWhenCancelled(void* cancelled) {
    return static_cast<const std::atomic<bool>*>(cancelled)->load() ? 1 : 0;
}

} // namespace

std::shared_ptr<TableImage> run(const Request& request, uint64_t turn,
                                const std::atomic<bool>& cancelled) {
    const BuildTurns::Turn held(turn, cancelled);
    if (!held.held() || request.fileState.size < 0)
        return nullptr;
    ReadConnection c;
    if (sqlite3_open_v2(QFile::encodeName(request.databaseFile).constData(), &c.db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_busy_timeout(c.db, 2000);
    // The first rows of a sort are read through SQLite with the engine's collation.
    SqlFunctions::registerAll(c.db);
    sqlite3_progress_handler(c.db, 10000, stopWhenCancelled,
                             const_cast<std::atomic<bool>*>(&cancelled));
    std::vector<int> fields = request.rankFields;
    for (const TableImage::SortSpec& spec : request.orders)
        for (const auto& [field, desc] : spec)
            fields.push_back(field);
    auto built =
        std::make_shared<TableImage>(c.db, request.table, request.fields, request.rowIdName);
    try {
        // One read transaction: the lock it holds keeps the file checked below the one that
        // was read, unwritten since its contents were proven.
        if (sqlite3_exec(c.db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
            return nullptr;
        built->loadRanks(fields);
        for (const TableImage::SortSpec& spec : request.heads)
            built->headOfAll(spec, request.headRows);
        const bool same = ContentProof::stateOf(request.databaseFile) == request.fileState;
        sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr);
        if (!same)
            return nullptr;
        for (const TableImage::SortSpec& spec : request.orders) {
            if (cancelled)
                return nullptr;
            built->order(spec);
        }
    } catch (const EngineError&) {
        return nullptr;
    }
    return built;
}

} // namespace SortBuild
