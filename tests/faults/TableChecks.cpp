#include "TableChecks.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace TableChecks {

QString integrityAfterReopen(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return QStringLiteral("cannot open: ") + why;
    }
    QStringList lines;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) != SQLITE_OK)
        lines << QStringLiteral("cannot check: ") + QString::fromUtf8(sqlite3_errmsg(db));
    while (st && sqlite3_step(st) == SQLITE_ROW)
        lines << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return lines.join(u'\n');
}

bool hasJournal(const QString& path) {
    return QFileInfo(path + QStringLiteral("-journal")).size() > 0;
}

bool hasHotJournal(const QString& path) {
    QFile journal(path + QStringLiteral("-journal"));
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    return journal.read(8) == QByteArrayLiteral("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7");
}

} // namespace TableChecks
