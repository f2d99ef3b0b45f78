#include "ServerListener.h"

#include <libpq-fe.h>

#include <QSocketNotifier>
#include <vector>

namespace {

constexpr int kFirstPause = 500;
constexpr int kLongestPause = 10000;

void ignoreNotice(void*, const char*) {}

} // namespace

ServerListener::ServerListener(const QString& conninfo, const QString& channel,
                               const HostLookup::Target& target, QObject* parent)
    : QObject(parent), m_conninfo(conninfo), m_channel(channel), m_target(target) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &ServerListener::connectNow);
    m_attempt.setSingleShot(true);
    m_attempt.setInterval(kAttemptTimeout * 1000);
    connect(&m_attempt, &QTimer::timeout, this, [this] { drop(); });
    m_retry.start(0);
}

ServerListener::~ServerListener() {
    forgetSocket();
    PQfinish(m_conn);
}

void ServerListener::connectNow() {
    const QByteArray info = m_conninfo.toUtf8();
    // Defaults first, which the string may override: a connection over the network that dies
    // without a word (a cable pulled) is noticed within about a minute. The application name
    // tells the administrator which of the program's connections this is.
    std::vector<const char*> keywords{"keepalives_idle",           "keepalives_interval",
                                      "keepalives_count",          "dbname",
                                      "fallback_application_name", "client_encoding"};
    std::vector<const char*> values{"30", "10", "3", info.constData(), "vantora-listener", "UTF8"};
    m_target.endParameters(keywords, values);
    m_conn = PQconnectStartParams(keywords.data(), values.data(), 1);
    if (!m_conn || PQstatus(m_conn) == CONNECTION_BAD) {
        drop();
        return;
    }
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    m_phase = Phase::Connecting;
    m_attempt.start();
    // A connection just started waits for its socket to take the first words.
    m_socket = -1;
    watch(false, true);
}

void ServerListener::watch(bool read, bool write) {
    const int socket = m_conn ? PQsocket(m_conn) : -1;
    if (socket != m_socket || socket < 0) {
        forgetSocket();
        m_socket = socket;
        if (socket >= 0) {
            m_readable = new QSocketNotifier(socket, QSocketNotifier::Read, this);
            m_writable = new QSocketNotifier(socket, QSocketNotifier::Write, this);
            connect(m_readable, &QSocketNotifier::activated, this, [this] {
                if (m_phase == Phase::Connecting)
                    pollConnection();
                else
                    readInput();
            });
            connect(m_writable, &QSocketNotifier::activated, this, &ServerListener::pollConnection);
        }
    }
    if (m_readable)
        m_readable->setEnabled(read);
    if (m_writable)
        m_writable->setEnabled(write);
}

void ServerListener::pollConnection() {
    if (m_phase != Phase::Connecting)
        return;
    switch (PQconnectPoll(m_conn)) {
    case PGRES_POLLING_READING:
        watch(true, false);
        return;
    case PGRES_POLLING_WRITING:
        watch(false, true);
        return;
    case PGRES_POLLING_OK:
        break;
    default:
        drop();
        return;
    }
    char* quoted = PQescapeIdentifier(m_conn, m_channel.toUtf8().constData(),
                                      size_t(m_channel.toUtf8().size()));
    const bool sent =
        quoted && PQsendQuery(m_conn, (QByteArray("LISTEN ") + quoted).constData()) == 1;
    PQfreemem(quoted);
    if (!sent) {
        drop();
        return;
    }
    m_phase = Phase::Subscribing;
    watch(true, false);
}

void ServerListener::readInput() {
    if (!m_conn || PQconsumeInput(m_conn) == 0) {
        drop();
        return;
    }
    while (!PQisBusy(m_conn)) {
        PGresult* result = PQgetResult(m_conn);
        if (!result)
            break;
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        if (m_phase != Phase::Subscribing)
            continue;
        if (status != PGRES_COMMAND_OK) {
            // A server that refuses to listen (a standby replaying another's changes) will
            // refuse again: the program then notices changes at its next query only.
            drop(true);
            return;
        }
        m_phase = Phase::Listening;
        m_pause = kFirstPause;
        m_attempt.stop();
        emit listening();
        if (!m_conn)
            return;
    }
    QStringList payloads;
    while (PGnotify* n = PQnotifies(m_conn)) {
        const QString payload = QString::fromUtf8(n->extra);
        if (!payloads.contains(payload))
            payloads << payload;
        PQfreemem(n);
    }
    for (const QString& payload : std::as_const(payloads)) {
        emit notified(payload);
        if (!m_conn)
            return;
    }
    if (PQstatus(m_conn) == CONNECTION_BAD)
        drop();
}

void ServerListener::forgetSocket() {
    // A notifier may be the one whose signal is being handled: it goes once that is over.
    for (QSocketNotifier* n : {m_readable, m_writable}) {
        if (!n)
            continue;
        n->setEnabled(false);
        n->deleteLater();
    }
    m_readable = m_writable = nullptr;
    m_socket = -1;
}

void ServerListener::drop(bool giveUp) {
    forgetSocket();
    PQfinish(m_conn);
    m_conn = nullptr;
    m_attempt.stop();
    if (giveUp) {
        m_phase = Phase::GivenUp;
        return;
    }
    m_phase = Phase::Waiting;
    m_retry.start(m_pause);
    m_pause = qMin(m_pause * 2, kLongestPause);
}
