"""Numeral generators and an exact oracle for calc, built on Python's decimal.

The oracle knows the calculator's rules independently of its code: exact sum,
difference and product; a product of operands with different sign flags is
negative even when it is zero; the quotient is |a| / |b| cut (not rounded) to
127 digits counted from the first digit of long division on the operands'
integer forms aligned to the same length.
"""
import decimal
import random

MAX_DIGITS = 255
QUOTIENT_DIGITS = 127
HEADINGS = ("The result of addition:", "The result of subtration:",
            "The result of multiplication:", "The result of divide:")
PROMPT = "Input two numbers,please:"

EXACT = decimal.Context(prec=4 * MAX_DIGITS + 10, traps=[decimal.Inexact])
CUT = decimal.Context(prec=QUOTIENT_DIGITS + 10, rounding=decimal.ROUND_DOWN)


def parse(token):
    """(negative, integer digits, fraction digits) of an accepted numeral, normalised."""
    negative = token[:1] == "-"
    body = token[1:] if token[:1] in "+-" and token else token
    int_part, _, frac_part = body.partition(".")
    int_part = int_part.lstrip("0")
    frac_part = frac_part.rstrip("0")
    if not int_part and not frac_part:
        negative = False
    return negative, int_part, frac_part


def value(parsed):
    negative, int_part, frac_part = parsed
    text = ("-" if negative else "") + (int_part or "0") + "." + (frac_part or "0")
    return decimal.Decimal(text)


def text_of(number, negative_flag=None):
    """Plain text form: no exponent, no trailing fraction zeros, "0" before a bare point."""
    sign, digits, exponent = number.as_tuple()
    digits = "".join(map(str, digits))
    if exponent >= 0:
        int_part, frac_part = digits + "0" * exponent, ""
    else:
        digits = digits.rjust(-exponent + 1, "0")
        int_part, frac_part = digits[:exponent], digits[exponent:]
    int_part = int_part.lstrip("0") or "0"
    frac_part = frac_part.rstrip("0")
    negative = sign == 1 if negative_flag is None else negative_flag
    if number == 0 and negative_flag is None:
        negative = False
    return ("-" if negative else "") + int_part + ("." + frac_part if frac_part else "")


def last_digit_weight(a, b):
    """The weight of the 127th digit of the long division of a by b (both non-zero)."""
    _, a_int, a_frac = a
    _, b_int, b_frac = b
    len_a = len((a_int + a_frac).lstrip("0"))
    len_b = len((b_int + b_frac).lstrip("0"))
    correction = len(b_frac) - len(a_frac) + len_a - len_b
    return decimal.Decimal(1).scaleb(correction - (QUOTIENT_DIGITS - 1))


def is_cut(a, b, q_text):
    """|q| x |b| <= |a| < (|q| + u) x |b|: q is |a| / |b| cut, not rounded, at weight u."""
    q = decimal.Decimal(q_text).copy_abs()
    va, vb = value(a).copy_abs(), value(b).copy_abs()
    u = last_digit_weight(a, b)
    return EXACT.multiply(q, vb) <= va < EXACT.multiply(EXACT.add(q, u), vb)


def quotient(a, b):
    a_neg, a_int, a_frac = a
    b_neg, b_int, b_frac = b
    if not (a_int or a_frac):
        return "0"
    if not (b_int or b_frac):
        return ("-" if a_neg else "") + "#INFINITE"
    exact = CUT.divide(value(a).copy_abs(), value(b).copy_abs())
    cut = exact.quantize(last_digit_weight(a, b), rounding=decimal.ROUND_DOWN, context=CUT)
    return ("-" if a_neg != b_neg else "") + text_of(cut, negative_flag=False)


def expected(left, right):
    """The four result texts calc must print for an accepted pair."""
    a, b = parse(left), parse(right)
    va, vb = value(a), value(b)
    product = EXACT.multiply(va, vb)
    return [text_of(EXACT.add(va, vb)), text_of(EXACT.subtract(va, vb)),
            text_of(product, negative_flag=a[0] != b[0]) if product == 0 else text_of(product),
            quotient(a, b)]


def expected_output(pairs):
    lines = [PROMPT]
    for left, right in pairs:
        for heading, result in zip(HEADINGS, expected(left, right)):
            lines += [heading, result]
        lines.append(PROMPT)
    return "\n".join(lines) + "\n"


# --- Generators from the numeral grammar: [+-]? digits* ('.' digits*)? --------

def _digits(rng, count):
    family = rng.random()
    if family < 0.1:
        return "9" * count
    if family < 0.15:
        return "0" * count
    if family < 0.25 and count:
        return "1" + "0" * (count - 1)
    return "".join(rng.choice("0123456789") for _ in range(count))


def _length(rng, wide):
    if not wide:
        return rng.randint(0, 20)
    pick = rng.random()
    if pick < 0.2:
        return MAX_DIGITS
    if pick < 0.3:
        return rng.choice((0, 1, 2, MAX_DIGITS - 1))
    return rng.randint(0, MAX_DIGITS)


ODD_FORMS = ("0", "-0", "+0", ".", "-", "-.", "+", "0.000", "-0.0", ".0", "00", "5.", ".5", "-.5",
             "1", "-1", "10", "0.1", "-0.01", "9" * MAX_DIGITS, "1" + "0" * (MAX_DIGITS - 1),
             "0." + "0" * (MAX_DIGITS - 1) + "1", "9" * MAX_DIGITS + "." + "9" * MAX_DIGITS)


def numeral(rng, wide):
    if rng.random() < 0.08:
        return rng.choice(ODD_FORMS)
    sign = rng.choice(("", "", "-", "-", "+"))
    int_part = _digits(rng, _length(rng, wide))
    if rng.random() < 0.3:
        return sign + (int_part or "0")
    frac_part = _digits(rng, _length(rng, wide))
    if rng.random() < 0.1:
        int_part = "0" * rng.randint(1, 3) + int_part[: MAX_DIGITS - 3]
    if rng.random() < 0.1:
        frac_part = frac_part[: MAX_DIGITS - 3] + "0" * rng.randint(1, 3)
    return sign + int_part + "." + frac_part


def pairs(seed, count, wide_share=0.3):
    rng = random.Random(seed)
    return [(numeral(rng, rng.random() < wide_share), numeral(rng, rng.random() < wide_share))
            for _ in range(count)]
