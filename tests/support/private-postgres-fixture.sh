#!/usr/bin/env bash
# The private PostgreSQL server as ctest's fixture, its state in the folder STATE of the build
# tree: `dir` names the server's folder (under /tmp, for the socket path's sake), `uri` the
# test database.
#   private-postgres-fixture.sh setup STATE             starts a server, writes STATE/dir and uri
#   private-postgres-fixture.sh cleanup STATE           stops it, removes STATE/dir and uri
#   private-postgres-fixture.sh run STATE COMMAND...    runs COMMAND with MENSURO_TEST_POSTGRES
#                                                       set to the URI
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 setup|cleanup|run STATE [COMMAND...]" >&2; exit 2; }
action="$1"
state="$2"
shift 2
server="$(dirname "$0")/private-postgres.sh"

# Stops the server STATE names, if any: one left by a run that was killed before its cleanup
# goes before a new one starts.
stop_recorded() {
  if [ -f "$state/dir" ]; then
    bash "$server" stop "$(cat "$state/dir")"
  fi
  rm -f "$state/dir" "$state/uri"
}

case "$action" in
  setup)
    mkdir -p "$state"
    stop_recorded
    dir="$(mktemp -d /tmp/mensuro-pg.XXXXXX)"
    echo "$dir" >"$state/dir"
    bash "$server" start "$dir"
    echo "postgresql:///mensuro_test?host=$dir" >"$state/uri"
    ;;
  cleanup)
    stop_recorded
    ;;
  run)
    [ $# -ge 1 ] || { echo "usage: $0 run STATE COMMAND..." >&2; exit 2; }
    [ -f "$state/uri" ] || { echo "private-postgres-fixture: no server started ($state/uri)" >&2; exit 1; }
    MENSURO_TEST_POSTGRES="$(cat "$state/uri")"
    export MENSURO_TEST_POSTGRES
    exec "$@"
    ;;
  *)
    echo "usage: $0 setup|cleanup|run STATE [COMMAND...]" >&2
    exit 2
    ;;
esac
