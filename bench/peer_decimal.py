#!/usr/bin/env python3
"""An independent calc built on Python's decimal module: same input, same bytes out.

Reads whitespace-separated numerals in pairs from stdin and prints the prompt,
then per pair the four headed results, then the prompt again. Sum, difference
and product are exact (an inexact step raises). The quotient is |a|/|b| cut
toward zero to a multiple of 10^(corr-126), where corr = fb - fa + lenA - lenB
(fa, fb: fraction digits of the normalised operands; lenA, lenB: digits of
their integer forms, point removed, leading zeros stripped): the 127 digits of
a long division whose first digit has weight 10^corr.

Tokens are assumed to be accepted numerals (the batches only hold such).
"""
import decimal
import sys
from decimal import Decimal

PROMPT = "Input two numbers,please:\n"
QUOTIENT_DIGITS = 127

EXACT = decimal.Context(prec=4 * 255 + 10, Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN,
                        traps=[decimal.Inexact, decimal.Rounded, decimal.InvalidOperation])
decimal.setcontext(EXACT)  # so that no operation left to the default context can round
# A quotient's first significant digit weighs 10^corr or 10^(corr-1); one spare
# digit, then the cut to 10^(corr-126) by quantize (both cuts are toward zero).
CUT = decimal.Context(prec=QUOTIENT_DIGITS + 1, rounding=decimal.ROUND_DOWN,
                      Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN, traps=[decimal.InvalidOperation])


class Operand:
    __slots__ = ("negative", "value", "frac_len", "int_form_len")

    def __init__(self, token):
        negative = token[:1] == "-"
        body = token[1:] if token[:1] in "+-" else token
        whole, _, frac = body.partition(".")
        frac = frac.rstrip("0")
        digits = (whole + frac).lstrip("0")
        self.value = Decimal(int(digits)).scaleb(-len(frac), EXACT) if digits else Decimal(0)
        self.negative = negative and bool(digits)  # a zero comes out non-negative
        if self.negative:
            self.value = self.value.copy_negate()
        self.frac_len = len(frac)
        self.int_form_len = len(digits)


def plain(d):
    """Plain notation: no exponent, no trailing fraction zeros, no '-0'."""
    if not d:
        return "0"
    text = format(d, "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


def quotient(a, b):
    if not a.value:
        return "0"
    if not b.value:
        return "-#INFINITE" if a.negative else "#INFINITE"
    corr = b.frac_len - a.frac_len + a.int_form_len - b.int_form_len
    q = CUT.divide(a.value.copy_abs(), b.value.copy_abs())
    q = q.quantize(Decimal(1).scaleb(corr - (QUOTIENT_DIGITS - 1)), rounding=decimal.ROUND_DOWN, context=CUT)
    return ("-" if a.negative != b.negative else "") + plain(q)


def product(a, b):
    p = plain(EXACT.multiply(a.value, b.value))
    if p == "0" and a.negative != b.negative:
        return "-0"
    return p


def results(a, b):
    return ("The result of addition:\n" + plain(EXACT.add(a.value, b.value)) + "\n"
            "The result of subtration:\n" + plain(EXACT.subtract(a.value, b.value)) + "\n"
            "The result of multiplication:\n" + product(a, b) + "\n"
            "The result of divide:\n" + quotient(a, b) + "\n")


def main():
    tokens = sys.stdin.read().split()
    out = [PROMPT]
    for i in range(0, len(tokens) - 1, 2):
        out.append(results(Operand(tokens[i]), Operand(tokens[i + 1])))
        out.append(PROMPT)
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
