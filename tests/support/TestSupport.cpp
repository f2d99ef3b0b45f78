#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <sqlite3.h>

namespace TestSupport {

bool makeArchive(const QString& dir, int games, int disc, int tips, int seed) {
    QDir().mkpath(dir);
    QProcess p;
    p.start(QStringLiteral(VANTORA_MKDATA_PATH),
            {QStringLiteral("--out"), dir, QStringLiteral("--seed"), QString::number(seed),
             QStringLiteral("--games"), QString::number(games), QStringLiteral("--disc"),
             QString::number(disc), QStringLiteral("--tips"), QString::number(tips)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning() << "generator failed:" << p.readAllStandardError();
        return false;
    }
    return true;
}

void makeTable(const QString& path, const QString& table, const QString& schema,
               const QList<QStringList>& rows) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const QString create = QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table, schema);
    sqlite3_exec(db, create.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const QStringList& row : rows) {
        QStringList marks;
        for (int i = 0; i < row.size(); ++i)
            marks << QStringLiteral("?");
        const QString ins =
            QStringLiteral("INSERT INTO \"%1\" VALUES (%2)").arg(table, marks.join(u','));
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, ins.toUtf8().constData(), -1, &st, nullptr);
        for (int i = 0; i < row.size(); ++i) {
            if (row[i] == QLatin1String("\\N")) {
                sqlite3_bind_null(st, i + 1);
                continue;
            }
            bool isInt = false;
            const qlonglong v = row[i].toLongLong(&isInt);
            if (isInt && !row[i].startsWith(u'0'))
                sqlite3_bind_int64(st, i + 1, v);
            else {
                const QByteArray u = row[i].toUtf8();
                sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
        }
        sqlite3_step(st);
        sqlite3_finalize(st);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

QStringList readTable(const QString& path, const QString& table) {
    QStringList out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return out;
    }
    const QString sql = QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList fields;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                fields << (t ? QString::fromUtf8(t, sqlite3_column_bytes(st, c))
                             : QStringLiteral("\\N"));
            }
            out << fields.join(u'|');
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

void isolateEnvironment(const QString& root) {
    QDir().mkpath(root + QStringLiteral("/config"));
    QDir().mkpath(root + QStringLiteral("/xdg"));
    QDir().mkpath(root + QStringLiteral("/data"));
    QDir().mkpath(root + QStringLiteral("/runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", (root + QStringLiteral("/xdg")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toUtf8());
    // Cache files (the engine's, the Paradox copies) stay below the test unless it chose a
    // folder for them itself. A folder set by an earlier call belongs to a fixture that is
    // gone: writing there would bring its deleted folder back and leave it behind.
    static QByteArray ours;
    if (!qEnvironmentVariableIsSet("XDG_CACHE_HOME") || qgetenv("XDG_CACHE_HOME") == ours) {
        ours = (root + QStringLiteral("/cache")).toUtf8();
        qputenv("XDG_CACHE_HOME", ours);
    }
    QStandardPaths::setTestModeEnabled(false);
}

void makeTables(const QString& dataDir, const Rows& games, const Rows& disc, const Rows& tips) {
    makeTable(dataDir + QStringLiteral("/GameData.DB"), QStringLiteral("GameData"), kGamesSchema,
              games);
    makeTable(dataDir + QStringLiteral("/CDData.DB"), QStringLiteral("CDData"), kDiscSchema, disc);
    makeTable(dataDir + QStringLiteral("/TipsData.DB"), QStringLiteral("TipsData"), kTipsSchema,
              tips);
}

QStringList joined(const Rows& rows) {
    QStringList out;
    for (const QStringList& r : rows)
        out << r.join(u'|');
    return out;
}

} // namespace TestSupport
