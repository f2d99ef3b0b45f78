#include "SqliteMessage.h"

#include <sqlite3.h>

namespace {

QString sentence(int primaryCode) {
    switch (primaryCode) {
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Tabellendatei ist beschädigt");
    case SQLITE_NOTADB:
        return QStringLiteral("Die Datei ist keine Tabellendatei");
    case SQLITE_READONLY:
        return QStringLiteral("Die Tabellendatei ist schreibgeschützt");
    case SQLITE_FULL:
        return QStringLiteral("Der Datenträger ist voll");
    case SQLITE_BUSY:
        return QStringLiteral("Die Tabellendatei wird gerade von einem anderen Programm benutzt");
    case SQLITE_LOCKED:
        return QStringLiteral("Die Tabelle ist gesperrt");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Die Tabellendatei kann nicht geöffnet werden");
    case SQLITE_IOERR:
        return QStringLiteral("Die Tabellendatei kann nicht gelesen oder geschrieben werden");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Der Zugriff auf die Tabellendatei ist nicht erlaubt");
    case SQLITE_NOMEM:
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus");
    case SQLITE_PROTOCOL:
        return QStringLiteral("Die Tabellendatei kann nicht gesperrt werden");
    case SQLITE_NOLFS:
        return QStringLiteral("Die Tabellendatei ist für dieses System zu groß");
    case SQLITE_TOOBIG:
        return QStringLiteral("Ein Feldinhalt ist zu groß");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Der Datensatz verletzt eine Regel der Tabelle");
    case SQLITE_MISMATCH:
        return QStringLiteral("Ein Feldinhalt hat den falschen Typ");
    case SQLITE_SCHEMA:
        return QStringLiteral("Der Aufbau der Tabelle hat sich geändert");
    case SQLITE_ABORT:
    case SQLITE_INTERRUPT:
        return QStringLiteral("Der Vorgang wurde abgebrochen");
    case SQLITE_RANGE:
    case SQLITE_MISUSE:
    case SQLITE_INTERNAL:
        return QStringLiteral("Interner Fehler der Datenbank");
    default:
        return QStringLiteral("Die Anweisung kann nicht ausgeführt werden");
    }
}

} // namespace

namespace SqliteMessage {

QString text(int resultCode, const char* english) {
    const QString original =
        QString::fromUtf8(english && *english ? english : sqlite3_errstr(resultCode));
    return sentence(resultCode & 0xff) + QStringLiteral(" (") + original + u')';
}

QString lastError(sqlite3* db) {
    if (!db)
        return text(SQLITE_NOMEM);
    return text(sqlite3_extended_errcode(db), sqlite3_errmsg(db));
}

} // namespace SqliteMessage
