#!/usr/bin/env bash
# A throw-away PostgreSQL cluster for the checks, reachable only through a Unix socket in its
# own folder.
#   cluster.sh start DIR   makes DIR (empty or missing), starts a server there and prints the
#                          connection string of its superuser: host=DIR port=PORT user=NAME
#   cluster.sh stop DIR    stops it (fast: sessions are ended, the server shuts down cleanly);
#                          the caller removes DIR.
#   cluster.sh kill DIR    stops it at once (immediate: no clean shut-down, recovery at the
#                          next start), as a crash would.
#   cluster.sh restart DIR starts a stopped cluster again on the same socket and port.
# Run as root, the server runs as the postgres user, as the server refuses to run as root.
set -euo pipefail

usage() { echo "usage: $0 start|stop|kill|restart DIR" >&2; exit 64; }
[ $# -eq 2 ] || usage
action=$1
dir=$2

bindir() {
    if command -v pg_ctl >/dev/null 2>&1; then
        dirname "$(command -v pg_ctl)"
        return
    fi
    local newest
    newest=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [ -n "$newest" ] && [ -x "$newest/pg_ctl" ] || { echo "no PostgreSQL server installed" >&2; exit 69; }
    echo "$newest"
}
bin=$(bindir)

owner=$(id -un)
as_owner() { "$@"; }
if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    as_owner() { runuser -u postgres -- "$@"; }
fi

serve() {
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
        -o "-k $dir -c listen_addresses='' -p $port -c fsync=off" start >/dev/null ||
        { cat "$dir/server.log" >&2; exit 70; }
}

case "$action" in
start)
    mkdir -p "$dir"
    [ -z "$(ls -A "$dir")" ] || { echo "$dir is not empty" >&2; exit 73; }
    chmod 700 "$dir"
    [ "$owner" = "$(id -un)" ] || chown "$owner" "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -A trust -U "$owner" -E UTF8 --locale=C.UTF-8 \
        >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 70; }
    # The port only names the socket in DIR; one not in use elsewhere keeps tools that look
    # at the default folder from mistaking it.
    for _ in $(seq 20); do
        port=$(( 20000 + RANDOM % 40000 ))
        [ -e "/var/run/postgresql/.s.PGSQL.$port" ] || break
    done
    echo "$port" >"$dir/port"
    serve
    echo "host=$dir port=$port user=$owner"
    ;;
stop | kill)
    [ -d "$dir/data" ] || exit 0
    mode=fast
    [ "$action" = kill ] && mode=immediate
    as_owner "$bin/pg_ctl" -D "$dir/data" -m "$mode" -w -t 60 stop >/dev/null
    ;;
restart)
    port=$(cat "$dir/port")
    serve
    ;;
*)
    usage
    ;;
esac
