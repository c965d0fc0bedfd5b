#!/usr/bin/env python3
"""Seeded batches of numeral pairs for calc, one pair a line.

  small: 1 to 20 digits a side, both signs, some zeros, some integers
  wide:  0 to 255 digits a side, plus sparse numerals (one nonzero digit
         far from the point) that reach the widest shifts and quotient scales

The random stream is BLAKE2b in counter mode over (seed, batch), so a batch
depends on the seed and the pair count only, never on the Python version.

  python3 bench/gen_batch.py small|wide [--pairs N] [--seed S] [-o FILE]
"""
import argparse
import hashlib
import sys

MAX_DIGITS = 255
# Bytes 0..249 become digits, 250..255 are dropped: uniform digits.
_TO_DIGIT = bytes(ord("0") + b % 10 for b in range(256))
_REJECTED = bytes(range(250, 256))


class Stream:
    def __init__(self, seed, label):
        self._key = f"calc-bench:{seed}:{label}".encode()
        self._counter = 0
        self._buf = b""

    def _refill(self):
        block = hashlib.blake2b(self._counter.to_bytes(8, "little"), key=self._key[:64]).digest()
        self._counter += 1
        self._buf += block

    def take(self, n):
        while len(self._buf) < n:
            self._refill()
        out, self._buf = self._buf[:n], self._buf[n:]
        return out

    def below(self, n):
        """An integer in [0, n), n far below 2**64."""
        return int.from_bytes(self.take(8), "little") % n

    def chance(self, percent):
        return self.below(100) < percent

    def digits(self, n):
        out = b""
        while len(out) < n:
            out += self.take(n - len(out) + 8).translate(_TO_DIGIT, _REJECTED)
        return out[:n].decode()


def signed(s, text, negative_percent=50):
    if s.chance(negative_percent):
        return "-" + text
    if s.chance(5):
        return "+" + text
    return text


def small_numeral(s):
    if s.chance(6):  # a zero in one of its spellings
        return signed(s, ["0", "0.0", "000", "0.000", ".0", "0."][s.below(6)])
    whole = s.digits(1 + s.below(20))
    if s.chance(25):  # an integer
        return signed(s, whole)
    return signed(s, whole + "." + s.digits(1 + s.below(20)))


def sparse(s, int_len, frac_len):
    """All zeros but one nonzero digit, at a random place."""
    body = ["0"] * (int_len + frac_len)
    body[s.below(len(body))] = str(1 + s.below(9))
    text = "".join(body)
    return text[:int_len] + ("." + text[int_len:] if frac_len else "")


def wide_numeral(s):
    if s.chance(3):
        return signed(s, ["0", "0." + "0" * MAX_DIGITS, "0" * MAX_DIGITS][s.below(3)])
    int_len, frac_len = s.below(MAX_DIGITS + 1), s.below(MAX_DIGITS + 1)
    if int_len + frac_len == 0:
        return signed(s, "0")
    if s.chance(10):
        return signed(s, sparse(s, int_len, frac_len))
    text = s.digits(int_len)
    if frac_len:
        text += "." + s.digits(frac_len)
    return signed(s, text)


BATCHES = {"small": small_numeral, "wide": wide_numeral}


def batch_lines(name, pairs, seed):
    s = Stream(seed, name)
    make = BATCHES[name]
    for _ in range(pairs):
        yield f"{make(s)} {make(s)}\n"


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("batch", choices=sorted(BATCHES))
    p.add_argument("--pairs", type=int, default=20000)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("-o", "--output", help="file to write (default: stdout)")
    a = p.parse_args()
    out = open(a.output, "w") if a.output else sys.stdout
    with out:
        out.writelines(batch_lines(a.batch, a.pairs, a.seed))


if __name__ == "__main__":
    main()
