#!/usr/bin/env bash
# Starts the window program under Wine on a virtual screen, waits for its main window, and saves
# a picture of the screen: proof that it starts and shows itself as a user would see it.
#   window_screenshot.sh MENSURO_EXE OUTPUT_PNG
# Runs inside the Wine prefix of the caller (WINEPREFIX).
set -euo pipefail
exe="$1" picture="$2"

if [ -z "${MENSURO_INSIDE_XVFB:-}" ]; then
  MENSURO_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$@"
fi

export WINEDEBUG=-all
# A Wine server started without a display (by a silent install, say) keeps its desktop without
# one: the window needs a server that starts on this screen.
wineserver -k 2>/dev/null || true
wineserver -w
wine "$exe" >/dev/null 2>&1 &
# The main window's title names the calibration it does. (Without a window manager, nothing
# counts as visible: the name alone is looked for.)
window=
for _ in $(seq 1 120); do
  window="$(xdotool search --name 'EDM Calibration' 2>/dev/null)" || true
  window="${window%%$'\n'*}"
  [ -n "$window" ] && break
  sleep 0.5
done
if [ -z "$window" ]; then
  echo "FAIL mensuro.exe showed no window within a minute" >&2
  wineserver -k || true
  exit 1
fi
# Let it finish painting, then take the whole screen as the user sees it.
sleep 3
import -window root "$picture"
echo "ok mensuro.exe showed its window; picture in $picture"
wineserver -k || true
wait || true
