#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// libpq looks a server's host name up itself, and waits for the name server as long as the
// system's resolver lets it (20 s and more when the name server does not answer). A connection
// looks the name up here instead, for no longer than it may take to connect, and hands libpq
// the address (`hostaddr`) beside the name, which then still serves the password file and the
// certificate check. A connection opened anew after a break uses the address again.
namespace HostLookup {

// What libpq is to connect to for `conninfo` instead of looking the host up itself: the host
// name once for each of its addresses (`host`) and the addresses (`hostaddr`), in the order the
// resolver gave them, which libpq then tries in turn. Both empty when libpq looks nothing up (a
// socket folder, a numeric address, an address given already) or when the name is not found
// (libpq then says so itself). A list of hosts, and a host that only a service file names, are
// left to libpq. The lookup waits as long as connecting may take (the string's
// connect_timeout, else PGCONNECT_TIMEOUT, else `defaultTimeout` seconds); throws ServerError
// naming the host when no answer came by then.
struct Target {
    QByteArray hosts;
    QByteArray addresses;
    // Ends libpq's keyword and value lists, with the host and its addresses last, so that they
    // override the connection string's host (as an expanded `dbname` given before them).
    void endParameters(std::vector<const char*>& keywords, std::vector<const char*>& values) const;
};
Target resolve(const QString& conninfo, int defaultTimeout);

} // namespace HostLookup
