#!/usr/bin/env bash
# Makes a stage folder shaped like the Windows build's, of tiny stand-ins, to package and test
# the installer without the cross-build: each .exe is a small console program, the rest a few
# bytes each.
# Usage: tests/windows/dummy_stage.sh STAGE_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 STAGE_DIR" >&2; exit 1; }
stage="$1"
mkdir -p "$stage"/{platforms,styles,imageformats,fonts}

source="$(mktemp --suffix=.c)"
trap 'rm -f "$source"' EXIT
echo 'int main(void) { return 0; }' >"$source"
for program in mensuro mensuro-cli; do
  x86_64-w64-mingw32-gcc-posix -O2 -s -o "$stage/$program.exe" "$source"
done

for file in Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll libgcc_s_seh-1.dll \
  libwinpthread-1.dll libpq.dll libssl-3-x64.dll libcrypto-3-x64.dll mensuro-documents.dll \
  platforms/qwindows.dll platforms/qoffscreen.dll \
  styles/qmodernwindowsstyle.dll imageformats/qsvg.dll fonts/DejaVuSans.ttf \
  fonts/DejaVuSans-Bold.ttf Baselines.dat MensuroHelp.pdf totalStas_cropped.png; do
  echo "stand-in for $file" >"$stage/$file"
done
