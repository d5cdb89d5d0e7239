#!/usr/bin/env bash
# `make check-windows`: the Windows build proven under Wine. The core's, the command line's and
# the window's tests run as Windows programs (CMake's emulator); the staged mensuro-cli.exe
# issues into a register on a private PostgreSQL server over verified TLS; then the installer
# installs silently into a scratch Wine prefix, the installed mensuro-cli.exe is compared byte
# for byte with the Linux build's, the installed window is started and pictured
# (docs/mensuro-windows.png), and the uninstaller must leave nothing behind.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
build="${MENSURO_WINDOWS_BUILD:-build-windows}"

bash scripts/build-windows.sh

echo "check-windows: building the tests for Windows"
cmake --build "$build"
echo "check-windows: running them under Wine"
# One Wine server for the whole run: one that shuts down between two tests while the next
# starts can fail that start.
export MENSURO_WINE_PREFIX="${MENSURO_WINE_PREFIX:-$repo/$build/wine-prefix}"
bash scripts/wine-run.sh cmd /c exit
WINEPREFIX="$MENSURO_WINE_PREFIX" wineserver -w
WINEPREFIX="$MENSURO_WINE_PREFIX" wineserver -p
# Wine's desktop and services start with the first window program and live as long as the
# server; started here, they don't hold the output of the first test that ctest reads.
bash scripts/wine-run.sh "$build/tests/ui_tests.exe" --gtest_list_tests >/dev/null 2>&1 </dev/null
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" || status=$?
WINEPREFIX="$MENSURO_WINE_PREFIX" wineserver -k || true
[ "$status" -eq 0 ] || exit "$status"

echo "check-windows: the staged mensuro-cli.exe and a PostgreSQL register over TLS"
bash tests/windows/postgres_tls_check.sh "$build/stage/mensuro-cli.exe" bash "$repo/scripts/wine-run.sh"
WINEPREFIX="$MENSURO_WINE_PREFIX" wineserver -k || true

echo "check-windows: the Linux build's mensuro-cli to compare with"
cmake --build build --target mensuro-cli mensuro_document_module mensuro_shipped_files >/dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
MENSURO_INSTALLED_CHECK="$repo/tests/windows/installed_programs_check.sh" \
  MENSURO_LINUX_CLI="$repo/build/bin/mensuro-cli" \
  MENSURO_WINDOWS_SCREENSHOT="$repo/docs/mensuro-windows.png" \
  bash tests/windows/installer_test.sh "$build/package/Mensuro-$version-setup.exe" "$build/stage"
echo "check-windows: passed"
