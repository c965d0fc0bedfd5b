"""Writes the fuzzers' seed corpus: numeral pairs "LEFT<separator>RIGHT" for
fuzz_calc, or with --chains numerals and a program "NUMERALS|PROGRAM" for
fuzz_chains (fuzz_chains.cpp describes the program's bytes).

Usage: make_corpus.py DIR [--seed S] [--random N] [--chains]

Seeds come from the numeral grammar [+-]? digit* ('.' digit*)? and its
boundary families (digit counts around multiples of nine among them): all
nines, powers of ten, 255 digits on a side (accepted) and 256 (refused), lone
signs and points, the odd forms 5. .5 -., zeros in every shape, and a few
refused tokens; every boundary form is paired with a
few plain operands. Then N seeded random pairs, N/3 pairs whose quotient is
exact (a long divisor times a small factor), and N/3 one unit or a divisor
off a multiple of a divisor of several limbs.
"""
import argparse
import hashlib
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import numerals  # noqa: E402  (the grammar's generators, shared with the differential test)

LIMIT = numerals.MAX_DIGITS
SEPARATORS = (" ", "\n", "\t", "\r\n")


def boundary_forms():
    forms = []
    # Digit counts on and around multiples of the nine-digit limbs the
    # multiplication and division work in, and the quotient's 127 digits.
    for n in (1, 2, 8, 9, 10, 17, 18, 19, 27, 28, 126, 127, 128, 135, 136, 243, 244, 252, 253, LIMIT - 1, LIMIT):
        nines = "9" * n
        forms += [nines, "-" + nines, "." + nines, nines + "." + nines[:LIMIT]]
        forms += ["1" + "0" * (n - 1), "0." + "0" * (n - 1) + "1", "-0." + "0" * (n - 1) + "1"]
    forms += ["9" * LIMIT + "." + "9" * LIMIT, "-" + "9" * LIMIT + "." + "9" * LIMIT,
              "1" + "0" * (LIMIT - 1) + "." + "0" * (LIMIT - 1) + "1",
              "0" * LIMIT + "." + "0" * (LIMIT - 1) + "1", "0" * (LIMIT - 1) + "1." + "0" * LIMIT]
    forms += ["-", "+", ".", "-.", "+.", "5.", ".5", "-.5", "+.5", "-5.", ""]
    forms += ["0", "-0", "+0", "00", "0.", ".0", "-0.0", "0.000", "0" * LIMIT, "." + "0" * LIMIT,
              "-" + "0" * LIMIT + "." + "0" * LIMIT]
    # Refused: one digit too many on a side, and forms outside the grammar.
    forms += ["1" * (LIMIT + 1), "0" * (LIMIT + 1), "." + "1" * (LIMIT + 1), "1." + "0" * (LIMIT + 1),
              "9" * (LIMIT + 1) + "." + "9" * (LIMIT + 1)]
    forms += ["1.2.3", "1e5", "--1", "+-1", "1-", "..", "#INFINITE", "0x10", "1\x005", "\x00", "\xd9\xa3",
              "\xef\xbc\x91", " 1", "1,5", "inf", "nan"]
    return forms


def exact_quotient_pair(rng):
    """(b x m, b) for a long b and a small m: a quotient that comes out exact,
    where the long division's last correction must land on a zero remainder."""
    b_digits = rng.randint(9, 2 * LIMIT - 130)
    b = rng.randrange(10 ** (b_digits - 1), 10 ** b_digits)
    m = rng.choice((1, 2, 3, 7, 9, 10, 11, 99, 10 ** rng.randint(1, 60) - 1, rng.randrange(1, 10 ** 40)))

    def text(value, frac):
        digits = str(value).rjust(frac + 1, "0")
        return (digits[:len(digits) - frac] + "." + digits[len(digits) - frac:]) if frac else digits

    def split(value):
        count = len(str(value))
        frac = rng.randint(max(0, count - LIMIT), min(LIMIT, count))
        return text(value, frac)

    return split(b * m), split(b)


def near_multiple_pair(rng):
    """(b x q + d, b) for a divisor b of two to six nine-digit limbs, a quotient
    q of nines or a random one, and d a unit or a divisor's worth off: the
    long division's quotient-limb estimates land one or two too high, the case
    its correction and add-back steps exist for."""
    b_digits = rng.choice((10, 17, 18, 19, 27, 28, 36, 45, 54))
    b = rng.choice((10 ** (b_digits - 1) + 1, 10 ** b_digits - 1, rng.randrange(10 ** (b_digits - 1), 10 ** b_digits),
                    5 * 10 ** (b_digits - 1) + 1, (10 ** (b_digits - 9) - 1) * 10 ** 9 + 1))
    q = rng.choice((10 ** 9 - 1, 10 ** 18 - 1, 999999998, rng.randrange(1, 10 ** 18)))
    a = b * q + rng.choice((-1, 1, -2, 1 - b, b - 1))
    return str(max(a, 1)), str(b)


# fuzz_chains' program: two bytes a step. The first byte's low three bits are
# the operation, its other five which record the left operand is, counted
# back from the latest; the second byte the right operand counted back the
# same way, or the shift.
SUM, DIFFERENCE, PRODUCT, QUOTIENT, SHIFT, SHIFT_TO_BOUND = 0, 1, 2, 3, 4, 5


def step(operation, left=0, right=0):
    return bytes([(left << 3 | operation) & 0xFF, right & 0xFF])


def chain_seeds(rng, count):
    """Designed chains (the bounds of the room, results of results), then
    random numerals with random programs."""
    nines = "9" * LIMIT
    tiny = "0." + "0" * (LIMIT - 1) + "1"
    seeds = [
        # 10^255 - 1 squared twice fills the integer room; doubled it overflows.
        (nines, step(PRODUCT) + step(PRODUCT) + step(SUM) + step(DIFFERENCE, 1, 0)),
        # 10^-255 cubed is cut to zero; the widest numeral cubed is cut.
        (tiny, step(PRODUCT) + step(PRODUCT, 0, 1)),
        ("", step(PRODUCT, 4, 4) + step(PRODUCT, 0, 5)),
        # 1 / 0, then the infinite result through every operation.
        ("1 0", step(QUOTIENT, 1, 0) + step(SUM, 0, 3) + step(PRODUCT, 0, 1) + step(QUOTIENT, 2, 0)
         + step(SHIFT, 0, 1)),
        # Shifts onto each bound, and sums and quotients there.
        ("5", step(SHIFT_TO_BOUND, 0, 1) + step(SUM) + step(SHIFT_TO_BOUND, 1, 4) + step(QUOTIENT, 3, 0)),
        ("-" + nines + "." + nines, step(SHIFT_TO_BOUND, 0, 7) + step(PRODUCT, 0, 1) + step(SHIFT, 0, 0x7F)
         + step(SHIFT, 1, 0x80)),
    ]
    for _ in range(count):
        tokens = [numerals.numeral(rng, rng.random() < 0.5) for _ in range(rng.randint(0, 3))]
        program = b"".join(step(rng.randrange(8), rng.randrange(4), rng.randrange(256))
                           for _ in range(rng.randint(2, 24)))
        seeds.append((" ".join(tokens), program))
    return [numerals_text.encode("latin-1") + b"|" + program for numerals_text, program in seeds]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--random", type=int, default=300)
    parser.add_argument("--chains", action="store_true", help="seeds for fuzz_chains")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)

    if args.chains:
        seeds = chain_seeds(rng, args.random)
        for data in seeds:
            with open(os.path.join(args.dir, hashlib.sha1(data).hexdigest()), "wb") as seed:
                seed.write(data)
        print(f"{len(seeds)} chain seeds in {args.dir}")
        return

    plain = ["1", "-3", "7.25", "0", "-0.001", "9" * LIMIT, "0." + "0" * (LIMIT - 1) + "1"]
    pairs = []
    for form in boundary_forms():
        for other in rng.sample(plain, 3):
            pairs += [(form, other), (other, form)]
    pairs += [(numerals.numeral(rng, rng.random() < 0.5), numerals.numeral(rng, rng.random() < 0.5))
              for _ in range(args.random)]
    pairs += [exact_quotient_pair(rng) for _ in range(args.random // 3)]
    pairs += [near_multiple_pair(rng) for _ in range(args.random // 3)]

    for left, right in pairs:
        data = (left + rng.choice(SEPARATORS) + right).encode("latin-1")
        name = hashlib.sha1(data).hexdigest()
        with open(os.path.join(args.dir, name), "wb") as seed:
            seed.write(data)
    print(f"{len(pairs)} seeds in {args.dir}")


if __name__ == "__main__":
    main()
