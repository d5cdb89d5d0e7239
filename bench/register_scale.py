#!/usr/bin/env python3
"""The calibration register at a laboratory's scale.

Grows an SQLite register to RECORDS certificates (default 100,000) with synthetic PDFs of a
realistic size, and one of a tenth of that, each kept in BUILD_DIR/bench-register for later runs
(the first run takes a while and some gigabytes). Then checks the targets:
- issuing one more certificate into the full register takes at most 0.3 s;
- `mensuro-cli register list --since` of the last month takes at most 0.5 s as a whole process;
- `mensuro-cli register verify` streams: its peak memory on the full register is at most 1.5
  times that on the register of a tenth of its size, and it finds both intact.
Exits 1 when a target is missed.

Usage: bench/register_scale.py BUILD_DIR [RECORDS]
"""

import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

ISSUE_TARGET_S = 0.3
LIST_TARGET_S = 0.5
VERIFY_GROWTH_TARGET = 1.5


def grown_register(build, records):
    """The register of `records` certificates (and one more per earlier run), and the time of
    issuing one more into it."""
    folder = os.path.join(build, "bench-register")
    os.makedirs(folder, exist_ok=True)
    location = os.path.join(folder, f"register-{records}.sqlite")
    done = subprocess.run([os.path.join(build, "bench", "mensuro_register_bench"), location,
                           str(records)], stdout=subprocess.PIPE, check=True, text=True)
    return location, json.loads(done.stdout)


def list_seconds(cli, location, runs=5):
    """The median wall time of listing the last month's certificates."""
    argv = [cli, "register", "list", "--register", location, "--since", "2026-12-01"]
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
        times.append(time.perf_counter() - started)
    return statistics.median(times)


def verify_peak_mb(cli, location):
    """The peak memory of verifying the register, as /usr/bin/time measures it."""
    with tempfile.NamedTemporaryFile("r") as measured:
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", measured.name, cli, "register",
                               "verify", "--register", location], stdout=subprocess.PIPE,
                              text=True)
        if done.returncode != 0:
            sys.exit(f"register_scale.py: verify of {location} failed: {done.stdout}")
        return int(measured.read().split()[-1]) * 1024 / 1e6


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    build = sys.argv[1]
    records = int(sys.argv[2]) if len(sys.argv) == 3 else 100_000
    cli = os.path.join(build, "bin", "mensuro-cli")

    small, _ = grown_register(build, records // 10)
    full, grown = grown_register(build, records)
    listed = list_seconds(cli, full)
    small_mb = verify_peak_mb(cli, small)
    full_mb = verify_peak_mb(cli, full)

    print(f"register of {grown['records']} certificates"
          + (f" (grown in {grown['fillSeconds']:.0f} s)" if grown['fillSeconds'] > 1 else ""))
    print(f"issuing one more: {grown['issueSeconds'] * 1e3:.1f} ms")
    print(f"list --since of the last month: {listed * 1e3:.1f} ms")
    print(f"verify peak memory: {small_mb:.1f} MB at {records // 10}, {full_mb:.1f} MB at "
          f"{records}")
    checks = [
        (f"issuing one more within {ISSUE_TARGET_S} s", grown["issueSeconds"] <= ISSUE_TARGET_S),
        (f"list --since within {LIST_TARGET_S} s", listed <= LIST_TARGET_S),
        (f"verify's peak memory at most {VERIFY_GROWTH_TARGET}x that of a tenth of the records",
         full_mb <= VERIFY_GROWTH_TARGET * small_mb),
    ]
    print()
    for what, ok in checks:
        print(f"{'PASS' if ok else 'FAIL'}: {what}")
    sys.exit(0 if all(ok for _, ok in checks) else 1)


if __name__ == "__main__":
    main()
