#!/usr/bin/env bash
# Runs one fuzz target for a while, starting from its seed corpus.
#
#   run_fuzzer.sh [--merge] FUZZER SEED_DIR SECONDS WORK_DIR [libFuzzer options...]
#
# WORK_DIR is emptied first. The inputs that reach new code go to WORK_DIR/corpus, never into
# SEED_DIR; an input that crashes, leaks, runs out of time or memory or breaks an invariant goes
# to WORK_DIR/artifacts, whose path is printed. With --merge, the inputs of WORK_DIR/corpus that
# add coverage to SEED_DIR are then copied into it. Exits 1 when the target failed, 2 when it
# could not be run.
set -uo pipefail

merge=0
if [ "${1:-}" = --merge ]; then
  merge=1
  shift
fi
if [ $# -lt 4 ]; then
  sed -n '2,11s/^# \{0,1\}//p' "$0" >&2
  exit 2
fi
fuzzer=$1 seeds=$2 seconds=$3 work=$4
shift 4
name=$(basename "$fuzzer")

if [ ! -x "$fuzzer" ]; then
  echo "run_fuzzer: $fuzzer is not built (cmake --build BUILD --target mensuro_fuzzers)" >&2
  exit 2
fi
if [ ! -d "$seeds" ]; then
  echo "run_fuzzer: no seed corpus $seeds" >&2
  exit 2
fi

rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts" "$work/tmp"
# The targets that need a file write it to the temporary folder.
export TMPDIR="$work/tmp"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds" 2>&1 |
  tee "$work/fuzz.log"
status=${PIPESTATUS[0]}

artifacts=$(find "$work/artifacts" -type f)
if [ "$status" -ne 0 ] || [ -n "$artifacts" ]; then
  echo
  echo "run_fuzzer: $name FAILED (exit status $status); log in $work/fuzz.log"
  echo "run_fuzzer: failing inputs in $work/artifacts/:"
  for artifact in $artifacts; do
    echo "  $artifact    (reproduce: $fuzzer $artifact)"
  done
  exit 1
fi

if [ "$merge" -eq 1 ]; then
  before=$(find "$seeds" -type f | wc -l)
  "$fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 -max_len=65536 "$seeds" "$work/corpus" \
    >"$work/merge.log" 2>&1 || {
    echo "run_fuzzer: merging into $seeds failed; log in $work/merge.log"
    exit 1
  }
  after=$(find "$seeds" -type f | wc -l)
  echo "run_fuzzer: $name: $((after - before)) new inputs merged into $seeds"
fi
echo "run_fuzzer: $name passed ($seconds s)"
