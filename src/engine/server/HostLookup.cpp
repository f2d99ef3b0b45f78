#include "HostLookup.h"

#include "ServerConnection.h"

#include <QMutex>
#include <algorithm>

#include <arpa/inet.h>
#include <ctime>
#include <libpq-fe.h>
#include <netdb.h>
#include <string>
#include <vector>

namespace {

// The host that libpq would look up for `conninfo`: its own host, else PGHOST; empty when an
// address is given or nothing is to be looked up. `timeout` receives the connect_timeout the
// string gives, if any.
QByteArray hostToLookUp(const QString& conninfo, int& timeout) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    PQfreemem(error);
    if (!options)
        return {};
    QByteArray host, address;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (!o->val)
            continue;
        if (qstrcmp(o->keyword, "host") == 0)
            host = o->val;
        else if (qstrcmp(o->keyword, "hostaddr") == 0)
            address = o->val;
        else if (qstrcmp(o->keyword, "connect_timeout") == 0)
            timeout = QByteArray(o->val).toInt();
    }
    PQconninfoFree(options);
    if (host.isEmpty() && address.isEmpty())
        host = qgetenv("PGHOST");
    if (!address.isEmpty() || host.isEmpty() || host.startsWith('/') || host.startsWith('@') ||
        host.contains(','))
        return {};
    unsigned char numeric[sizeof(in6_addr)];
    if (inet_pton(AF_INET, host.constData(), numeric) == 1 ||
        inet_pton(AF_INET6, host.constData(), numeric) == 1)
        return {};
    return host;
}

// One lookup under way; what the resolver's thread still uses stays allocated while it does.
struct Request {
    std::string name;
    addrinfo hints{};
    gaicb block{};
};

} // namespace

void HostLookup::Target::endParameters(std::vector<const char*>& keywords,
                                       std::vector<const char*>& values) const {
    if (!addresses.isEmpty()) {
        keywords.insert(keywords.end(), {"host", "hostaddr"});
        values.insert(values.end(), {hosts.constData(), addresses.constData()});
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
}

HostLookup::Target HostLookup::resolve(const QString& conninfo, int defaultTimeout) {
    int timeout = qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT")
                      ? qEnvironmentVariableIntValue("PGCONNECT_TIMEOUT")
                      : defaultTimeout;
    const QByteArray host = hostToLookUp(conninfo, timeout);
    if (host.isEmpty())
        return {};
    auto* request = new Request;
    request->name = host.toStdString();
    request->hints.ai_socktype = SOCK_STREAM;
    request->block.ar_name = request->name.c_str();
    request->block.ar_request = &request->hints;
    gaicb* list[] = {&request->block};
    if (getaddrinfo_a(GAI_NOWAIT, list, 1, nullptr) != 0) {
        delete request;
        return {};
    }
    // As libpq takes connect_timeout: none or 0 waits without end, and at least 2 seconds.
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += timeout > 0 ? std::max(timeout, 2) : 0;
    int state = gai_error(&request->block);
    while (state == EAI_INPROGRESS) {
        const gaicb* waiting[] = {&request->block};
        if (timeout <= 0) {
            gai_suspend(waiting, 1, nullptr);
        } else {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const qint64 left = (qint64(deadline.tv_sec) - now.tv_sec) * 1000000000 +
                                (deadline.tv_nsec - now.tv_nsec);
            if (left <= 0)
                break;
            const timespec wait{time_t(left / 1000000000), long(left % 1000000000)};
            gai_suspend(waiting, 1, &wait);
        }
        state = gai_error(&request->block);
    }
    if (state == EAI_INPROGRESS) {
        // The resolver's thread may still use a request it would not give up: it stays
        // allocated, and known, to the end of the program.
        if (gai_cancel(&request->block) == EAI_CANCELED) {
            delete request;
        } else {
            // Never destroyed: the thread may still write to it while the program ends.
            static QMutex lock;
            static auto* abandoned = new std::vector<Request*>;
            const QMutexLocker locker(&lock);
            abandoned->push_back(request);
        }
        throw ServerError(QStringLiteral("Keine Verbindung zum Server %1: Der Name lässt sich "
                                         "nicht rechtzeitig auflösen, der Namensserver antwortet "
                                         "nicht")
                              .arg(QString::fromUtf8(host)),
                          "08001");
    }
    Target target;
    if (state == 0) {
        for (const addrinfo* found = request->block.ar_result; found; found = found->ai_next) {
            char text[INET6_ADDRSTRLEN] = {};
            if (getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0,
                            NI_NUMERICHOST) != 0 ||
                target.addresses.split(',').contains(QByteArray(text)))
                continue;
            if (!target.addresses.isEmpty()) {
                target.addresses += ',';
                target.hosts += ',';
            }
            target.addresses += text;
            target.hosts += host;
        }
        freeaddrinfo(request->block.ar_result);
    }
    delete request;
    return target;
}
