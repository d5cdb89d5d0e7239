#!/usr/bin/env bash
# Runs the processing benchmarks and those of drawing the plot, then measures the command line's
# peak memory on the 100,000-observation project and its time for a baseline calibration of 30
# pillars, and checks all against the targets. Exits 1
# when a target is missed, so that `make bench` shows it.
# Usage: bench/run.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: bench/run.sh BUILD_DIR}
bench="$build/bench/mensuro_bench"
plot_bench="$build/bench/mensuro_plot_bench"
cli="$build/bin/mensuro-cli"
baseline_bench="$build/bench/mensuro_baseline_bench"
observations=100000
pillars=30
for program in "$bench" "$plot_bench" "$cli" "$baseline_bench"; do
  [ -x "$program" ] || { echo "run.sh: $program not built" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Three repetitions, judged on the median: a shared 2-core machine has outliers. Takes about
# half a minute.
"$bench" --benchmark_min_time=0.5 --benchmark_repetitions=3 \
  --benchmark_display_aggregates_only=true \
  --benchmark_out="$work/bench.json" --benchmark_out_format=json

# Drawing the plot, at 2,000 and 8,000 observations.
"$plot_bench" --benchmark_repetitions=3 --benchmark_display_aggregates_only=true \
  --benchmark_out="$work/plot.json" --benchmark_out_format=json

"$bench" --write-project "$work/project" "$observations"
status=0
/usr/bin/time -v -o "$work/time.txt" "$cli" "$work/project/measured.txt" \
  --published "$work/project/published.txt" >"$work/report.txt" || status=$?
if [ "$status" -ne 0 ]; then
  echo "run.sh: mensuro-cli failed on the generated project (exit $status)" >&2
  exit 2
fi

# The whole of `mensuro-cli baseline` on an all-combinations survey of 30 pillars, every pair
# measured both ways (870 lines): the median wall time of eleven runs, start to exit.
"$baseline_bench" --write-baseline-survey "$work" "$pillars"
python3 - "$cli" "$work/baseline-survey.txt" >"$work/baseline-seconds.txt" <<'EOF'
import statistics
import subprocess
import sys
import time

runs = []
for _ in range(11):
    start = time.perf_counter()
    subprocess.run([sys.argv[1], "baseline", sys.argv[2]], stdout=subprocess.DEVNULL, check=True)
    runs.append(time.perf_counter() - start)
print(statistics.median(runs))
EOF

python3 - "$work/bench.json" "$work/time.txt" "$observations" "$work/plot.json" \
  "$work/baseline-seconds.txt" "$pillars" <<'EOF'
import json
import re
import sys

bench_json, time_txt, cli_observations = sys.argv[1], sys.argv[2], int(sys.argv[3])
plot_json = sys.argv[4]
with open(sys.argv[5]) as f:
    baseline_seconds = float(f.read())
pillars = int(sys.argv[6])
survey_lines = pillars * (pillars - 1)
to_seconds = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# Median wall time of one run, by number of observations.
def median_seconds(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    seconds = {}
    for run in runs:
        if run.get("error_occurred"):
            sys.exit(f"run.sh: {run['name']} failed: {run.get('error_message', '')}")
        if run.get("run_type") == "aggregate" and run.get("aggregate_name") == "median":
            seconds[int(run["observations"])] = run["real_time"] * to_seconds[run["time_unit"]]
    return seconds

seconds = median_seconds(bench_json)
plot_seconds = median_seconds(plot_json)
plot_ratio = plot_seconds[8000] / plot_seconds[2000]

with open(time_txt) as f:
    rss_kib = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", f.read()).group(1))
rss_mb = rss_kib * 1024 / 1e6

per_obs = {n: t / n for n, t in seconds.items()}
ratio = per_obs[100000] / per_obs[10000]

print()
for n in sorted(seconds):
    print(f"{n:>7} observations: {seconds[n] * 1e3:10.3f} ms  "
          f"({per_obs[n] * 1e6:.3f} us per observation)")
print(f"per-observation time, 100,000 over 10,000: {ratio:.2f}")
print(f"mensuro-cli peak RSS, {cli_observations} observations: {rss_mb:.1f} MB")
for n in sorted(plot_seconds):
    print(f"plot of {n:>5} observations: {plot_seconds[n] * 1e3:8.1f} ms")
print(f"mensuro-cli baseline, {pillars} pillars ({survey_lines} lines): "
      f"{baseline_seconds * 1e3:.1f} ms")
print()

checks = [
    ("100 observations within 50 us", seconds[100] <= 50e-6,
     f"{seconds[100] * 1e6:.1f} us"),
    ("100,000 observations within 200 ms", seconds[100000] <= 200e-3,
     f"{seconds[100000] * 1e3:.1f} ms"),
    ("per-observation time at 100,000 at most 2x that at 10,000", ratio <= 2.0,
     f"{ratio:.2f}x"),
    ("mensuro-cli peak RSS at 100,000 observations within 100 MB", rss_mb <= 100.0,
     f"{rss_mb:.1f} MB"),
    # Linear growth gives 4; the square of the points would give 16.
    ("plot of 8,000 observations at most 6x the time of 2,000", plot_ratio <= 6.0,
     f"{plot_ratio:.2f}x"),
    (f"mensuro-cli baseline on {survey_lines} survey lines within 50 ms",
     baseline_seconds <= 50e-3, f"{baseline_seconds * 1e3:.1f} ms"),
]
for what, ok, figure in checks:
    print(f"{'PASS' if ok else 'FAIL'}: {what} ({figure})")
sys.exit(0 if all(ok for _, ok, _ in checks) else 1)
EOF
