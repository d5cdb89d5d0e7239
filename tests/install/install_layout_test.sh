#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user gets: the tree, the desktop
# entry, and that the installed command line finds the installed baseline library, document
# module and fonts from wherever it is started.
set -euo pipefail
build="$1"
examples="$2"
libdir="$3"  # the library folder under the prefix (CMAKE_INSTALL_LIBDIR)

prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
  echo "install layout: $*" >&2
  exit 1
}

expected="bin/mensuro
bin/mensuro-cli
$libdir/mensuro/mensuro-documents.so
share/applications/mensuro.desktop
share/doc/mensuro/copyright
share/icons/hicolor/256x256/apps/mensuro.png
share/icons/hicolor/scalable/apps/mensuro.svg
share/mensuro/Baselines.dat
share/mensuro/MensuroHelp.pdf
share/mensuro/fonts/DejaVuSans-Bold.ttf
share/mensuro/fonts/DejaVuSans.ttf
share/mensuro/fonts/DejaVuSansMono-Bold.ttf
share/mensuro/fonts/DejaVuSansMono.ttf
share/mensuro/totalStas_cropped.png"
# The fonts' licence is installed where the build machine has it.
if [ -f /usr/share/doc/fonts-dejavu-core/copyright ]; then
  expected="$(LC_ALL=C sort <<<"$expected"$'\n'"share/mensuro/fonts/LICENSE-DejaVu.txt")"
fi
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)"
diff -u <(echo "$expected") <(echo "$actual") || fail "the installed files differ (above)"

for program in mensuro mensuro-cli; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done

entry="$prefix/share/applications/mensuro.desktop"
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
grep -qx 'Exec=mensuro' "$entry" || fail "the desktop entry does not start mensuro"
grep -qx 'Icon=mensuro' "$entry" || fail "the desktop entry does not name the installed icon"

# Started from another folder, by its installed path: the library comes from share/mensuro/.
listed="$(cd / && "$prefix/bin/mensuro-cli" --list-baselines)"
grep -q 'Example seven-pillar line 600 m' <<<"$listed" ||
  fail "the installed mensuro-cli did not list the installed library: $listed"
report="$(cd / && "$prefix/bin/mensuro-cli" "$examples/seven-pillar-measured.txt" \
  --baseline 'Example seven-pillar line 600 m')"
grep -q 'EDM Calibration Report' <<<"$report" ||
  fail "the installed mensuro-cli gave no report: $report"

# The plot comes from the installed document module; without it, the report still does.
module="$prefix/$libdir/mensuro/mensuro-documents.so"
(cd / && "$prefix/bin/mensuro-cli" "$examples/kellerby-measured.txt" \
  --published "$examples/kellerby-published.txt" --plot "$prefix/plot.svg" >/dev/null) ||
  fail "the installed mensuro-cli drew no plot"
grep -q '<svg' "$prefix/plot.svg" || fail "the installed mensuro-cli's plot is no SVG"

# The certificate is set in the installed fonts: with a font configuration that knows no fonts
# at all, the installed mensuro-cli still embeds DejaVu Sans, found in share/mensuro/fonts/.
printf '<?xml version="1.0"?>\n<fontconfig><cachedir>%s/fontcache</cachedir></fontconfig>\n' \
  "$prefix" >"$prefix/no-fonts.conf"
(cd / && FONTCONFIG_FILE="$prefix/no-fonts.conf" "$prefix/bin/mensuro-cli" \
  "$examples/kellerby-measured.txt" --published "$examples/kellerby-published.txt" \
  --certificate "$prefix/certificate.pdf" >/dev/null) ||
  fail "the installed mensuro-cli wrote no certificate"
fonts="$(pdffonts "$prefix/certificate.pdf")"
grep -q '^DejaVuSans ' <<<"$fonts" || fail "the certificate is not set in the shipped fonts: $fonts"
rm -rf "$prefix/certificate.pdf" "$prefix/no-fonts.conf" "$prefix/fontcache"

rm "$prefix/plot.svg" "$module"
if message="$(cd / && "$prefix/bin/mensuro-cli" "$examples/kellerby-measured.txt" \
  --published "$examples/kellerby-published.txt" --plot "$prefix/plot.svg" 2>&1)"; then
  fail "a plot succeeded without the document module"
fi
grep -qF "$module" <<<"$message" || fail "unclear message without the module: $message"
report="$(cd / && "$prefix/bin/mensuro-cli" "$examples/kellerby-measured.txt" \
  --published "$examples/kellerby-published.txt")"
grep -q 'EDM Calibration Report' <<<"$report" || fail "no report without the module: $report"

# Without the library in place, the message names where it was looked for.
rm "$prefix/share/mensuro/Baselines.dat"
if message="$(cd / && "$prefix/bin/mensuro-cli" --list-baselines 2>&1)"; then
  fail "listing succeeded without a library"
fi
grep -qF "$prefix/bin/Baselines.dat" <<<"$message" || fail "unclear message: $message"
echo "install layout: OK"
