#!/usr/bin/env python3
"""Side by side: every other calc gives the first one's standard output,
standard error and exit status, byte for byte (a Windows calc's CR LF line
ends checked and read as LF), on the benchmark's seeded batches, numerals
whose digit counts straddle the limb size, and hostile input.

  same_output.py REFERENCE_COMMAND COMMAND...

Each command is one argument, an emulator first where there is one (see
calc_command.py). Exit status 0 when all agree."""
import os
import random
import subprocess
import sys

import calc_command

HERE = os.path.dirname(os.path.abspath(__file__))
BATCHES = (("small", 20000), ("wide", 2000))
LIMB_DIGITS = 9

# Input that takes the driver off the happy path: refusals of every kind,
# pairs across lines and separators, a Ctrl-Z byte inside a token and alone,
# a byte-order mark at the start and later, NUL, long tokens, a lone last one.
HOSTILE = (
    b"",
    b"\xef\xbb\xbf1 2\r\n3\n\n4 x 5 -0 .5\t+6. 1\x1a2 7 \x1a 8 \x00 9\v10\f11 " + b"9" * 300 + b" 1 2",
    b"1 2 \xef\xbb\xbf3 4 -" + b"1" * 256 + b" 5 0 " + b"0." + b"0" * 255 + b"1 -5 0",
    b"\xd9\xa3 1\xc3\xa92 " + b"x" * 100000 + b" 3 4 5",
)


def batch(name, pairs):
    return subprocess.run([sys.executable, os.path.join(HERE, "..", "bench", "gen_batch.py"), name,
                           "--pairs", str(pairs), "--seed", "1"], capture_output=True, check=True).stdout


def limb_boundaries():
    """Every pair of digit counts one below, at and one above a multiple of
    the limb size, on both sides of the point, seeded digits."""
    rng = random.Random(9)
    counts = sorted({c for k in range(1, 255 // LIMB_DIGITS + 1) for c in (9 * k - 1, 9 * k, 9 * k + 1) if c <= 255})
    digits = lambda n: str(rng.randint(1, 9)) + "".join(rng.choice("0123456789") for _ in range(n - 1))
    lines = []
    for a in counts[::3]:
        for b in counts:
            lines.append(f"{digits(a)}.{digits(b % 20 + 1)} -{digits(b)}")
            lines.append(f"0.{digits(a)} {digits(b)}.{digits(a % 10 + 1)}")
    return ("\n".join(lines) + "\n").encode()


def outcome(command, data):
    done = subprocess.run(command, input=data, capture_output=True, timeout=600, check=False)
    return (calc_command.lf_lines(done.stdout, command), calc_command.lf_lines(done.stderr, command), done.returncode)


def main():
    reference, *others = [calc_command.parse(arg) for arg in sys.argv[1:]]
    inputs = [(f"{name} batch", batch(name, pairs)) for name, pairs in BATCHES]
    inputs += [("limb boundaries", limb_boundaries())] + [(f"hostile input {i}", data) for i, data in enumerate(HOSTILE)]
    failed = 0
    for label, data in inputs:
        want = outcome(reference, data)
        for command in others:
            got = outcome(command, data)
            agree = got == want
            failed += not agree
            print(f"{'same' if agree else 'DIFFERENT':9} {label} ({len(data)} bytes, status {got[2]}): {' '.join(command)}")
    print(f"{len(inputs) * len(others) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
