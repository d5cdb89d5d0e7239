#!/usr/bin/env bash
# The whole test suite under the memory checkers (make check-deep):
#   check-deep.sh DEEP_DIR
# 1. DEEP_DIR/asan: every target (core, mensuro-cli, the window, all tests) built with gcc and
#    AddressSanitizer + UndefinedBehaviorSanitizer, then the whole ctest suite run with
#    LeakSanitizer on. The window's tests run there too, on Qt's offscreen platform, and the
#    command line tests run the sanitized mensuro-cli.
# 2. DEEP_DIR/memcheck: an ordinary build of mensuro-cli and its tests; cli_tests then start
#    every mensuro-cli under valgrind's memcheck (through MENSURO_CLI_WRAPPER, see
#    tests/cli/cli_run.h). Tests named large_... are left out: under valgrind they take minutes.
# Both parts always run; a summary follows, and the exit status is 1 if anything failed.
set -uo pipefail

deep=${1:?usage: check-deep.sh DEEP_DIR}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
# The sanitizers' settings for everything started below, the build's own guide renderer
# included. A finding ends the process with status 23, which no test takes for one of
# mensuro-cli's own (1 is also its "processing failed"). Leaks that Qt and its libraries keep,
# should any show up, are suppressed in tests/sanitizers/lsan-qt.supp (third-party frames only).
export ASAN_OPTIONS="detect_leaks=1:exitcode=23:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$source_dir/tests/sanitizers/lsan-qt.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=23"
# memcheck writes what it finds to the log file that RunCli names, which fails the test; leaks
# count when memory is definitely lost.
valgrind_command="valgrind --error-exitcode=1 -q --leak-check=full --show-leak-kinds=definite"
valgrind_command+=" --errors-for-leak-kinds=definite"
valgrind_command+=" --log-file=%q{MENSURO_CLI_WRAPPER_LOG}"

summary=()
failed=0

# Runs "$@" as the step named $1 (the rest is the command), timing it and noting the outcome.
step() {
  local name=$1
  shift
  echo
  echo "=== check-deep: $name"
  local start=$SECONDS status
  "$@"
  status=$?
  local took=$((SECONDS - start))
  local outcome=ok
  if [ "$status" -ne 0 ]; then
    outcome="FAILED (status $status)"
    failed=1
  fi
  summary+=("$(printf '  %-58s %-20s %dm%02ds' "$name" "$outcome" $((took / 60)) $((took % 60)))")
  return "$status"
}

skip() {
  summary+=("$(printf '  %-58s %s' "$1" "skipped: $2")")
}

configure() {
  local dir=$1
  shift
  # Benchmarks and the clang-built fuzz targets have no place in either tree.
  cmake -S "$source_dir" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=g++ -DMENSURO_BUILD_BENCH=OFF -DMENSURO_FUZZ_SMOKE=OFF \
    -DMENSURO_STATIC_CXX_RUNTIME=OFF "$@" >/dev/null
}

asan_build() {
  # The core's own sanitized test copy would only repeat what this tree does.
  configure "$deep/asan" -DMENSURO_SANITIZED_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS=$sanitize" "-DCMAKE_EXE_LINKER_FLAGS=$sanitize" \
    "-DCMAKE_SHARED_LINKER_FLAGS=$sanitize" "-DCMAKE_MODULE_LINKER_FLAGS=$sanitize" &&
    cmake --build "$deep/asan"
}

asan_tests() {
  ctest --test-dir "$deep/asan" --output-on-failure -j "$jobs"
}

memcheck_build() {
  configure "$deep/memcheck" -DMENSURO_SANITIZED_TESTS=OFF &&
    cmake --build "$deep/memcheck" --target cli_tests
}

# The tests in as many shards as there are processors, each shard's output shown once it is done.
memcheck_tests() {
  local out shard status=0
  local pids=()
  out=$(mktemp -d)
  for ((shard = 0; shard < jobs; shard++)); do
    GTEST_TOTAL_SHARDS=$jobs GTEST_SHARD_INDEX=$shard MENSURO_CLI_WRAPPER=$valgrind_command \
      "$deep/memcheck/tests/cli_tests" --gtest_filter='-*.large_*' --gtest_brief=1 \
      >"$out/$shard" 2>&1 &
    pids+=($!)
  done
  for ((shard = 0; shard < jobs; shard++)); do
    wait "${pids[shard]}" || status=1
    cat "$out/$shard"
  done
  rm -rf "$out"
  return "$status"
}

if step "ASan+UBSan build ($deep/asan)" asan_build; then
  step "ctest under ASan, UBSan and LeakSanitizer" asan_tests
else
  skip "ctest under ASan, UBSan and LeakSanitizer" "the build failed"
fi

if ! command -v valgrind >/dev/null; then
  echo "check-deep: valgrind is missing; install it with: apt-get install valgrind" >&2
  skip "cli_tests with mensuro-cli under valgrind memcheck" "valgrind is not installed"
  failed=1
elif step "memcheck build ($deep/memcheck)" memcheck_build; then
  step "cli_tests with mensuro-cli under valgrind memcheck" memcheck_tests
else
  skip "cli_tests with mensuro-cli under valgrind memcheck" "the build failed"
fi

echo
echo "=== check-deep: summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
  echo "check-deep: FAILED"
  exit 1
fi
echo "check-deep: passed"
