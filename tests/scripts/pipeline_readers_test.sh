#!/usr/bin/env bash
# Under `set -o pipefail` a pipeline fails when any of its commands does. A reader that exits
# early (`grep -q`, `grep -m`, `head`) leaves the writer before it to die of SIGPIPE, so such a
# pipeline fails or passes by the timing of the two processes. This checks every shell script
# of the project that sets pipefail for a pipe into such a reader; feed the reader a variable
# (`grep -q ... <<<"$text"`) instead.
set -uo pipefail
root="$1"

found=0
while IFS= read -r -d '' script; do
  grep -q 'pipefail' "$script" || continue
  # A pipe at a line's end continues on the next line: join them before looking.
  joined="$(sed -e ':a' -e '/[^|]|[[:space:]]*$/{N;s/\n//;ba' -e '}' "$script")"
  if hits="$(grep -nE '(^|[^|])\|[[:space:]]*(grep[[:space:]]+(-[a-zA-Z]*[qm]|--quiet|--max-count)|head([[:space:]]|$))' <<<"$joined")"; then
    echo "$script: an early-exiting reader in a pipefail pipeline:" >&2
    echo "$hits" >&2
    found=1
  fi
done < <(find "$root" -path "$root/build*" -prune -o -path "$root/.git" -prune -o \
  -type f \( -name '*.sh' -o -path "$root/.ci/run" \) -print0)

[ "$found" -eq 0 ] && echo "pipeline readers: OK"
exit "$found"
