#include "PlainSqlite.h"

#include "RatingFigures.h"

#include <QElapsedTimer>
#include <QFile>
#include <sqlite3.h>

namespace PlainSqlite {

namespace {

sqlite3* openReadOnly(const QString& file) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    return db;
}

QByteArrayView column(sqlite3_stmt* st, int c) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    return t ? QByteArrayView(t, sqlite3_column_bytes(st, c)) : QByteArrayView();
}

double gatherStatistics(const QString& file, const QByteArray& sql) {
    QElapsedTimer t;
    t.start();
    sqlite3* db = openReadOnly(file);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        qWarning("floor statement rejected: %s", sqlite3_errmsg(db));
    RatingFigures figures(
        {"Action", "Adventures", "Simulationen", "Sport", "Strategie", "Denkspiele", "Budget"});
    while (st && sqlite3_step(st) == SQLITE_ROW)
        figures.addRow(column(st, 0), column(st, 1), column(st, 2));
    figures.finish();
    sqlite3_finalize(st);
    sqlite3_close(db);
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

double keystroke(const QString& gamesFile, const QByteArray& upperText) {
    QByteArray sql = "SELECT RUBRIK, WERTUNG, AUSGABE FROM GameData ";
    if (!upperText.isEmpty())
        sql += "WHERE upper(TITEL) LIKE '%" + QByteArray(upperText).replace("'", "''") + "%' ";
    sql += "ORDER BY TITEL COLLATE NOCASE";
    return gatherStatistics(gamesFile, sql);
}

double statistics(const QString& gamesFile) {
    return gatherStatistics(gamesFile, "SELECT RUBRIK, WERTUNG, AUSGABE FROM GameData");
}

int startupFloor(const QString& dataDir, bool firstScreen) {
    qint64 sink = 0;
    for (const char* table : {"TipsData", "CDData", "GameData"}) {
        sqlite3* db = openReadOnly(dataDir + u'/' + QLatin1String(table) + QStringLiteral(".DB"));
        sqlite3_stmt* st = nullptr;
        const QByteArray latest =
            QByteArray("SELECT AUSGABE FROM ") + table + " ORDER BY AUSGABE DESC LIMIT 1";
        sqlite3_prepare_v2(db, latest.constData(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            sink += sqlite3_column_bytes(st, 0);
        sqlite3_finalize(st);
        if (QByteArray(table) == "GameData") {
            const char* ordered = firstScreen
                                      ? "SELECT * FROM GameData ORDER BY TITEL COLLATE NOCASE "
                                        "LIMIT 40"
                                      : "SELECT rowid FROM GameData ORDER BY TITEL COLLATE NOCASE";
            sqlite3_prepare_v2(db, ordered, -1, &st, nullptr);
            while (st && sqlite3_step(st) == SQLITE_ROW)
                sink += sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
    }
    return sink == -1 ? 1 : 0;
}

} // namespace PlainSqlite
