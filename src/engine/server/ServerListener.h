#pragma once

#include "HostLookup.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;
struct pg_conn;

// A connection of its own to the database server that only listens on one channel (LISTEN),
// watched by socket notifiers in the thread that made it: it never waits for the server, so
// the windows never wait for it. It connects without blocking; when the connection fails or
// is lost (the server restarted, the connection ended by the administrator) it tries again
// quietly, after 0.5 s and then after longer pauses up to 10 s, and says nothing to the user.
// Each time the LISTEN is in place again, listening() is emitted: whatever was announced
// while it was away is lost, and the owner looks for itself.
class ServerListener : public QObject {
    Q_OBJECT
public:
    // Seconds a connection attempt may take before it is given up and tried again later.
    static constexpr int kAttemptTimeout = 10;

    // Starts connecting to `conninfo` (as ServerConnection takes it) on return to the event
    // loop; `channel` is a plain name. `target`, the host's addresses another connection looked
    // up, spares every attempt a lookup of the name, which libpq would wait for.
    ServerListener(const QString& conninfo, const QString& channel,
                   const HostLookup::Target& target = {}, QObject* parent = nullptr);
    ~ServerListener() override;

    // Whether the LISTEN is in place now.
    bool isListening() const { return m_phase == Phase::Listening; }

signals:
    // The LISTEN is in place: after the first connection and after every reconnection.
    void listening();
    // A notification on the channel, with its payload; one per payload and read.
    void notified(const QString& payload);

private:
    enum class Phase { Waiting, Connecting, Subscribing, Listening, GivenUp };

    void connectNow();
    void pollConnection();
    void readInput();
    // Drops the connection and tries again later (or never, after `giveUp`).
    void drop(bool giveUp = false);
    // Watches the connection's socket for reading or writing (a new socket after a change).
    void watch(bool read, bool write);
    void forgetSocket();

    QString m_conninfo;
    QString m_channel;
    HostLookup::Target m_target;
    pg_conn* m_conn = nullptr;
    Phase m_phase = Phase::Waiting;
    int m_socket = -1;
    QSocketNotifier* m_readable = nullptr;
    QSocketNotifier* m_writable = nullptr;
    QTimer m_retry;
    QTimer m_attempt;
    int m_pause = 500; // ms before the next attempt
};
