#pragma once

#include "EngineError.h"
#include "HostLookup.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct pg_conn;
struct pg_result;

// A failure reported by the database server or on the way to it, in German for the program's
// boxes, naming the server (never the password). sqlState() is the server's five-character
// code ("42P07": the table exists, "42501": the login lacks the right), empty when the server
// was not reached.
class ServerError : public EngineError {
public:
    ServerError(const QString& message, const QByteArray& sqlState)
        : EngineError(message), m_sqlState(sqlState) {}
    QByteArray sqlState() const { return m_sqlState; }

private:
    QByteArray m_sqlState;
};

// The result of one statement; owns it.
class ServerResult {
public:
    explicit ServerResult(pg_result* result = nullptr) : m_result(result) {}
    ~ServerResult();
    ServerResult(ServerResult&& other) noexcept;
    ServerResult& operator=(ServerResult&& other) noexcept;
    ServerResult(const ServerResult&) = delete;
    ServerResult& operator=(const ServerResult&) = delete;

    int rows() const;
    bool isNull(int row, int column) const;
    // The field as UTF-8 text; a null array for NULL.
    QByteArray bytes(int row, int column) const;
    QString text(int row, int column) const { return QString::fromUtf8(bytes(row, column)); }
    // How many rows the statement touched (COPY: rows copied).
    long affectedRows() const;

private:
    pg_result* m_result;
};

// One connection to the database server, opened from a libpq connection string
// ("host=... dbname=...", "service=vantora") or a postgresql:// URI. Passwords come from
// libpq's password or service file or the string itself and are never repeated in a message.
// Every value travels as a parameter or in a COPY, never inside statement text.
//
// A server that goes away is noticed: over TCP, keepalives and a limit on unacknowledged data
// find a dead peer within about 10 seconds; a server that stopped or ended the session closes
// the socket. A connection found closed before a statement is opened anew (same string), so
// the next statement after the server is back works. A transaction that was under way when the
// connection broke is lost with it: every statement but ROLLBACK then fails until ROLLBACK, so
// that its rest never runs on the new connection on its own.
class ServerConnection {
public:
    // Seconds a connection attempt may take when neither the string nor PGCONNECT_TIMEOUT
    // says otherwise.
    static constexpr int kConnectTimeout = 10;
    // Seconds of silence after which a TCP peer is taken for dead (keepalives and the limit on
    // unacknowledged data, unless the string says otherwise).
    static constexpr int kDeadPeerTimeout = 9;
    // Seconds the program lets one statement run (see setStatementTimeout).
    static constexpr int kStatementTimeout = 10;

    // Whether `text` is a connection string rather than a folder: a postgresql:// or
    // postgres:// URI, or key=value pairs that libpq accepts.
    static bool isConnectionString(const QString& text);

    // Connects; throws ServerError naming the server when that fails. `known`, the addresses
    // another connection to the same server looked up, spares a lookup of the host's name.
    explicit ServerConnection(const QString& conninfo, const HostLookup::Target& known = {});
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // The server in words for messages: database, host or socket folder and port.
    QString name() const { return m_name; }
    // The host's addresses the connection was opened with, for another connection to the same
    // server (empty when libpq looked nothing up).
    const HostLookup::Target& target() const { return m_target; }

    // Ends every statement that runs longer than `seconds` on the server (0: no limit), on
    // this connection and on the ones it is opened anew as.
    void setStatementTimeout(int seconds);

    // Runs `sql` with `params` ($1, $2, ...; a null QByteArray is NULL); throws ServerError
    // starting with `what` when the server refuses.
    ServerResult exec(const QString& what, const QString& sql,
                      const QList<QByteArray>& params = {});

    // Throws the failure of `what` for rows that come in a form other than the one asked for.
    [[noreturn]] void unexpectedRows(const QString& what) const;

    // `name` quoted as an identifier for statement text.
    QString identifier(const QString& name) const;

    // COPY ... FROM STDIN: begin with the statement, put the rows in CopyText form in pieces
    // of any size, end to learn the rows stored. A failure throws; the copy is then over.
    void beginCopyIn(const QString& what, const QString& sql);
    void putCopyData(const QByteArray& data);
    long endCopyIn();

    // COPY ... TO STDOUT: `row` is called with each row's data as the server sends it (in the
    // copy's format), valid during the call. Returns the rows copied.
    template <typename RowFunction>
    long eachCopyRow(const QString& what, const QString& sql, RowFunction row) {
        beginCopyOut(what, sql);
        try {
            const char* data = nullptr;
            int size = 0;
            while (nextCopyRow(what, data, size))
                row(data, size);
        } catch (...) {
            abandonCopyOut();
            throw;
        }
        return endCopyOut(what);
    }

    // Reads the rows of `sql` one at a time without holding the whole result: `row` is called
    // with each row's result (one row).
    template <typename RowFunction>
    void eachRow(const QString& what, const QString& sql, RowFunction row) {
        startSingleRows(what, sql);
        try {
            while (ServerResult* r = nextSingleRow(what))
                row(*r);
        } catch (...) {
            discardResults();
            throw;
        }
    }

private:
    [[noreturn]] void fail(const QString& what, pg_result* result = nullptr);
    // The copy's closing result: the rows it moved; throws when the server refused it.
    long copyEnded(const QString& what);
    [[noreturn]] void failLost(const QString& what, const QString& reason);
    // Before a statement: opens a connection the server closed anew, or fails when a
    // transaction was lost with it. False for a ROLLBACK there is nothing to send for.
    bool readyFor(const QString& what, const QString& sql);
    // Whether the connection is closed, by what the server left on it while it was idle.
    bool closed();
    void applySettings();
    void startSingleRows(const QString& what, const QString& sql);
    ServerResult* nextSingleRow(const QString& what);
    void beginCopyOut(const QString& what, const QString& sql);
    // The next row of the copy under way; false at its end.
    bool nextCopyRow(const QString& what, const char*& data, int& size);
    long endCopyOut(const QString& what);
    // Reads and drops the rest of a copy, so that the connection takes the next statement.
    void abandonCopyOut();
    // Reads and drops what the server still sends for the statement under way.
    void discardResults();

    pg_conn* m_conn = nullptr;
    HostLookup::Target m_target;
    QString m_name;
    QString m_copyWhat;
    char* m_copyRow = nullptr; // the row last read from a copy, the client library's memory
    ServerResult m_row;
    int m_statementTimeout = 0;
    bool m_inTransaction = false;   // the last statement left a transaction open
    bool m_transactionLost = false; // it broke with the connection; only ROLLBACK goes on
};
