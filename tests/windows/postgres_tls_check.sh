#!/usr/bin/env bash
# mensuro-cli and a register on a PostgreSQL server reached over TLS with the server verified,
# as a laboratory's Windows machines share one: a CA and a server certificate for localhost made
# here, a private server (Debian's) on 127.0.0.1 at a free port taking TLS connections only, and
# the program issuing a certificate into
#   postgresql://USER@localhost:PORT/mensuro_test?sslmode=verify-full&sslrootcert=CA
# then listing and verifying the register. The server's log must show the connections on TLS;
# the same issue must be refused with a CA that didn't sign the server's certificate, and with
# a host name the certificate doesn't name. The server is stopped at the end, whatever happened.
# Usage: tests/windows/postgres_tls_check.sh PROGRAM [RUNNER...]
#   PROGRAM is mensuro-cli (.exe: the Windows one, run as RUNNER... PROGRAM, e.g.
#   scripts/wine-run.sh, and given its paths as Windows paths on drive Z:). A missing piece fails
#   the check with its reason; nothing is skipped.
set -euo pipefail
fail() {
  echo "postgres TLS check: FAILED: $*" >&2
  exit 1
}
pass() { echo "postgres TLS check: ok: $*"; }

[ $# -ge 1 ] || fail "usage: $0 PROGRAM [RUNNER...]"
[ -f "$1" ] || fail "no program $1"
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
shift
runner=("$@")
repo="$(cd "$(dirname "$0")/../.." && pwd)"
command -v openssl >/dev/null || fail "openssl is not installed (Debian package openssl)"
command -v python3 >/dev/null || fail "python3 is not installed, to find a free port"
ls /usr/lib/postgresql/*/bin/initdb >/dev/null 2>&1 ||
  fail "no PostgreSQL server in /usr/lib/postgresql (apt-get install postgresql)"
windows=false
if [[ "$program" == *.exe ]]; then
  windows=true
  [ -f "$(dirname "$program")/libpq.dll" ] || fail "no libpq.dll beside $program"
  command -v wine >/dev/null || fail "wine is not installed, to run $program"
fi

# The server's folder is short, for its socket's path, and of its own: as root the server runs
# as the postgres user, who may not look into the scratch folder.
scratch="$(mktemp -d)"
server="$(mktemp -d /tmp/mensuro-pg.XXXXXX)"
trap 'bash "$repo/tests/support/private-postgres.sh" stop "$server" || true; rm -rf "$scratch"' EXIT

# A path as the program reads it.
program_path() {
  if $windows; then
    echo "Z:$1"
  else
    echo "$1"
  fi
}

echo "postgres TLS check: a CA and a server certificate for localhost"
certificates="$scratch/certificates"
mkdir -p "$certificates"
(
  cd "$certificates"
  ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
  openssl req -x509 "${ec[@]}" -days 2 -subj "/CN=Mensuro test CA" -keyout ca.key -out ca.crt
  # A second CA of the same name that signed nothing of the server's.
  openssl req -x509 "${ec[@]}" -days 2 -subj "/CN=Mensuro test CA" -keyout other-ca.key \
    -out other-ca.crt
  openssl req "${ec[@]}" -subj "/CN=localhost" -keyout server.key -out server.csr
  printf 'subjectAltName = DNS:localhost\nbasicConstraints = CA:FALSE\nextendedKeyUsage = serverAuth\n' \
    >server.ext
  openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
    -extfile server.ext -out server.crt
) >"$scratch/openssl.log" 2>&1 || { cat "$scratch/openssl.log" >&2; fail "openssl could not make the certificates"; }

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
echo "postgres TLS check: a private server on 127.0.0.1:$port with TLS"
bash "$repo/tests/support/private-postgres.sh" start "$server" "$port" \
  "$certificates/server.crt" "$certificates/server.key" || fail "the server did not start"

user="$(id -un)"
register_uri() { # HOST CA
  echo "postgresql://$user@$1:$port/mensuro_test?sslmode=verify-full&sslrootcert=$(program_path "$2")"
}
uri="$(register_uri localhost "$certificates/ca.crt")"

work="$scratch/work"
mkdir -p "$work"
cp "$repo/examples/seven-pillar-measured.txt" "$repo/examples/certificate-details.json" \
  "$repo/resources/Baselines.dat" "$work/"
run() { # NAME ARGS...: the program in the work folder, its output in NAME.out and NAME.err
  local name="$1" status=0
  shift
  (cd "$work" && "${runner[@]}" "$program" "$@" >"$name.out" 2>"$name.err") || status=$?
  tr -d '\r' <"$work/$name.err" >"$work/$name.err.txt"
  tr -d '\r' <"$work/$name.out" >"$work/$name.out.txt"
  return "$status"
}
issue() { # NAME URI PDF
  run "$1" seven-pillar-measured.txt --baseline "Example seven-pillar line 600 m" \
    --library Baselines.dat --register "$2" --head-log heads.log --details certificate-details.json \
    --certificate "$3"
}

number="MEN-$(date +%Y)-0001"
issue issue "$uri" issued.pdf ||
  fail "issuing into $uri failed: $(cat "$work/issue.err.txt")"
grep -qx "mensuro-cli: issued certificate $number" "$work/issue.err.txt" ||
  fail "issuing did not report $number: $(cat "$work/issue.err.txt")"
[ "$(head -c 5 "$work/issued.pdf")" = "%PDF-" ] || fail "the issued certificate is no PDF"
pass "issued $number into the register over TLS"

run list register list --register "$uri" || fail "register list failed: $(cat "$work/list.err.txt")"
grep -q "$number" "$work/list.out.txt" || fail "register list lacks $number: $(cat "$work/list.out.txt")"
pass "register list shows $number"

run verify register verify --register "$uri" --head-log heads.log ||
  fail "register verify failed: $(cat "$work/verify.err.txt") $(cat "$work/verify.out.txt")"
grep -q "intact" "$work/verify.out.txt" ||
  fail "register verify did not find the register intact: $(cat "$work/verify.out.txt")"
pass "register verify finds the register intact"

# Every connection over TCP was one on TLS (the server takes no other), and the log says so.
connections="$(grep -c 'connection authorized: .*SSL enabled' "$server/server.log" || true)"
[ "$connections" -ge 3 ] ||
  fail "the server's log shows $connections connections on TLS, not one per run: $(tail -n 20 "$server/server.log")"
pass "the server logged $connections connections on TLS"

# The server is verified: another CA and a name the certificate doesn't hold are refused, and
# the register is left as it was.
if issue other-ca "$(register_uri localhost "$certificates/other-ca.crt")" other-ca.pdf; then
  fail "issuing with a CA that did not sign the server's certificate worked"
fi
grep -q "certificate verify failed" "$work/other-ca.err.txt" ||
  fail "another CA was refused without naming the certificate: $(cat "$work/other-ca.err.txt")"
[ ! -e "$work/other-ca.pdf" ] || fail "a refused issue wrote its certificate"
pass "another CA is refused: $(grep -m 1 -o 'certificate verify failed' "$work/other-ca.err.txt")"

if issue other-name "$(register_uri 127.0.0.1 "$certificates/ca.crt")" other-name.pdf; then
  fail "issuing to a host name that the server's certificate does not name worked"
fi
grep -q 'does not match host name "127.0.0.1"' "$work/other-name.err.txt" ||
  fail "another host name was refused without saying why: $(cat "$work/other-name.err.txt")"
pass "a host name the certificate doesn't name is refused"

run list-again register list --register "$uri" ||
  fail "register list failed: $(cat "$work/list-again.err.txt")"
cmp -s "$work/list.out.txt" "$work/list-again.out.txt" ||
  fail "the refused issues changed the register: $(cat "$work/list-again.out.txt")"
pass "the refused issues left the register as it was"
