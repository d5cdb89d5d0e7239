#!/usr/bin/env bash
# Installs what the Windows build needs on Debian 12, and only what is missing: the mingw-w64
# cross compiler, Wine to run the results, NSIS for the installer, Xvfb for the window's picture,
# tclsh to make SQLite's amalgamation, perl to configure OpenSSL and PostgreSQL's libpq, openssl
# to make the certificates of the TLS check, and a deb-src entry so that `apt-get source` can
# fetch the sources of qt6-base, sqlite3, openssl and postgresql. As root it acts itself;
# otherwise it prints the commands to run and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

packages=(
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 nsis xvfb xauth x11-utils xdotool imagemagick poppler-utils zip unzip dpkg-dev
  xz-utils tcl perl openssl
)
missing=()
for p in "${packages[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" || status=
  grep -q 'install ok installed' <<<"$status" || missing+=("$p")
done

# Source entries mirroring the machine's binary ones (deb822 or one-line form).
src_list=/etc/apt/sources.list.d/mensuro-deb-src.sources
has_deb_src() {
  grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/
}

is_root() { [ "$(id -u)" -eq 0 ]; }

if [ ${#missing[@]} -gt 0 ] || ! has_deb_src; then
  if ! is_root; then
    echo "install-windows-deps: please run as root (packages: ${missing[*]:-none}; and a" \
         "deb-src entry for apt-get source)" >&2
    exit 1
  fi
  if ! has_deb_src; then
    echo "install-windows-deps: adding source entries in $src_list"
    for f in /etc/apt/sources.list.d/*.sources; do
      if [ -f "$f" ] && [ "$f" != "$src_list" ]; then
        sed 's/^Types:.*$/Types: deb-src/' "$f"
        echo
      fi
    done >"$src_list"
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/mensuro-deb-src.list
    fi
  fi
  apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    echo "install-windows-deps: installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
