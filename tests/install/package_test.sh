#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks its name, the dependencies it
# declares (Qt among them, found from the programs' shared libraries) and its contents.
set -euo pipefail
build="$1"
version="$2"
libdir="$3"  # the library folder under the prefix (CMAKE_INSTALL_LIBDIR)

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; exit 1; }

fail() {
  echo "package: $*" >&2
  exit 1
}

deb="$out/mensuro_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$out")"

depends="$(dpkg-deb --field "$deb" Depends)"
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6charts6 libqt6svg6 libqt6pdfwidgets6 \
  libstdc++6 qt6-qpa-plugins; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

contents="$(dpkg-deb --contents "$deb" | awk '{print $NF}')"
for path in ./usr/bin/mensuro ./usr/bin/mensuro-cli "./usr/$libdir/mensuro/mensuro-documents.so" \
  ./usr/share/mensuro/Baselines.dat \
  ./usr/share/mensuro/MensuroHelp.pdf ./usr/share/mensuro/totalStas_cropped.png \
  ./usr/share/mensuro/fonts/DejaVuSans.ttf ./usr/share/mensuro/fonts/DejaVuSansMono.ttf \
  ./usr/share/applications/mensuro.desktop ./usr/share/icons/hicolor/256x256/apps/mensuro.png \
  ./usr/share/doc/mensuro/copyright; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
# Read whole before it is searched: `grep -q` stops at the first match, and under pipefail the
# writer it leaves behind dies of SIGPIPE, which would fail the check at random.
copyright="$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/mensuro/copyright)" ||
  fail "the package's copyright file can't be read"
grep -q '^License: GPL-3.0-or-later$' <<<"$copyright" ||
  fail "the copyright file names no GPL-3.0-or-later"
echo "package: OK ($(basename "$deb"))"
