"""Seeded differential run of the real calc binary against the decimal oracle.

Usage: differential.py CALC [--pairs N] [--seed S]
Feeds N random pairs (integers and fractions, 0 to 255 digits a side, zeros in
every shape, all nines, powers of ten, both signs) through one process and
compares every one of the four results with the oracle.
"""
import argparse
import subprocess
import sys
import time

import calc_command
import numerals


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("calc")
    parser.add_argument("--pairs", type=int, default=20000)
    parser.add_argument("--seed", type=int, default=20261207)
    args = parser.parse_args()

    pairs = numerals.pairs(args.seed, args.pairs)
    started = time.perf_counter()
    command = calc_command.parse(args.calc)
    run = subprocess.run(command, input=("\n".join(f"{a} {b}" for a, b in pairs) + "\n").encode(),
                         capture_output=True, timeout=600, check=False)
    elapsed = time.perf_counter() - started
    if run.returncode != 0 or run.stderr:
        sys.exit(f"calc exited {run.returncode}: {run.stderr[:500]!r}")

    got = calc_command.lf_lines(run.stdout, command).decode().split("\n")
    want = numerals.expected_output(pairs).split("\n")
    mismatches = 0
    for index, (left, right) in enumerate(pairs):
        block = slice(1 + 9 * index, 1 + 9 * (index + 1))
        if got[block] != want[block]:
            mismatches += 1
            if mismatches <= 5:
                for heading, g, w in zip(numerals.HEADINGS, got[block][1::2], want[block][1::2]):
                    if g != w:
                        print(f"MISMATCH {left} {right}\n  {heading}\n  got  {g}\n  want {w}")
        a, b = numerals.parse(left), numerals.parse(right)
        q_text = got[block][7] if len(got[block]) > 7 else "0"
        if (a[1] or a[2]) and (b[1] or b[2]) and not numerals.is_cut(a, b, q_text):
            mismatches += 1
            print(f"NOT CUT {left} / {right} gave {q_text}")
    if len(got) != len(want):
        mismatches += 1
        print(f"output has {len(got)} lines, want {len(want)}")
    print(f"{len(pairs)} pairs, {mismatches} mismatched, calc took {elapsed:.2f} s")
    sys.exit(1 if mismatches else 0)


if __name__ == "__main__":
    main()
