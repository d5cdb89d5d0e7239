#!/usr/bin/env bash
# Installs what Mensuro needs to build, test and benchmark on Debian 12, and only what is
# missing, so it is cheap to run before every build. As root it runs apt-get itself; otherwise
# it prints the command to run and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  libfmt-dev libboost-dev libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-qpa-plugins qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-pdf-dev
  fonts-dejavu-core
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
  libpq-dev postgresql
  locales time python3
  poppler-utils desktop-file-utils dpkg-dev
)
# The tests prove that numbers are read and written alike in a comma-decimal locale.
test_locale=de_DE.UTF-8

missing=()
for p in "${packages[@]}"; do
  # Each reader takes its text whole: under pipefail, `grep -q` leaving a writer behind at its
  # first match could fail the writer with SIGPIPE.
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" || status=
  grep -q 'install ok installed' <<<"$status" || missing+=("$p")
done

have_locale() { grep -qi '^de_DE\.utf-\?8$' <<<"$(locale -a 2>/dev/null)"; }

is_root() { [ "$(id -u)" -eq 0 ]; }

if [ ${#missing[@]} -gt 0 ]; then
  if ! is_root; then
    echo "install-deps: missing packages; please run as root:" >&2
    echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "install-deps: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! have_locale; then
  if ! is_root; then
    echo "install-deps: the tests need the locale $test_locale; please run as root:" >&2
    echo "  localedef -i de_DE -f UTF-8 $test_locale" >&2
    exit 1
  fi
  echo "install-deps: generating the locale $test_locale"
  localedef -i de_DE -f UTF-8 "$test_locale"
fi
