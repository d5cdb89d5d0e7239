#!/usr/bin/env bash
# A private PostgreSQL server for the tests, in DIR alone: its data in DIR/data, listening on a
# Unix socket in DIR and on no TCP port, with a database mensuro_test that the user running
# this reaches without a password at postgresql:///mensuro_test?host=DIR.
#   private-postgres.sh start DIR   makes and starts it (DIR made when missing); silent when it
#                                   works
#   private-postgres.sh start DIR PORT CERT KEY
#                                   the same, and it listens on 127.0.0.1:PORT as well, for TLS
#                                   connections only (any role, no password), with the server
#                                   certificate CERT and its private key KEY; each connection is
#                                   logged in DIR/server.log with its TLS protocol
#   private-postgres.sh stop DIR    stops it and removes DIR
# PostgreSQL refuses to run as root, so as root the server runs as the `postgres` system user
# and DIR belongs to it. A socket path has room for about 100 bytes: DIR is a short folder such
# as one from `mktemp -d`.
set -euo pipefail

usage() {
  echo "usage: $0 start DIR [PORT CERT KEY] | stop DIR" >&2
  exit 2
}
{ [ $# -eq 2 ] || { [ $# -eq 5 ] && [ "$1" = start ]; }; } || usage
action="$1"
dir="$2"
tls_port="${3:-}"
tls_cert="${4:-}"
tls_key="${5:-}"
if [ -n "$tls_port" ]; then
  { [[ "$tls_port" =~ ^[1-9][0-9]{0,4}$ ]] && [ "$tls_port" -le 65535 ]; } || usage
  { [ -f "$tls_cert" ] && [ -f "$tls_key" ]; } ||
    { echo "private-postgres: no certificate $tls_cert or key $tls_key" >&2; exit 1; }
fi
# The port also names the Unix socket.
port="${tls_port:-5432}"
case "$dir" in
  /*) ;;
  *) dir="$PWD/$dir" ;;
esac
dir="${dir%/}"
[ -n "$dir" ] || usage
data="$dir/data"
log="$dir/server.log"
# What `stop` looks for before it removes a folder.
marker="$dir/.mensuro-private-postgres"

# Debian's server programs, of the newest version installed.
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "private-postgres: no PostgreSQL server in /usr/lib/postgresql (apt-get install postgresql)" >&2
  exit 1
fi

# The server's programs run as its owner: `postgres` when we are root, ourselves otherwise. Run
# from DIR, as the owner may not read the current folder.
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  as_owner() { (cd "$dir" && runuser -u postgres -- "$@"); }
else
  owner="$(id -un)"
  as_owner() { (cd "$dir" && "$@"); }
fi
# The role the tests connect as: the user running them.
role="$(id -un)"

# Stops a server running on DIR/data, however it was left; a server that is gone is fine.
stop_server() {
  if [ -f "$data/postmaster.pid" ]; then
    as_owner "$bin/pg_ctl" stop -D "$data" -m fast -w -t 60 >/dev/null 2>&1 ||
      as_owner "$bin/pg_ctl" stop -D "$data" -m immediate -w -t 60 >/dev/null 2>&1 || true
  fi
}

fail() {
  echo "private-postgres: $1" >&2
  if [ -f "$2" ]; then
    tail -n 30 "$2" >&2
  fi
  exit 1
}

case "$action" in
  start)
    if [ ${#dir} -gt 80 ]; then
      echo "private-postgres: $dir is too long for a socket path; use a short folder under /tmp" >&2
      exit 1
    fi
    if [ -d "$dir" ] && [ ! -f "$marker" ] && [ -n "$(ls -A "$dir")" ]; then
      echo "private-postgres: $dir holds files of something else; choose an empty folder" >&2
      exit 1
    fi
    mkdir -p "$dir"
    # A server left by a run that was killed goes first, with its data.
    if [ -f "$marker" ]; then
      stop_server
    fi
    rm -rf "$data" "$log"
    touch "$marker"
    chmod 700 "$dir"
    [ "$owner" = "$(id -un)" ] || chown "$owner:" "$dir"

    as_owner "$bin/initdb" -D "$data" -U "$role" --auth=trust --no-locale --encoding=UTF8 \
      --no-sync >"$dir/initdb.log" 2>&1 || fail "initdb failed in $data" "$dir/initdb.log"
    cat >>"$data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
unix_socket_permissions = 0700
fsync = off
synchronous_commit = off
full_page_writes = off
shared_buffers = 16MB
max_connections = 30
EOF
    if [ -n "$tls_port" ]; then
      # The server reads its key only when it alone may read it.
      cp "$tls_cert" "$data/server.crt"
      cp "$tls_key" "$data/server.key"
      chmod 600 "$data/server.key"
      [ "$owner" = "$(id -un)" ] || chown "$owner:" "$data/server.crt" "$data/server.key"
      cat >>"$data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
port = $tls_port
ssl = on
ssl_cert_file = 'server.crt'
ssl_key_file = 'server.key'
log_connections = on
EOF
      # Over TCP, TLS or nothing.
      printf 'local all all trust\nhostssl all all 127.0.0.1/32 trust\n' >"$data/pg_hba.conf"
    fi
    as_owner "$bin/pg_ctl" start -D "$data" -l "$log" -w -t 120 >/dev/null 2>&1 ||
      fail "the server in $data did not start" "$log"
    # pg_ctl has waited for the server; pg_isready confirms it takes connections on the socket.
    ready=false
    for _ in $(seq 1 600); do
      if "$bin/pg_isready" -q -h "$dir" -p "$port" -U "$role" -d postgres; then
        ready=true
        break
      fi
      sleep 0.2
    done
    $ready || fail "the server in $data accepts no connections" "$log"
    "$bin/createdb" -h "$dir" -p "$port" -U "$role" mensuro_test >"$dir/createdb.log" 2>&1 ||
      fail "createdb mensuro_test failed" "$dir/createdb.log"
    ;;
  stop)
    if [ ! -d "$dir" ]; then
      exit 0
    fi
    if [ ! -f "$marker" ]; then
      echo "private-postgres: $dir holds no private server; left as it is" >&2
      exit 1
    fi
    stop_server
    rm -rf "$dir"
    ;;
  *)
    usage
    ;;
esac
