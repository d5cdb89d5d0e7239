#!/usr/bin/env bash
# Checks the built user guide and the program that renders it:
#   help_pdf_test.sh MENSURO_HELP_PDF RENDERER
# The guide must be an A4 PDF of several pages that poppler reads, carry its title, and hold
# every chapter and message that the window's users look up. The renderer must fail cleanly: a
# one-line message, a non-zero status, and no new or spoilt output file.
set -uo pipefail

pdf=$1
renderer=$2
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# --- The guide ---------------------------------------------------------------------------------

if [ ! -s "$pdf" ]; then
  echo "FAIL: $pdf is missing or empty" >&2
  exit 1
fi
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "$pdf does not start with %PDF-"

if info=$(pdfinfo "$pdf" 2>&1); then
  pages=$(sed -n 's/^Pages: *//p' <<<"$info")
  [ "${pages:-0}" -gt 1 ] || fail "expected more than one page, pdfinfo says '${pages}'"
  grep -q '^Title: *Mensuro User Guide$' <<<"$info" || fail "title metadata missing"
  grep -q '^Page size: .*(A4)' <<<"$info" || fail "pages are not A4"
else
  fail "pdfinfo rejects $pdf: $info"
fi

headings=(
  "What Mensuro does"
  "Preparing the published distances"
  "Preparing the measured data"
  "The baseline library"
  "The window"
  "The register window"
  "Calibrating the baseline"
  "The command line"
  "Reading the report"
  "Messages and what to do"
)
phrases=(
  "EDM Calibration Report"
  "Error processing project:"
  "No published distance between"
  "Multiple published distances found between:"
  "Could not read the file"
  "Could not write the file"
  "Error displaying:"
  "mensuro-cli --list-baselines"
  "Critical t-Value at the 5 percent significance level"
  "Page 2 of"
)
# The text without the form feeds that mark the pages.
if text=$(pdftotext -enc UTF-8 "$pdf" - 2>&1 | tr -d '\f'); then
  # Each chapter heading on a line of its own (the contents list names them within sentences).
  for heading in "${headings[@]}"; do
    grep -qxF -- "$heading" <<<"$text" || fail "the guide lacks the heading \"$heading\""
  done
  # Line breaks as blanks, so that a phrase wrapped across two lines still matches.
  flat=$(tr '\n' ' ' <<<"$text" | tr -s ' ')
  for phrase in "${phrases[@]}"; do
    grep -qF -- "$phrase" <<<"$flat" || fail "the guide lacks \"$phrase\""
  done
else
  fail "pdftotext rejects $pdf: $text"
fi

# --- The renderer's failures -------------------------------------------------------------------

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen

# Runs the renderer, expecting it to fail with one line on standard error (Qt's notes about its
# runtime folder aside).
expect_failure() {
  local what=$1
  shift
  local message status
  message=$("$renderer" "$@" 2>&1 >/dev/null)
  status=$?
  message=$(grep -v '^QStandardPaths:' <<<"$message")
  [ "$status" -ne 0 ] || fail "$what: exit status 0"
  [ -n "$message" ] && [ "$(wc -l <<<"$message")" -eq 1 ] ||
    fail "$what: expected one line on standard error, got: $message"
}

expect_failure "missing source" "$scratch/no-such-guide.md" "$scratch/missing.pdf"
[ ! -e "$scratch/missing.pdf" ] || fail "missing source: an output file was left"

printf '# Guide\n' >"$scratch/guide.md"
expect_failure "folder that does not exist" "$scratch/guide.md" "$scratch/none/guide.pdf"

# A failure after the output was opened (a picture that is not there) keeps the previous file as
# it was and leaves no scratch file beside it.
printf '# Guide\n\n![window](no-such-picture.png)\n' >"$scratch/broken.md"
echo "previous guide" >"$scratch/kept.pdf"
expect_failure "missing picture" "$scratch/broken.md" "$scratch/kept.pdf"
[ "$(cat "$scratch/kept.pdf")" = "previous guide" ] || fail "missing picture: the old file changed"
leftovers=$(find "$scratch" -mindepth 1 ! -name '*.md' ! -name kept.pdf)
[ -z "$leftovers" ] || fail "missing picture: files left behind: $leftovers"

[ "$failures" -eq 0 ] || exit 1
echo "help_pdf: all checks passed"
