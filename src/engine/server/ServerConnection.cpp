#include "ServerConnection.h"

#include "HostLookup.h"

#include <libpq-fe.h>

#include <QByteArrayList>
#include <vector>

namespace {

QString trimmed(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

// libpq's own messages run over several lines; the first says what happened.
QString firstLine(const char* text) {
    return trimmed(text).section(u'\n', 0, 0).trimmed();
}

void ignoreNotice(void*, const char*) {}

// A German sentence for the server's codes a user meets, followed by the server's own text.
QString reasonOf(const QByteArray& sqlState, const QString& serverText) {
    if (sqlState == "42501")
        return QStringLiteral("Diese Anmeldung hat dazu kein Recht (%1)").arg(serverText);
    if (sqlState == "42P01")
        return QStringLiteral("Die Tabelle fehlt auf dem Server (%1)").arg(serverText);
    if (sqlState == "42P07")
        return QStringLiteral("Die Tabelle besteht auf dem Server schon (%1)").arg(serverText);
    if (sqlState == "25006")
        return QStringLiteral("Der Server nimmt nur Lesezugriffe an (%1)").arg(serverText);
    if (sqlState == "08001")
        return QStringLiteral("Der Server ist nicht erreichbar (%1)").arg(serverText);
    if (sqlState == "57014")
        return QStringLiteral("Der Server hat die Anweisung nach zu langer Zeit abgebrochen (%1)")
            .arg(serverText);
    if (sqlState.startsWith("08") || sqlState.startsWith("57P"))
        return QStringLiteral("Die Verbindung zum Server ist abgerissen (%1)").arg(serverText);
    if (sqlState.startsWith("22") || sqlState.startsWith("23"))
        return QStringLiteral("Der Server weist einen Wert zurück (%1)").arg(serverText);
    return QStringLiteral("Der Server meldet einen Fehler (%1)").arg(serverText);
}

// Database, host (or socket folder) and port of a connection, as libpq resolved them from
// the string, the service file and the environment; the password is never read.
QString describe(PGconn* conn) {
    QString host, port, dbname, user;
    if (PQconninfoOption* options = PQconninfo(conn)) {
        for (PQconninfoOption* o = options; o->keyword; ++o) {
            const QString value = o->val ? QString::fromUtf8(o->val) : QString();
            const QByteArray key(o->keyword);
            // A host given once for each of its addresses is named once.
            if (key == "host" || (key == "hostaddr" && host.isEmpty())) {
                QStringList hosts = value.split(u',', Qt::SkipEmptyParts);
                hosts.removeDuplicates();
                if (!hosts.isEmpty())
                    host = hosts.join(u',');
            } else if (key == "port") {
                port = value;
            } else if (key == "dbname")
                dbname = value;
            else if (key == "user")
                user = value;
        }
        PQconninfoFree(options);
    }
    if (dbname.isEmpty())
        dbname = user;
    QString server = host.isEmpty() ? QStringLiteral("lokaler Server") : host;
    if (!port.isEmpty())
        server += QStringLiteral(", Port %1").arg(port);
    return QStringLiteral("Datenbank „%1“ (%2)").arg(dbname, server);
}

} // namespace

ServerResult::~ServerResult() {
    PQclear(m_result);
}

ServerResult::ServerResult(ServerResult&& other) noexcept : m_result(other.m_result) {
    other.m_result = nullptr;
}

ServerResult& ServerResult::operator=(ServerResult&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = other.m_result;
        other.m_result = nullptr;
    }
    return *this;
}

int ServerResult::rows() const {
    return m_result ? PQntuples(m_result) : 0;
}

bool ServerResult::isNull(int row, int column) const {
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArray ServerResult::bytes(int row, int column) const {
    if (isNull(row, column))
        return {};
    const char* value = PQgetvalue(m_result, row, column);
    return QByteArray(value, PQgetlength(m_result, row, column));
}

long ServerResult::affectedRows() const {
    return m_result ? QByteArray(PQcmdTuples(m_result)).toLong() : 0;
}

bool ServerConnection::isConnectionString(const QString& text) {
    if (text.startsWith(QLatin1String("postgresql://")) ||
        text.startsWith(QLatin1String("postgres://")))
        return true;
    if (!text.contains(u'='))
        return false;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &error);
    PQfreemem(error);
    PQconninfoFree(options);
    return options != nullptr;
}

ServerConnection::ServerConnection(const QString& conninfo, const HostLookup::Target& known) {
    const QByteArray timeout = QByteArray::number(kConnectTimeout);
    const QByteArray info = conninfo.toUtf8();
    // Later keywords override earlier ones: the time-out is a default the string may change,
    // the encoding is fixed, since every text is exchanged as UTF-8.
    const QByteArray deadPeer = QByteArray::number(kDeadPeerTimeout * 1000);
    std::vector<const char*> keywords, values;
    if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT")) {
        keywords.push_back("connect_timeout");
        values.push_back(timeout.constData());
    }
    // A TCP peer that no longer answers is dead after 3 s of silence and 3 unanswered probes
    // 2 s apart, or when data sent stays unacknowledged that long (no effect on a socket).
    keywords.insert(keywords.end(), {"keepalives", "keepalives_idle", "keepalives_interval",
                                     "keepalives_count", "tcp_user_timeout"});
    values.insert(values.end(), {"1", "3", "2", "3", deadPeer.constData()});
    keywords.insert(keywords.end(), {"dbname", "fallback_application_name", "client_encoding"});
    values.insert(values.end(), {info.constData(), "vantora", "UTF8"});
    // The host's addresses, looked up within the time-out; a connection opened anew after a
    // break connects to them again without asking the name server.
    m_target = known.addresses.isEmpty() ? HostLookup::resolve(conninfo, kConnectTimeout) : known;
    m_target.endParameters(keywords, values);
    m_conn = PQconnectdbParams(keywords.data(), values.data(), 1);
    if (!m_conn)
        throw ServerError(QStringLiteral("Für die Verbindung zum Datenbankserver fehlt Speicher"),
                          {});
    m_name = describe(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString reason = trimmed(PQerrorMessage(m_conn));
        PQfinish(m_conn);
        m_conn = nullptr;
        throw ServerError(QStringLiteral("Keine Verbindung zu %1: %2").arg(m_name, reason), {});
    }
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
}

ServerConnection::~ServerConnection() {
    m_row = ServerResult();
    PQfreemem(m_copyRow);
    PQfinish(m_conn);
}

void ServerConnection::setStatementTimeout(int seconds) {
    m_statementTimeout = seconds;
    applySettings();
}

void ServerConnection::applySettings() {
    exec(QStringLiteral("Das Einstellen der Zeitgrenze"),
         QStringLiteral("SELECT pg_catalog.set_config('statement_timeout', $1, false)"),
         {QByteArray::number(m_statementTimeout * 1000)});
}

bool ServerConnection::closed() {
    if (PQstatus(m_conn) != CONNECTION_OK)
        return true;
    if (m_inTransaction)
        return false;
    // A server that stopped, or ended this session, sent a last notice and closed the socket
    // while the connection was idle: reading what is there (without waiting) finds that out.
    for (int i = 0; i < 2 && PQstatus(m_conn) == CONNECTION_OK; ++i)
        PQconsumeInput(m_conn);
    return PQstatus(m_conn) != CONNECTION_OK;
}

bool ServerConnection::readyFor(const QString& what, const QString& sql) {
    const bool rollback = sql == QLatin1String("ROLLBACK");
    if (m_transactionLost) {
        if (!rollback)
            failLost(what, QStringLiteral("Die Verbindung zum Server ist abgerissen; was seit dem "
                                          "Beginn der Transaktion geschah, ist verloren"));
        m_transactionLost = false;
        return false;
    }
    if (!closed())
        return true;
    if (rollback)
        return false; // nothing is left to roll back on a closed connection
    m_row = ServerResult();
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK)
        failLost(what, reasonOf("08001", firstLine(PQerrorMessage(m_conn))));
    m_inTransaction = false;
    if (m_statementTimeout > 0)
        applySettings();
    return true;
}

void ServerConnection::failLost(const QString& what, const QString& reason) {
    throw ServerError(QStringLiteral("%1 in %2 misslungen: %3").arg(what, m_name, reason), "08006");
}

void ServerConnection::fail(const QString& what, pg_result* result) {
    QByteArray sqlState;
    QString serverText;
    if (result) {
        sqlState = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        serverText = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
        PQclear(result);
    }
    if (serverText.isEmpty())
        serverText = firstLine(PQerrorMessage(m_conn));
    if (PQstatus(m_conn) == CONNECTION_BAD && sqlState.isEmpty())
        sqlState = "08006";
    discardResults();
    // A transaction under way is lost with the connection; on a live one it may have failed.
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_transactionLost = m_inTransaction;
        m_inTransaction = false;
    } else {
        m_inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    }
    throw ServerError(
        QStringLiteral("%1 in %2 misslungen: %3").arg(what, m_name, reasonOf(sqlState, serverText)),
        sqlState);
}

void ServerConnection::discardResults() {
    // So that the connection takes the next statement.
    m_row = ServerResult();
    while (PGresult* rest = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(rest);
        PQclear(rest);
        if (status == PGRES_COPY_IN)
            PQputCopyEnd(m_conn, "abgebrochen");
        else if (status == PGRES_COPY_OUT || PQstatus(m_conn) == CONNECTION_BAD)
            break;
    }
}

ServerResult ServerConnection::exec(const QString& what, const QString& sql,
                                    const QList<QByteArray>& params) {
    if (!readyFor(what, sql))
        return ServerResult();
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const QByteArray& p : params)
        values.push_back(p.isNull() ? nullptr : p.constData());
    PGresult* result = PQexecParams(m_conn, sql.toUtf8().constData(), int(values.size()), nullptr,
                                    values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        if (sql == QLatin1String("ROLLBACK")) {
            // Failed or not, the transaction is over; on a connection that broke, with it.
            PQclear(result);
            discardResults();
            m_inTransaction = false;
            return ServerResult();
        }
        fail(what, result);
    }
    m_inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    return ServerResult(result);
}

void ServerConnection::unexpectedRows(const QString& what) const {
    throw ServerError(QStringLiteral("%1 in %2 misslungen: Der Server sendet die Zeilen in "
                                     "unerwarteter Form")
                          .arg(what, m_name),
                      {});
}

QString ServerConnection::identifier(const QString& name) const {
    const QByteArray utf8 = name.toUtf8();
    char* quoted = PQescapeIdentifier(m_conn, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        throw ServerError(QStringLiteral("Der Name %1 ist unbrauchbar (%2)")
                              .arg(name, trimmed(PQerrorMessage(m_conn))),
                          {});
    const QString result = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return result;
}

void ServerConnection::beginCopyIn(const QString& what, const QString& sql) {
    m_copyWhat = what;
    readyFor(what, sql);
    PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
    if (PQresultStatus(result) != PGRES_COPY_IN)
        fail(what, result);
    PQclear(result);
}

void ServerConnection::putCopyData(const QByteArray& data) {
    if (data.isEmpty())
        return;
    if (PQputCopyData(m_conn, data.constData(), int(data.size())) != 1)
        fail(m_copyWhat);
}

long ServerConnection::endCopyIn() {
    if (PQputCopyEnd(m_conn, nullptr) != 1)
        fail(m_copyWhat);
    const long rows = copyEnded(m_copyWhat);
    m_inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    return rows;
}

void ServerConnection::beginCopyOut(const QString& what, const QString& sql) {
    PGresult* result = PQexec(m_conn, sql.toUtf8().constData());
    if (PQresultStatus(result) != PGRES_COPY_OUT)
        fail(what, result);
    PQclear(result);
}

bool ServerConnection::nextCopyRow(const QString& what, const char*& data, int& size) {
    PQfreemem(m_copyRow);
    m_copyRow = nullptr;
    size = PQgetCopyData(m_conn, &m_copyRow, 0);
    data = m_copyRow;
    if (size == -2)
        fail(what);
    return size >= 0;
}

long ServerConnection::endCopyOut(const QString& what) {
    return copyEnded(what);
}

long ServerConnection::copyEnded(const QString& what) {
    PGresult* result = PQgetResult(m_conn);
    if (PQresultStatus(result) != PGRES_COMMAND_OK)
        fail(what, result);
    const long rows = ServerResult(result).affectedRows();
    while (PGresult* rest = PQgetResult(m_conn))
        PQclear(rest);
    return rows;
}

void ServerConnection::abandonCopyOut() {
    PQfreemem(m_copyRow);
    m_copyRow = nullptr;
    char* rest = nullptr;
    while (PQgetCopyData(m_conn, &rest, 0) >= 0) {
        PQfreemem(rest);
        rest = nullptr;
    }
    discardResults();
}

void ServerConnection::startSingleRows(const QString& what, const QString& sql) {
    readyFor(what, sql);
    if (!PQsendQueryParams(m_conn, sql.toUtf8().constData(), 0, nullptr, nullptr, nullptr, nullptr,
                           0))
        fail(what);
    PQsetSingleRowMode(m_conn);
}

ServerResult* ServerConnection::nextSingleRow(const QString& what) {
    PGresult* result = PQgetResult(m_conn);
    const ExecStatusType status = PQresultStatus(result);
    if (status == PGRES_SINGLE_TUPLE) {
        m_row = ServerResult(result);
        return &m_row;
    }
    m_row = ServerResult();
    if (status != PGRES_TUPLES_OK)
        fail(what, result);
    PQclear(result);
    while (PGresult* rest = PQgetResult(m_conn))
        PQclear(rest);
    m_inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    return nullptr;
}
