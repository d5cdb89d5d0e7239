#!/usr/bin/env bash
# The installed Windows programs against the Linux build's: mensuro-cli.exe under Wine must give
# the same standard output, standard error, exit status and files, byte for byte, for the text
# report, the JSON, a report file, the reduction of a field file, a file name outside ASCII and
# a refused input; --plot and --certificate must write a picture and a PDF of the same pages set
# in the shipped DejaVu fonts. Then the window is started under Xvfb and its picture taken.
#   MENSURO_LINUX_CLI=... [MENSURO_WINDOWS_SCREENSHOT=PNG] installed_programs_check.sh INSTALL_DIR
# Runs inside the Wine prefix of the caller (WINEPREFIX).
set -euo pipefail
installed="$1"
linux_cli="${MENSURO_LINUX_CLI:?names the Linux build of mensuro-cli to compare with}"
screenshot="${MENSURO_WINDOWS_SCREENSHOT:-}"
repo="$(cd "$(dirname "$0")/../.." && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

export WINEDEBUG=-all
windows_cli="$installed/mensuro-cli.exe"
failures=0

# Both programs run with the same arguments in folders holding the same copies of the examples;
# what they write lands in their own folder.
prepare() {
  mkdir -p "$1"
  cp "$repo"/examples/* "$1/"
  cp "$repo/examples/kellerby-measured.txt" "$1/Prüfstrecke Øresund.txt"
  cp "$repo/resources/Baselines.dat" "$1/"
}
prepare "$scratch/linux"
prepare "$scratch/windows"

same_run() {
  local name="$1"
  shift
  local status_linux=0 status_windows=0
  (cd "$scratch/linux" && "$linux_cli" "$@" >"../$name.linux.out" 2>"../$name.linux.err") ||
    status_linux=$?
  (cd "$scratch/windows" && wine "$windows_cli" "$@" >"../$name.windows.out" \
    2>"../$name.windows.err") || status_windows=$?
  if [ "$status_linux" != "$status_windows" ]; then
    echo "FAIL $name: exit status $status_windows under Wine, $status_linux on Linux" >&2
    failures=$((failures + 1))
    return
  fi
  for stream in out err; do
    if ! cmp -s "$scratch/$name.linux.$stream" "$scratch/$name.windows.$stream"; then
      echo "FAIL $name: standard ${stream/out/output}${stream/err/ error} differs" >&2
      cmp "$scratch/$name.linux.$stream" "$scratch/$name.windows.$stream" >&2 || true
      failures=$((failures + 1))
      return
    fi
  done
  echo "ok $name (exit $status_linux, $(wc -c <"$scratch/$name.linux.out") bytes)"
}

same_file() {
  if cmp -s "$scratch/linux/$1" "$scratch/windows/$1"; then
    echo "ok $1 written alike"
  else
    echo "FAIL $1 differs (or is missing)" >&2
    failures=$((failures + 1))
  fi
}

baseline="Example seven-pillar line 600 m"
same_run text seven-pillar-measured.txt --baseline "$baseline"
same_run json seven-pillar-measured.txt --baseline "$baseline" --format json
same_run published kellerby-measured.txt --published kellerby-published.txt --output report.txt
same_file report.txt
same_run reduce reduce seven-pillar-field.csv --baseline "$baseline" --wavelength 0.658 \
  --reference-conditions 12,1013.25,60 --edm "Total station 2 mm + 2 ppm" --constant 2 --ppm 2 \
  --output reduced.txt --log reduction-log.csv
same_file reduced.txt
same_file reduction-log.csv
same_run reduce-stdout reduce seven-pillar-field.csv --baseline "$baseline" --wavelength 0.658 \
  --reference-conditions 12,1013.25,60
same_run non-ascii-name "Prüfstrecke Øresund.txt" --published kellerby-published.txt \
  --output "Bericht Prüfstrecke.txt"
same_file "Bericht Prüfstrecke.txt"
same_run list --list-baselines
same_run unknown-baseline seven-pillar-measured.txt --baseline "No such line" --library Baselines.dat
same_run version --version

# The documents: the same pages, set in the fonts that ship with the program.
same_run documents kellerby-measured.txt --published kellerby-published.txt \
  --plot plot.svg --certificate certificate.pdf
for side in linux windows; do
  pdfinfo "$scratch/$side/certificate.pdf" | sed -n 's/^Pages: *//p' >"$scratch/$side.pages"
done
if [ -s "$scratch/linux.pages" ] && cmp -s "$scratch/linux.pages" "$scratch/windows.pages"; then
  echo "ok certificate.pdf: $(cat "$scratch/windows.pages") pages on both"
else
  echo "FAIL certificate.pdf: $(cat "$scratch/windows.pages") pages under Wine, $(cat "$scratch/linux.pages") on Linux" >&2
  failures=$((failures + 1))
fi
fonts="$(pdffonts "$scratch/windows/certificate.pdf")"
text="$(pdftotext "$scratch/windows/certificate.pdf" -)"
if grep -q 'DejaVuSans' <<<"$fonts" && grep -q 'Calibration' <<<"$text"; then
  echo "ok certificate.pdf set in DejaVu Sans, its text readable"
else
  echo "FAIL certificate.pdf under Wine is not set in the shipped DejaVu fonts" >&2
  failures=$((failures + 1))
fi
# The picture's words: titles, axes and legend, the same on both.
for side in linux windows; do
  tr -d '\n' <"$scratch/$side/plot.svg" | grep -o '<text[^>]*>[^<]*</text>' |
    sed 's/<[^>]*>//g' >"$scratch/$side.words" || true
done
if [ -s "$scratch/linux.words" ] && cmp -s "$scratch/linux.words" "$scratch/windows.words"; then
  echo "ok plot.svg written, $(wc -l <"$scratch/windows.words") labels as on Linux"
else
  echo "FAIL plot.svg under Wine is missing or its labels differ from Linux's" >&2
  failures=$((failures + 1))
fi

# The window, as a user starts it: shown on a virtual screen, then closed.
if [ -n "$screenshot" ]; then
  bash "$repo/tests/windows/window_screenshot.sh" "$installed/mensuro.exe" "$screenshot" ||
    failures=$((failures + 1))
fi

if [ "$failures" -ne 0 ]; then
  echo "installed programs: $failures check(s) failed" >&2
  exit 1
fi
echo "installed programs: every check passed"
