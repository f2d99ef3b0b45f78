#include "Connection.h"

#include "BuildTurns.h"
#include "EngineError.h"
#include "LocalSqlTranslator.h"
#include "ParadoxReader.h"
#include "PreparedStatement.h"
#include "RecordStore.h"
#include "SortBuild.h"
#include "SqlFunctions.h"
#include "SqliteMessage.h"
#include "TableImage.h"
#include "TitleIndex.h"
#include "cache/ImageCache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>

namespace {

// SQLite's count of the memory it holds takes one mutex of the whole process at every
// allocation, which files written side by side on several threads then queue for; nothing
// here reads that count. It can be switched off only before SQLite's first use.
[[maybe_unused]] const bool kMemoryCountOff =
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;

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

// Whether the file a connection reads was deleted or replaced since it was opened, as a
// fresh copy of the tables written over the old ones does.
bool fileHasMoved(sqlite3* db) {
    int moved = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    return moved != 0;
}

// A named pipe or a device in place of a table would block the first read for good, and a
// folder is no table either: only a regular file (after following links) is opened.
void requireRegularFile(const QString& path, const QString& rawPath) {
    if (!QFileInfo(path).isFile())
        throw EngineError(QStringLiteral("Keine gewöhnliche Datei: %1").arg(rawPath));
}

} // namespace

Connection::~Connection() {
    // A build still running stops at its next check; its end is awaited before the file closes.
    for (auto& [field, build] : m_titleIndexes)
        *build.cancelled = true;
    for (SortRun& run : m_sortRuns)
        *run.cancelled = true;
    m_titleIndexes.clear();
    m_sortRuns.clear();
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
    // A file still being written is opened once it is complete.
    RecordStore::awaitFile(rawPath);
    const QString path = resolvePath(rawPath);
    if (path.isEmpty())
        throw EngineError(QStringLiteral("Die Tabelle existiert nicht: %1").arg(rawPath));
    requireRegularFile(path, rawPath);
    const QString key = QFileInfo(path).canonicalFilePath();
    // A connection to a file that has since been replaced keeps serving whoever holds it,
    // but new users get the file that is there now.
    if (auto existing = registry().value(key).lock(); existing && !fileHasMoved(existing->m_db))
        return existing;
    std::shared_ptr<Connection> c(new Connection);
    c->m_path = path;
    QString databaseFile = path;
    if (!hasSqliteHeader(path)) {
        if (!ParadoxReader::looksLikeParadox(path))
            throw EngineError(QStringLiteral("Keine Tabellendatei: %1").arg(rawPath));
        // A Paradox table is read through an SQLite copy of it and is never written.
        databaseFile = ParadoxReader::cachedCopy(path);
        c->m_paradox = true;
    }
    c->m_readOnly = c->m_paradox || !QFileInfo(path).isWritable() ||
                    !QFileInfo(QFileInfo(path).absolutePath()).isWritable();
    const int flags =
        (c->m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &c->m_db, flags, nullptr) !=
        SQLITE_OK) {
        throw EngineError(QStringLiteral("Die Tabellendatei %1 kann nicht geöffnet werden: %2")
                              .arg(rawPath, SqliteMessage::lastError(c->m_db)));
    }
    sqlite3_extended_result_codes(c->m_db, 1);
    sqlite3_busy_timeout(c->m_db, 2000);
    SqlFunctions::registerAll(c->m_db);
    c->load();
    c->m_proofAhead = std::async(std::launch::async, ContentProof::of, databaseFile,
                                 ImageCache::describe(c->m_table, c->describedFields()));
    registry().insert(key, c);
    return c;
}

void Connection::load() {
    // A posted record must survive a crash or a power cut: full sync, rollback journal
    // (a journal beside the file would be left behind by the hard-disk copy). A mirror of a
    // server's table holds nothing the server has not stored first, and is read anew from it
    // whenever in doubt: waiting for the disk at each of its records would only slow imports.
    if (!m_readOnly)
        exec(RecordStore::of(m_path) ? "PRAGMA synchronous=OFF" : "PRAGMA synchronous=FULL");
    const QString baseName = QFileInfo(m_path).completeBaseName();
    PreparedStatement tables(m_db, "SELECT name FROM sqlite_master WHERE type='table'");
    if (!tables)
        raise(QStringLiteral("Keine Tabellendatei: %1").arg(m_path));
    while (sqlite3_step(tables) == SQLITE_ROW) {
        QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(tables, 0)));
        if (name.compare(baseName, Qt::CaseInsensitive) == 0)
            m_table = name;
    }
    if (tables.finalize() != SQLITE_OK)
        raise(QStringLiteral("Keine Tabellendatei: %1").arg(m_path));
    if (m_table.isEmpty())
        throw EngineError(
            QStringLiteral("Die Tabelle %1 fehlt in der Datei %2").arg(baseName, m_path));

    const QString info =
        QStringLiteral("PRAGMA table_info(%1)").arg(LocalSqlTranslator::sqlIdentifier(m_table));
    PreparedStatement st(m_db, info);
    if (!st)
        raise(QStringLiteral("Die Felder von %1 können nicht gelesen werden").arg(m_path));
    while (sqlite3_step(st) == SQLITE_ROW) {
        Field f;
        f.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        f.type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        f.integer = f.type.toUpper().contains(QLatin1String("INT"));
        m_fields.append(f);
    }
    if (m_fields.isEmpty())
        throw EngineError(QStringLiteral("Die Tabelle %1 hat keine Felder").arg(m_table));
    findRowIdName();
}

void Connection::findRowIdName() {
    // A field may take one of the row id's names for itself; the first free one still names
    // the row id, unless the table keeps none (WITHOUT ROWID).
    for (const char* candidate : {"rowid", "oid", "_rowid_"}) {
        const QString name = QLatin1String(candidate);
        if (fieldIndex(name) >= 0)
            continue;
        const QString probe = QStringLiteral("SELECT %1 FROM %2 LIMIT 0")
                                  .arg(name, LocalSqlTranslator::sqlIdentifier(m_table));
        if (PreparedStatement(m_db, probe))
            m_rowIdName = name;
        break;
    }
    if (m_rowIdName.isEmpty())
        throw EngineError(QStringLiteral("Die Tabelle %1 hat keine eindeutigen Zeilennummern und "
                                         "kann nicht geöffnet werden.")
                              .arg(QFileInfo(m_path).fileName()));
}

QStringList Connection::fieldNames() const {
    QStringList names;
    for (const Field& f : m_fields)
        names << f.name;
    return names;
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
        QString msg = QStringLiteral("Datenbankfehler: ") +
                      SqliteMessage::text(sqlite3_extended_errcode(m_db), err);
        sqlite3_free(err);
        throw EngineError(msg);
    }
}

void Connection::raise(const QString& context) const {
    throw EngineError(context + QStringLiteral(": ") + SqliteMessage::lastError(m_db));
}

qint64 Connection::changeStamp() {
    // data_version moves when another connection commits; total_changes counts our own.
    qint64 version = 0;
    PreparedStatement st(m_db, "PRAGMA data_version");
    if (st && sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int64(st, 0);
    return (version << 40) ^ sqlite3_total_changes64(m_db);
}

QStringList Connection::describedFields() const {
    QStringList described;
    for (const Field& f : std::as_const(m_fields))
        described << f.name + u'\t' + f.type;
    return described;
}

void Connection::freshImage() {
    QStringList names;
    for (const Field& f : std::as_const(m_fields))
        names << f.name;
    // A result still holding the former image keeps it until it is closed.
    m_image = std::make_shared<TableImage>(m_db, m_table, names, m_rowIdName);
    m_imageProof = {};
    // Inside a transaction of our own the file may hold pages not committed yet: nothing is
    // proven then, and nothing kept.
    if (!sqlite3_get_autocommit(m_db)) {
        m_imageStamp = changeStamp();
        return;
    }
    // The read lock keeps other programs from committing while the file is read whole.
    const bool locked = sqlite3_exec(m_db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr,
                                     nullptr, nullptr) == SQLITE_OK;
    m_imageStamp = changeStamp();
    const QString file = QString::fromUtf8(sqlite3_db_filename(m_db, "main"));
    if (m_proofAhead.valid())
        m_imageProof = m_proofAhead.get();
    // The proof taken ahead holds while the file is the same, unwritten since.
    if (!locked || fileHasMoved(m_db))
        m_imageProof = {};
    else if (m_imageProof.key.isEmpty() || ContentProof::stateOf(file) != m_imageProof.state)
        m_imageProof = ContentProof::of(file, ImageCache::describe(m_table, describedFields()));
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    ImageCache::restore(m_imageProof.key, int(m_fields.size()), *m_image);
}

std::shared_ptr<TableImage> Connection::image(const std::vector<int>& fields) {
    if (!m_image || m_imageStamp != changeStamp())
        freshImage();
    m_image->load(fields);
    return m_image;
}

void Connection::keepImage() {
    // A change since the proof was taken may have reached the parts built since.
    if (m_image && m_image->hasNewParts() && m_imageStamp == changeStamp())
        ImageCache::store(m_imageProof.key, m_image);
}

void Connection::releaseImage() {
    keepImage();
    m_image.reset();
}

Connection::TitleIndexBuild& Connection::startTitleIndex(int field, qint64 stamp) {
    TitleIndexBuild& build = m_titleIndexes[field];
    if (build.cancelled)
        *build.cancelled = true;
    build.stamp = stamp;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    build.cancelled = cancelled;
    // The thread reads through a connection of its own; it holds nothing of this one.
    build.result =
        std::async(std::launch::async, [file = QString::fromUtf8(sqlite3_db_filename(m_db, "main")),
                                        table = m_table, name = m_fields[field].name,
                                        rowIdName = m_rowIdName, turn = BuildTurns::take(),
                                        cancelled] {
            return TitleIndex::build(file, table, name, rowIdName, turn, *cancelled);
        }).share();
    return build;
}

void Connection::prepareTitleIndex(int field) {
    if (field < 0 || field >= m_fields.size())
        return;
    const qint64 stamp = changeStamp();
    const auto held = m_titleIndexes.find(field);
    if (held == m_titleIndexes.end() || held->second.stamp != stamp)
        startTitleIndex(field, stamp);
}

std::shared_ptr<const TitleIndex> Connection::titleIndex(int field) {
    if (field < 0 || field >= m_fields.size())
        throw EngineError(QStringLiteral("Feldnummer außerhalb des gültigen Bereichs"));
    const qint64 stamp = changeStamp();
    auto held = m_titleIndexes.find(field);
    TitleIndexBuild& build = held != m_titleIndexes.end() && held->second.stamp == stamp
                                 ? held->second
                                 : startTitleIndex(field, stamp);
    try {
        return build.result.get();
    } catch (const EngineError&) {
        // Tried again at the next look-up: the file may have been busy.
        m_titleIndexes.erase(field);
        throw;
    }
}

bool Connection::SortRun::bringsHead(const TableImage::SortSpec& spec) const {
    return std::find(heads.begin(), heads.end(), spec) != heads.end();
}

bool Connection::SortRun::brings(const TableImage::SortSpec& spec) const {
    if (std::find(orders.begin(), orders.end(), spec) != orders.end())
        return true;
    return std::all_of(spec.begin(), spec.end(), [&](const auto& key) {
        return std::find(rankFields.begin(), rankFields.end(), key.first) != rankFields.end();
    });
}

template <typename Brings>
std::vector<Connection::SortRun>::iterator Connection::runBringing(Brings brings) {
    return std::find_if(m_sortRuns.begin(), m_sortRuns.end(),
                        [&](const SortRun& r) { return r.stamp == m_imageStamp && brings(r); });
}

void Connection::prepareSorts(const std::vector<int>& rankFields,
                              const std::vector<TableImage::SortSpec>& orders) {
    const std::shared_ptr<TableImage> current = image();
    if (m_imageProof.key.isEmpty())
        return; // a file in WAL mode cannot be told unchanged: built when needed
    const auto running = [&](auto&& brought) { return runBringing(brought) != m_sortRuns.end(); };
    SortRun run;
    for (int field : rankFields)
        if (field >= 0 && field < m_fields.size() && !current->hasRanks(field) &&
            std::find(run.rankFields.begin(), run.rankFields.end(), field) ==
                run.rankFields.end() &&
            !running([&](const SortRun& r) {
                return std::find(r.rankFields.begin(), r.rankFields.end(), field) !=
                       r.rankFields.end();
            }))
            run.rankFields.push_back(field);
    for (const TableImage::SortSpec& spec : orders)
        if (!current->hasOrder(spec) && !running([&](const SortRun& r) { return r.brings(spec); }))
            run.orders.push_back(spec);
    if (run.rankFields.empty() && run.orders.empty())
        return;
    startRun(std::move(run));
}

void Connection::prepareHead(const TableImage::SortSpec& spec, uint32_t rows) {
    const std::shared_ptr<TableImage> current = image();
    if (m_imageProof.key.isEmpty() || current->hasHead(spec, rows) ||
        current->knowsFirstOfAll(spec) ||
        runBringing([&](const SortRun& r) { return r.bringsHead(spec); }) != m_sortRuns.end())
        return;
    SortRun run;
    run.heads.push_back(spec);
    run.headRows = rows;
    startRun(std::move(run));
}

void Connection::startRun(SortRun run) {
    run.stamp = m_imageStamp;
    run.contentKey = m_imageProof.key;
    run.cancelled = std::make_shared<std::atomic<bool>>(false);
    SortBuild::Request request;
    request.databaseFile = QString::fromUtf8(sqlite3_db_filename(m_db, "main"));
    request.table = m_table;
    for (const Field& f : std::as_const(m_fields))
        request.fields << f.name;
    request.rowIdName = m_rowIdName;
    request.fileState = m_imageProof.state;
    request.rankFields = run.rankFields;
    request.orders = run.orders;
    request.heads = run.heads;
    request.headRows = run.headRows;
    run.result =
        std::async(std::launch::async, [request, turn = BuildTurns::take(),
                                        cancelled = run.cancelled, self = weak_from_this()] {
            std::shared_ptr<TableImage> built = SortBuild::run(request, turn, *cancelled);
            // Taken in on the windows' thread once it is free.
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(
                    app,
                    [self] {
                        if (const std::shared_ptr<Connection> c = self.lock()) {
                            try {
                                c->adoptSorts();
                            } catch (const EngineError&) {
                                // The file cannot be read now: built when needed.
                            }
                        }
                    },
                    Qt::QueuedConnection);
            return built;
        }).share();
    m_sortRuns.push_back(std::move(run));
}

void Connection::adoptSorts() {
    std::vector<SortRun> finished;
    for (auto it = m_sortRuns.begin(); it != m_sortRuns.end();) {
        if (it->result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            finished.push_back(std::move(*it));
            it = m_sortRuns.erase(it);
        } else {
            ++it;
        }
    }
    if (finished.empty())
        return;
    const qint64 stamp = changeStamp();
    // An image no result reads is let go of once its parts are kept: they are read back from
    // the cache file when first needed.
    const bool inUse = m_image && m_imageStamp == stamp && m_image.use_count() > 1;
    for (SortRun& run : finished) {
        std::shared_ptr<TableImage> built;
        try {
            built = run.result.get();
        } catch (...) {
            continue; // built when first needed instead
        }
        if (!built || run.stamp != stamp)
            continue;
        const std::shared_ptr<TableImage> current = image();
        if (m_imageProof.key == run.contentKey)
            current->adopt(*built);
    }
    if (inUse)
        keepImage();
    else if (m_image)
        releaseImage();
}

bool Connection::awaitSorts(const TableImage::SortSpec& spec) {
    return awaitRun([&](const SortRun& r) { return r.brings(spec); });
}

bool Connection::awaitHead(const TableImage::SortSpec& spec) {
    return awaitRun([&](const SortRun& r) { return r.bringsHead(spec); });
}

template <typename Brings> bool Connection::awaitRun(Brings brings) {
    const auto run = runBringing(brings);
    if (run == m_sortRuns.end())
        return false;
    run->result.wait();
    adoptSorts();
    return true;
}

void Connection::finishSorts() {
    for (const std::weak_ptr<Connection>& weak : std::as_const(registry())) {
        const std::shared_ptr<Connection> c = weak.lock();
        if (!c)
            continue;
        for (const SortRun& run : c->m_sortRuns)
            run.result.wait();
        c->adoptSorts();
    }
}
