#include "ServerFloor.h"

#include <cstdio>
#include <libpq-fe.h>

int ServerFloor::run(const QString& conninfo) {
    PGconn* conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(conn));
        PQfinish(conn);
        return 1;
    }
    long long sink = 0;
    bool ok = true;
    for (const char* table : {"TipsData", "CDData", "GameData"}) {
        const QByteArray latest = QByteArray("SELECT \"Ausgabe\" FROM \"") + table +
                                  "\" ORDER BY \"Ausgabe\" DESC LIMIT 1";
        PGresult* r = PQexec(conn, latest.constData());
        ok = ok && PQresultStatus(r) == PGRES_TUPLES_OK;
        sink += PQntuples(r) > 0 ? PQgetlength(r, 0, 0) : 0;
        PQclear(r);
    }
    PGresult* r = PQexec(conn, "SELECT vantora_key FROM \"GameData\" ORDER BY upper(\"TITEL\")");
    ok = ok && PQresultStatus(r) == PGRES_TUPLES_OK;
    for (int row = 0; row < PQntuples(r); ++row)
        sink += PQgetlength(r, row, 0);
    PQclear(r);
    PQfinish(conn);
    if (!ok)
        std::fprintf(stderr, "the server floor's statements were refused\n");
    return ok && sink >= 0 ? 0 : 1;
}
