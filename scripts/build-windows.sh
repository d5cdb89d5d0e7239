#!/usr/bin/env bash
# `make windows`: Mensuro for 64-bit Windows, cross-built on Debian with mingw-w64, in
# build-windows/; the installer and the zip in build-windows/package/. Installs what is missing,
# builds Qt for Windows once into its cache folder, and takes the user guide from the native
# build (build/), whose renderer runs on this machine.
#   MENSURO_WINDOWS_QT   Qt for Windows (default ~/.cache/mensuro/qt-6.4.2-mingw-w64)
#   MENSURO_QT_SOURCES   Qt module tarballs for its first build (see build-windows-qt.sh)
#   MENSURO_WINDOWS_SQLITE  SQLite for Windows (default ~/.cache/mensuro/sqlite-VERSION-mingw-w64)
#   MENSURO_WINDOWS_LIBPQ   libpq and OpenSSL for Windows (default
#                           ~/.cache/mensuro/libpq-VERSION-mingw-w64)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
build="${MENSURO_WINDOWS_BUILD:-build-windows}"
export MENSURO_WINDOWS_QT="${MENSURO_WINDOWS_QT:-$HOME/.cache/mensuro/qt-6.4.2-mingw-w64}"

bash scripts/install-windows-deps.sh
bash scripts/build-windows-qt.sh
bash scripts/build-windows-sqlite.sh
sqlite="$(bash scripts/build-windows-sqlite.sh --prefix)"
bash scripts/build-windows-libpq.sh
libpq="$(bash scripts/build-windows-libpq.sh --prefix)"
# The register on SQLite or on a PostgreSQL server. Only libpq's header is compiled against (the
# DLL is loaded when a PostgreSQL register is opened), so the DLL stands in for the library that
# CMake's search asks for; its folder's DLLs are installed beside the programs.
register_settings=(
  -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a"
  -DMENSURO_REGISTER_POSTGRES=ON -DPostgreSQL_INCLUDE_DIR="$libpq/include"
  -DPostgreSQL_LIBRARY="$libpq/bin/libpq.dll"
)

echo "build-windows: the user guide from the native build"
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target mensuro_help >/dev/null

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The value of a variable in the build tree's CMake cache, whatever its type.
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
if [ ! -f "$build/build.ninja" ]; then
  echo "build-windows: configuring $build"
  cmake -S . -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/windows-toolchain.cmake" \
    -DMENSURO_WINDOWS_QT="$MENSURO_WINDOWS_QT" -DCMAKE_PREFIX_PATH="$MENSURO_WINDOWS_QT" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release \
    -DMENSURO_SANITIZED_TESTS=OFF -DMENSURO_FUZZ_SMOKE=OFF -DMENSURO_BUILD_BENCH=OFF \
    -DMENSURO_HELP_PDF="$repo/build/bin/MensuroHelp.pdf" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$repo/scripts/wine-run.sh" \
    "${register_settings[@]}" "${launcher[@]}" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; exit 1; }
  rm -f "$build.configure.log"
elif [ "$(cached SQLite3_LIBRARY)" != "$sqlite/lib/libsqlite3.a" ] ||
     [ "$(cached PostgreSQL_LIBRARY)" != "$libpq/bin/libpq.dll" ] ||
     [ "$(cached MENSURO_REGISTER_POSTGRES)" != ON ]; then
  # A tree configured before the register or before libpq: given their settings.
  cmake "$build" "${register_settings[@]}" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log" >&2; exit 1; }
  rm -f "$build.configure.log"
fi

echo "build-windows: building the programs"
cmake --build "$build" --target mensuro_programs

stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null
# Without their symbols the programs and the DLLs are a third of the size.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
bash scripts/package-windows.sh "$stage" "$version" "$build/package"
