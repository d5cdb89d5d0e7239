#!/usr/bin/env python3
"""Measures what one run of mensuro-cli's text report costs as a whole process.

Runs the report of the Kellerby example N times and /bin/true N times, alternating, and prints
the processor time (user + system) per run of each, their ratio and the report run's peak
memory (maximum resident set size). A script that calls mensuro-cli once per file pays this
for every file, so the report should cost little more than starting any program. Targets: at
most 3 times the processor time of /bin/true, and at most 8 MB. Exits 1 when a target is
missed.

Usage: bench/startup.py BUILD_DIR [RUNS]
"""

import os
import subprocess
import sys
import tempfile

MB = 1_000_000
TIME_RATIO_TARGET = 3.0
PEAK_MB_TARGET = 8.0
PEAK_RUNS = 10
DISCARD_OUTPUT = (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)


def run_once(argv):
    """Runs `argv` with its output thrown away; returns its processor seconds."""
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=[DISCARD_OUTPUT])
    _, status, usage = os.wait4(pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"startup.py: {' '.join(argv)} failed (status {status})")
    return usage.ru_utime + usage.ru_stime


def peak_bytes(argv):
    """The peak memory of one run of `argv`, as /usr/bin/time measures it.

    Not from this process's own wait: a child's peak starts at that of the process that started
    it, and Python is bigger than the program measured; /usr/bin/time is small.
    """
    with tempfile.NamedTemporaryFile("r") as measured:
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", measured.name] + argv,
                       stdout=subprocess.DEVNULL, check=True)
        return int(measured.read().split()[-1]) * 1024  # KiB
def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else 200
    examples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
    cli = os.path.abspath(os.path.join(build, "bin", "mensuro-cli"))
    for program in (cli, "/usr/bin/time"):
        if not os.access(program, os.X_OK):
            sys.exit(f"startup.py: {program} not found")
    report = [cli, os.path.join(examples, "kellerby-measured.txt"),
              "--published", os.path.join(examples, "kellerby-published.txt")]
    true = ["/bin/true"]

    # Alternating, so that a machine that gets busier part way slows both alike.
    report_seconds = true_seconds = 0.0
    for _ in range(runs):
        report_seconds += run_once(report)
        true_seconds += run_once(true)
    peak = max(peak_bytes(report) for _ in range(PEAK_RUNS))

    per_report = report_seconds / runs
    per_true = true_seconds / runs
    ratio = per_report / per_true if per_true > 0 else float("inf")
    peak_mb = peak / MB
    print(f"mensuro-cli text report of the Kellerby example, {runs} runs:")
    print(f"  processor time per run: {per_report * 1e3:.2f} ms "
          f"(/bin/true: {per_true * 1e3:.2f} ms, ratio {ratio:.2f})")
    print(f"  peak memory (/usr/bin/time, most of {PEAK_RUNS} runs): {peak_mb:.1f} MB")
    checks = [
        (f"report's processor time at most {TIME_RATIO_TARGET:g}x that of /bin/true",
         ratio <= TIME_RATIO_TARGET, f"{ratio:.2f}x"),
        (f"report's peak memory within {PEAK_MB_TARGET:g} MB", peak_mb <= PEAK_MB_TARGET,
         f"{peak_mb:.1f} MB"),
    ]
    for what, ok, figure in checks:
        print(f"{'PASS' if ok else 'FAIL'}: {what} ({figure})")
    return 0 if all(ok for _, ok, _ in checks) else 1


if __name__ == "__main__":
    sys.exit(main())
