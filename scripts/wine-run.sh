#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: CMake's emulator for the tests, and the
# way the Windows checks start the programs. The Wine prefix is MENSURO_WINE_PREFIX (default: a
# folder in build-windows/), made on first use; the Qt and MinGW DLLs are found through WINEPATH
# until the programs are installed beside them.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
qt="${MENSURO_WINDOWS_QT:-$HOME/.cache/mensuro/qt-6.4.2-mingw-w64}"
export WINEPREFIX="${MENSURO_WINE_PREFIX:-$repo/build-windows/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: their download dialogs would wait for a click.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
runtime="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
pthread="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")"
export WINEPATH="Z:$qt/bin;Z:$runtime;Z:$pthread${WINEPATH:+;$WINEPATH}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver -w
fi
exec wine "$@"
