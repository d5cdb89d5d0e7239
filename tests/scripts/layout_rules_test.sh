#!/usr/bin/env bash
# The rules of the source tree that no compiler checks, because they hold inside one library:
#  - a folder of the window (ui/) includes only itself, ui/common/ and the layers below; ui/main/
#    brings the others together, and ui/common/ includes no other folder of the window;
#  - only the typed settings unit reads and writes the user's settings (QSettings): the test of
#    the settings file's keys aside, tests and the screenshot tool merely point them at a
#    scratch folder.
set -uo pipefail
root="$1"
found=0

for folder in "$root"/ui/*/; do
  name="$(basename "$folder")"
  [ "$name" = main ] && continue
  while IFS= read -r hit; do
    included="$(sed -E 's/.*#include "ui\/([^/"]+)\/.*/\1/' <<<"$hit")"
    if [ "$included" != "$name" ] && [ "$included" != common ]; then
      echo "ui/$name/ includes ui/$included/: $hit" >&2
      found=1
    fi
  done < <(grep -rHn '#include "ui/' "$folder")
done

while IFS= read -r hit; do
  case "$hit" in
    "$root/ui/common/settings.cpp:"* | "$root/tests/ui/ui_test_main.cpp:"* | \
    "$root/tests/ui/settings_test.cpp:"* | \
    "$root/tools/window_screenshot.cpp:"*) ;;
    *)
      echo "only ui/common/settings.cpp uses QSettings: $hit" >&2
      found=1
      ;;
  esac
done < <(grep -rHn --include='*.cpp' --include='*.h' 'QSettings' "$root/ui" "$root/tests" "$root/tools")

[ "$found" -eq 0 ] && echo "layout rules: OK"
exit "$found"
