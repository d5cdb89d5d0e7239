#!/usr/bin/env bash
# Builds SQLite for 64-bit Windows with mingw-w64 into a cache folder, once: a later run finds
# the finished build and reuses it. The sources are Debian's, of the version the Linux build
# uses (libsqlite3-dev), with Debian's patches; their one-file amalgamation is made on this
# machine (which needs tclsh) and compiled into a static library, then proven under Wine.
#   MENSURO_WINDOWS_SQLITE   the cache folder (default ~/.cache/mensuro/sqlite-VERSION-mingw-w64)
#   build-windows-sqlite.sh --prefix   prints the cache folder and does nothing else
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

# Debian's version: the one installed for the Linux build, else the newest source package.
debian_version="$(dpkg-query -W -f='${Version}' libsqlite3-dev 2>/dev/null)" || debian_version=
if [ -z "$debian_version" ]; then
  debian_version="$(apt-cache showsrc sqlite3 | sed -n 's/^Version: //p' | sort -V | tail -n 1)"
fi
[ -n "$debian_version" ] || { echo "build-windows-sqlite: no version of sqlite3 known to apt" >&2; exit 1; }
version="${debian_version%%-*}"
version="${version#*:}"
prefix="${MENSURO_WINDOWS_SQLITE:-$HOME/.cache/mensuro/sqlite-$version-mingw-w64}"
stamp="$prefix/mensuro-sqlite-build.txt"

if [ "${1:-}" = "--prefix" ]; then
  echo "$prefix"
  exit 0
fi
if [ -f "$stamp" ]; then
  echo "build-windows-sqlite: reusing SQLite $version for Windows in $prefix (built $(head -n1 "$stamp"))"
  exit 0
fi

scratch="$(dirname "$prefix")/sqlite-$version-mingw-w64-build"
rm -rf "$scratch" "$prefix"
mkdir -p "$scratch"
started=$(date +%s)

echo "build-windows-sqlite: fetching Debian's sqlite3 $debian_version sources"
(cd "$scratch" && apt-get source -qq "sqlite3=$debian_version") >"$scratch/source.log" 2>&1 ||
  { cat "$scratch/source.log" >&2; echo "build-windows-sqlite: is there a deb-src entry?" >&2; exit 1; }
sqlite_src="$(find "$scratch" -maxdepth 1 -type d -name 'sqlite3-*' -print -quit)"
[ -n "$sqlite_src" ] || { echo "build-windows-sqlite: apt-get source sqlite3 gave no source folder" >&2; exit 1; }

echo "build-windows-sqlite: making the amalgamation sqlite3.c"
mkdir -p "$scratch/amalgamation"
(cd "$scratch/amalgamation" && "$sqlite_src/configure" && make sqlite3.c) >"$scratch/amalgamation.log" 2>&1 ||
  { tail -n 40 "$scratch/amalgamation.log" >&2; exit 1; }

# The options of Debian's own build (debian/rules) that decide what SQL is understood, so that
# a statement means the same on Windows as on Linux; no extension loading, which the program
# never does.
cflags=(
  -O2 -fno-strict-aliasing
  -DSQLITE_THREADSAFE=1 -DSQLITE_USE_URI=1 -DSQLITE_SECURE_DELETE
  -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_MATH_FUNCTIONS
  -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1
  -DSQLITE_SOUNDEX=1 -DSQLITE_ENABLE_DBSTAT_VTAB -DSQLITE_ALLOW_ROWID_IN_VIEW
  -DSQLITE_LIKE_DOESNT_MATCH_BLOBS -DSQLITE_MAX_SCHEMA_RETRY=25
  -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_OMIT_LOAD_EXTENSION
)
cc=x86_64-w64-mingw32-gcc-posix
echo "build-windows-sqlite: compiling it with $cc"
mkdir -p "$prefix/include" "$prefix/lib"
"$cc" "${cflags[@]}" -c "$scratch/amalgamation/sqlite3.c" -o "$scratch/sqlite3.o" \
  >"$scratch/compile.log" 2>&1 || { tail -n 40 "$scratch/compile.log" >&2; exit 1; }
x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" "$scratch/sqlite3.o"
cp "$scratch/amalgamation/sqlite3.h" "$scratch/amalgamation/sqlite3ext.h" "$prefix/include/"

echo "build-windows-sqlite: proving it under Wine"
"$cc" -O2 -I"$prefix/include" "$repo/tests/windows/sqlite_check.c" "$prefix/lib/libsqlite3.a" \
  -static -o "$scratch/sqlite_check.exe"
mkdir -p "$scratch/check"
if ! proof="$(bash "$repo/scripts/wine-run.sh" "$scratch/sqlite_check.exe" "Z:$scratch/check/check.db" 2>&1 | tr -d '\r')"; then
  echo "$proof" >&2
  echo "build-windows-sqlite: the Windows SQLite failed its check; nothing cached" >&2
  rm -rf "$prefix"
  exit 1
fi

{
  date -u +%Y-%m-%dT%H:%M:%SZ
  echo "SQLite $version for x86_64-w64-mingw32, from Debian's sqlite3 $debian_version source package, in $(( $(date +%s) - started )) s"
  echo "Under Wine: $proof"
} >"$stamp"
rm -rf "$scratch"
echo "build-windows-sqlite: SQLite $version for Windows is in $prefix ($(( $(date +%s) - started )) s)"
