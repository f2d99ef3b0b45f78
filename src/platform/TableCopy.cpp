#include "TableCopy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <sqlite3.h>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace TableCopy {

namespace {

// Pages copied while the source is locked: a few hundred keep a writer's wait short.
constexpr int kPagesPerStep = 256;
// Pause while a writer holds the source.
constexpr int kBusyPauseMs = 20;
// Restarts after which the rest is copied in one step.
constexpr int kRestartsInSteps = 10;
// A source that never stays still for a whole copy gives up after this long.
constexpr int kGiveUpMs = 60000;

bool hasSqliteHeader(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

struct Database {
    sqlite3* db = nullptr;
    ~Database() { sqlite3_close_v2(db); }
};

// The source is opened for writing where it can be, so that a transaction a crashed
// program left in its journal is rolled back before it is read.
bool openSource(const QString& path, Database& source) {
    const int flags = QFileInfo(path).isWritable() ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    if (sqlite3_open_v2(nativePath(path).constData(), &source.db, flags, nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(source.db, kBusyPauseMs);
    return true;
}

bool backupInto(const QString& source, const QString& part) {
    Database from;
    Database to;
    if (!openSource(source, from))
        return false;
    if (sqlite3_open_v2(nativePath(part).constData(), &to.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return false;
    // The part file has no name of its own to protect until it is complete, so it needs no
    // journal; a full sync at each step's commit puts it on disk before the rename.
    sqlite3_exec(to.db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(to.db, "main", from.db, "main");
    if (!backup)
        return false;
    const QDeadlineTimer giveUp(kGiveUpMs);
    int pagesPerStep = kPagesPerStep;
    int restarts = 0;
    int rc;
    // The source is locked only during a step; a write between steps makes SQLite start
    // the copy again from the first page.
    for (;;) {
        const int before = sqlite3_backup_remaining(backup);
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_OK) {
            // A source written faster than it can be copied in steps is copied whole under
            // one read lock, which a writer waits out within its busy time-out.
            if (sqlite3_backup_remaining(backup) > before && ++restarts >= kRestartsInSteps)
                pagesPerStep = -1;
            continue;
        }
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || giveUp.hasExpired())
            break;
        sqlite3_sleep(kBusyPauseMs);
    }
    return sqlite3_backup_finish(backup) == SQLITE_OK && rc == SQLITE_DONE;
}

bool copyFile(const QString& source, const QString& part) {
    if (!QFile::copy(source, part))
        return false;
    QFile file(part);
    // The disc's files are read-only; a copy that stays so could not be replaced later.
    file.setPermissions(file.permissions() | QFile::WriteOwner | QFile::WriteUser);
    if (!file.open(QIODevice::ReadWrite))
        return false;
#ifdef Q_OS_UNIX
    // On disk before the rename makes it the table.
    return ::fsync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

void removeCompanions(const QString& path) {
    for (const char* suffix : kCompanionSuffixes)
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

bool copyTable(const QString& source, const QString& target) {
    if (!QFileInfo(source).isFile() || QFileInfo(source) == QFileInfo(target))
        return false;
    const QString part = target + QStringLiteral(".part");
    // Left by a copy that did not finish.
    QFile::remove(part);
    removeCompanions(part);
    const bool made = hasSqliteHeader(source) ? backupInto(source, part) : copyFile(source, part);
    if (!made) {
        QFile::remove(part);
        return false;
    }
    removeCompanions(target);
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(part.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), error);
    if (error) {
        QFile::remove(part);
        return false;
    }
    return true;
}

} // namespace TableCopy
