#!/usr/bin/env bash
# Builds PostgreSQL's client library libpq for 64-bit Windows with mingw-w64, with OpenSSL for
# its TLS, into a cache folder, once: a later run finds the finished build and reuses it. The
# sources are Debian's (libpq of the version the Linux build uses, libpq-dev; OpenSSL of the
# newest source package), with Debian's patches. Only what libpq needs is built: libssl,
# libcrypto and libpq as DLLs, in bin/, and libpq's headers, in include/; then proven under Wine.
#   MENSURO_WINDOWS_LIBPQ   the cache folder (default ~/.cache/mensuro/libpq-VERSION-mingw-w64)
#   build-windows-libpq.sh --prefix   prints the cache folder and does nothing else
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

# libpq's source package and version: those of the installed libpq-dev, else the newest.
read -r pg_package pg_debian_version < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' \
  libpq-dev 2>/dev/null) || true
if [ -z "${pg_debian_version:-}" ]; then
  pg_listing="$(apt-cache showsrc libpq-dev)"
  pg_debian_version="$(sed -n 's/^Version: //p' <<<"$pg_listing" | sort -V | tail -n 1)"
  pg_package="$(sed -n '/^Package: /{s///p;q}' <<<"$pg_listing")"
fi
{ [ -n "${pg_debian_version:-}" ] && [ -n "${pg_package:-}" ]; } ||
  { echo "build-windows-libpq: no version of libpq known to apt" >&2; exit 1; }
version="${pg_debian_version%%-*}"
version="${version#*:}"
prefix="${MENSURO_WINDOWS_LIBPQ:-$HOME/.cache/mensuro/libpq-$version-mingw-w64}"
stamp="$prefix/mensuro-libpq-build.txt"

if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "build-windows-libpq: reusing libpq $version for Windows in $prefix (built $(head -n1 "$stamp"))"
  exit 0
fi

# OpenSSL: the newest source package that the mirror serves (the index may name a newer one
# than it holds), the one with the most fixes.
mapfile -t ssl_versions < <(apt-cache showsrc openssl | sed -n 's/^Version: //p' | sort -V -r)
[ ${#ssl_versions[@]} -gt 0 ] ||
  { echo "build-windows-libpq: no source package of openssl (is there a deb-src entry?)" >&2; exit 1; }

scratch="$(dirname "$prefix")/libpq-$version-mingw-w64-build"
rm -rf "$scratch" "$prefix"
mkdir -p "$scratch"
started=$(date +%s)

echo "build-windows-libpq: fetching Debian's $pg_package $pg_debian_version and openssl sources"
(cd "$scratch" && apt-get source -qq "$pg_package=$pg_debian_version") >"$scratch/source.log" 2>&1 ||
  { cat "$scratch/source.log" >&2; echo "build-windows-libpq: is there a deb-src entry?" >&2; exit 1; }
ssl_debian_version=
for candidate in "${ssl_versions[@]}"; do
  if (cd "$scratch" && apt-get source -qq "openssl=$candidate") >>"$scratch/source.log" 2>&1; then
    ssl_debian_version="$candidate"
    break
  fi
done
[ -n "$ssl_debian_version" ] ||
  { cat "$scratch/source.log" >&2; echo "build-windows-libpq: no openssl source could be fetched" >&2; exit 1; }
ssl_src="$(find "$scratch" -maxdepth 1 -type d -name 'openssl-*' -print -quit)"
pg_src="$(find "$scratch" -maxdepth 1 -type d -name "$pg_package-*" -print -quit)"
{ [ -n "$ssl_src" ] && [ -n "$pg_src" ]; } ||
  { echo "build-windows-libpq: apt-get source gave no source folders" >&2; exit 1; }

triple=x86_64-w64-mingw32
cc="$triple-gcc-posix"
compiler=("$cc")
if command -v ccache >/dev/null 2>&1; then
  compiler=(ccache "$cc")
fi
jobs="$(nproc)"

# OpenSSL's libraries alone: no programs, no tests, no engines or loadable modules (the default
# provider is built into libcrypto). libgcc is linked in, so the DLLs need only Windows' own.
echo "build-windows-libpq: building OpenSSL's libssl and libcrypto"
ssl_build="$scratch/openssl-build"
mkdir -p "$ssl_build"
(cd "$ssl_build" && perl "$ssl_src/Configure" mingw64 shared no-tests no-engine no-module \
  no-legacy --release "CC=${compiler[*]}" "AR=$triple-ar" "RANLIB=$triple-ranlib" \
  "RC=$triple-windres" LDFLAGS=-static-libgcc &&
  make -j "$jobs" build_libs) >"$scratch/openssl.log" 2>&1 ||
  { tail -n 40 "$scratch/openssl.log" >&2; exit 1; }
ssl_dll="$(cd "$ssl_build" && ls libssl-*.dll)"
crypto_dll="$(cd "$ssl_build" && ls libcrypto-*.dll)"

# libpq alone, with the ports and common code it links; none of the optional libraries but
# OpenSSL. configure is slow on a busy machine (a few minutes).
echo "build-windows-libpq: configuring PostgreSQL $version"
pg_build="$scratch/postgresql-build"
mkdir -p "$pg_build"
(cd "$pg_build" && "$pg_src/configure" --host="$triple" --with-ssl=openssl \
  --without-readline --without-zlib --without-icu --without-gssapi --without-ldap \
  CC="${compiler[*]}" CPPFLAGS="-I$ssl_build/include -I$ssl_src/include" \
  LDFLAGS="-L$ssl_build -static-libgcc") >"$scratch/configure.log" 2>&1 ||
  { tail -n 40 "$scratch/configure.log" >&2; exit 1; }
echo "build-windows-libpq: building libpq"
make -C "$pg_build/src/interfaces/libpq" -j "$jobs" >"$scratch/libpq.log" 2>&1 ||
  { tail -n 40 "$scratch/libpq.log" >&2; exit 1; }

mkdir -p "$prefix/bin" "$prefix/include"
cp "$pg_build/src/interfaces/libpq/libpq.dll" "$ssl_build/$ssl_dll" "$ssl_build/$crypto_dll" \
  "$prefix/bin/"
cp "$pg_src/src/interfaces/libpq/libpq-fe.h" "$pg_src/src/include/postgres_ext.h" \
  "$pg_build/src/include/pg_config_ext.h" "$prefix/include/"

# What the DLLs import must come from Windows or from each other: a MinGW runtime DLL would
# have to be shipped too.
echo "build-windows-libpq: proving it under Wine"
for dll in "$prefix"/bin/*.dll; do
  foreign="$("$triple-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p' |
    grep -v -i -x -e "$ssl_dll" -e "$crypto_dll" -e 'kernel32.dll' -e 'msvcrt.dll' \
      -e 'ws2_32.dll' -e 'secur32.dll' -e 'shell32.dll' -e 'user32.dll' -e 'advapi32.dll' \
      -e 'crypt32.dll' -e 'wldap32.dll' -e 'api-ms-win-crt-.*\.dll')" || true
  if [ -n "$foreign" ]; then
    echo "build-windows-libpq: $(basename "$dll") needs DLLs that are not shipped:" \
      "$(tr '\n' ' ' <<<"$foreign")" >&2
    rm -rf "$prefix"
    exit 1
  fi
done
# The check program beside the DLLs, as the programs will be.
check="$scratch/check"
mkdir -p "$check"
cp "$prefix"/bin/*.dll "$check/"
"$cc" -O2 -Wall "$repo/tests/windows/libpq_check.c" -static -o "$check/libpq_check.exe"
pg_number="$(sed -n 's/^#define PG_VERSION_NUM //p' "$pg_build/src/include/pg_config.h")"
if ! proof="$(bash "$repo/scripts/wine-run.sh" "$check/libpq_check.exe" "$pg_number" "$ssl_dll" \
  "$crypto_dll" 2>&1 | tr -d '\r')"; then
  echo "$proof" >&2
  echo "build-windows-libpq: the Windows libpq failed its check; nothing cached" >&2
  rm -rf "$prefix"
  exit 1
fi

{
  date -u +%Y-%m-%dT%H:%M:%SZ
  echo "libpq $version for $triple, from Debian's $pg_package $pg_debian_version source package," \
    "with OpenSSL from Debian's openssl $ssl_debian_version, in $(( $(date +%s) - started )) s"
  echo "Under Wine: $proof"
} >"$stamp"
rm -rf "$scratch"
echo "build-windows-libpq: libpq $version for Windows is in $prefix ($(( $(date +%s) - started )) s)"
