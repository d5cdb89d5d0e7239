#!/usr/bin/env bash
# Installs what Mensuro needs to build, test and benchmark on Debian 12, and only what is
# missing, so it is cheap to run before every build. As root it runs apt-get itself; otherwise
# it prints the command to run and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  libfmt-dev libboost-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  locales time
)
# The tests prove that numbers are read and written alike in a comma-decimal locale.
test_locale=de_DE.UTF-8

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

have_locale() { locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    echo "install-deps: please run as root:  $*" >&2
    exit 1
  fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive sh -c \
    "apt-get update -qq && apt-get install -y -qq --no-install-recommends ${missing[*]}"
fi

if ! have_locale; then
  echo "install-deps: generating the locale $test_locale"
  as_root localedef -i de_DE -f UTF-8 "$test_locale"
fi
