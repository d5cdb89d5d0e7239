#!/usr/bin/env python3
"""Runs mensuro-cli on hostile files of growing size and checks its peak memory and time.

Each file is run at three sizes (1x, 2x, 4x). Targets: peak memory at most 20 times the input
plus 64 MB, and time linear in the input: the time per input byte at 4x at most twice that at
1x. Times are the best of three runs, so that a busy machine doesn't fail a check. Exits 1 when
a target is missed.

Usage: bench/hostile_input.py BUILD_DIR
"""

import os
import random
import subprocess
import sys
import tempfile
import time

MB = 1_000_000

PUBLISHED = "A,B,100\nA,C,300\nB,D,500\nC,D,300.01\n"
PAIRS = ["A,B,99.99", "A,C,299.99", "B,D,499.99", "C,D,300.00"]


def observations(count, end="\n", mark=""):
    lines = [f"{PAIRS[i % 4]}{i % 10}{mark}{end}" for i in range(count)]
    return ("^1" + end + "%1.5" + end + "".join(lines)).encode()


def odd_numbers(count):
    # Valid observations with a note after the distance, and header lines of every odd form.
    odd = ["1e999", "nan", "inf", "-0", "0x10", "1,5"]
    head = "".join(f"^{o}\n%{o}\n" for o in odd)
    return (head + "".join(f"{PAIRS[i % 4]}{i % 10} {odd[i % 6]}\n" for i in range(count))).encode()


def long_names(count):
    name = "N" * 10_000
    lines = [f"{name}{i % 4},B,{100 + i % 7}\n" for i in range(count)]
    return "".join(lines).encode()


def garbage(size):
    return random.Random(7).randbytes(size)


def long_line(size):
    return b"#" + b"c" * size + b"\n" + observations(4)


# name: (what the file holds at scale 1, generator of that many units, the unit at scale 1)
CASES = {
    "observations": (observations, 250_000),
    "CR-only line ends": (lambda n: observations(n, end="\r"), 250_000),
    "UTF-8 byte-order mark": (lambda n: b"\xef\xbb\xbf" + observations(n), 250_000),
    "NUL bytes in lines": (lambda n: observations(n, mark="\0note"), 250_000),
    "odd numbers": (odd_numbers, 250_000),
    "UTF-16 (refused)": (lambda n: "\ufeff".encode("utf-16-le") +
                         observations(n).decode().encode("utf-16-le"), 250_000),
    "binary garbage": (garbage, 4 * MB),
    "one long line": (long_line, 2_500_000),
    "names of 10,000 characters": (long_names, 250),
}


def run_cli(cli, measured, published, work):
    """Wall time and peak resident memory (bytes) of one run, and its exit status. GNU time
    measures the memory: a child's own figure from Python would include Python's memory at the
    fork."""
    report = os.path.join(work, "time.txt")
    start = time.perf_counter()
    with open(os.devnull, "wb") as sink:
        status = subprocess.call(["/usr/bin/time", "-f", "%x %M", "-o", report, cli, measured,
                                  "--published", published], stdout=sink, stderr=sink)
    seconds = time.perf_counter() - start
    with open(report) as f:
        exit_status, peak_kib = f.read().split()[-2:]
    if status != int(exit_status):
        sys.exit(f"hostile_input.py: /usr/bin/time failed on {measured}")
    return seconds, int(peak_kib) * 1024, int(exit_status)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench/hostile_input.py BUILD_DIR")
    cli = os.path.join(sys.argv[1], "bin", "mensuro-cli")
    if not os.access(cli, os.X_OK):
        sys.exit(f"hostile_input.py: {cli} not built")

    failures = []
    print(f"{'file':28} {'size':>5} {'input MB':>9} {'exit':>4} {'peak MB':>8} "
          f"{'limit MB':>8} {'seconds':>8} {'us/KB':>7}")
    with tempfile.TemporaryDirectory() as work:
        published = os.path.join(work, "published.txt")
        with open(published, "w") as f:
            f.write(PUBLISHED)
        empty = os.path.join(work, "empty.txt")
        open(empty, "wb").close()
        seconds, peak, status = run_cli(cli, empty, published, work)
        print(f"{'empty file':28} {'':>5} {0:9.1f} {status:4} {peak / MB:8.1f} {64:8.0f} "
              f"{seconds:8.3f}")
        if status not in (0, 1, 2) or peak > 64 * MB:
            failures.append("empty file")

        for name, (generate, unit) in CASES.items():
            per_byte = {}
            for scale in (1, 2, 4):
                measured = os.path.join(work, "measured.txt")
                with open(measured, "wb") as f:
                    f.write(generate(unit * scale))
                size = os.path.getsize(measured)
                runs = [run_cli(cli, measured, published, work) for _ in range(3)]
                seconds = min(r[0] for r in runs)
                peak = max(r[1] for r in runs)
                status = runs[0][2]
                limit = 20 * size + 64 * MB
                per_byte[scale] = seconds / size
                print(f"{name:28} {str(scale) + 'x':>5} {size / MB:9.1f} {status:4} "
                      f"{peak / MB:8.1f} {limit / MB:8.0f} {seconds:8.3f} "
                      f"{per_byte[scale] * 1e9:7.1f}")
                if status not in (0, 1, 2):
                    failures.append(f"{name} {scale}x: exit status {status}")
                if peak > limit:
                    failures.append(f"{name} {scale}x: peak memory {peak / MB:.1f} MB "
                                    f"over {limit / MB:.0f} MB")
            ratio = per_byte[4] / per_byte[1]
            if ratio > 2.0:
                failures.append(f"{name}: time per byte at 4x is {ratio:.2f} times that at 1x")

    print()
    for failure in failures:
        print(f"FAIL: {failure}")
    if not failures:
        print("PASS: every hostile file within 20 x input + 64 MB, and in time linear in its size")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
