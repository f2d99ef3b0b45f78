#include "TableFileCheck.h"

#include "Connection.h"
#include "PreparedStatement.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <sqlite3.h>

namespace TableFileCheck {

namespace {

// What changes when a file is written, replaced or cut short.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    QDateTime statusChanged;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const QString& path) {
    const QFileInfo info(path);
    return {info.size(), info.lastModified(), info.metadataChangeTime()};
}

struct Verdict {
    FileStamp stamp;
    bool ok = false;
};

// Every file checked in this run, with its state at that time.
QHash<QString, Verdict>& checked() {
    static QHash<QString, Verdict> files;
    return files;
}

QString keyOf(const Connection& connection) {
    return QFileInfo(connection.filePath()).canonicalFilePath();
}

bool quickCheckIsOk(sqlite3* db) {
    PreparedStatement st(db, "PRAGMA quick_check(1)");
    if (!st)
        return false;
    bool ok = false;
    if (sqlite3_step(st) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        ok = text && qstrcmp(text, "ok") == 0;
    }
    // A page that cannot be read at all ends the check with an error instead of a row.
    if (st.finalize() != SQLITE_OK)
        ok = false;
    return ok;
}

} // namespace

bool passes(Connection& connection) {
    const QString key = keyOf(connection);
    const FileStamp now = stampOf(connection.filePath());
    const auto it = checked().constFind(key);
    if (it != checked().constEnd() && it->stamp == now)
        return it->ok;
    const bool ok = quickCheckIsOk(connection.handle());
    checked().insert(key, {now, ok});
    return ok;
}

void noteOwnWrite(const Connection& connection) {
    const QString key = keyOf(connection);
    const auto it = checked().find(key);
    if (it != checked().end() && it->ok)
        it->stamp = stampOf(connection.filePath());
}

} // namespace TableFileCheck
