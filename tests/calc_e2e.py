"""End-to-end runs of the real calc binary: standard input in; standard output,
standard error and exit status checked. Usage: calc_e2e.py CALC"""
import subprocess
import sys
import unittest

import numerals

CALC = None
PROMPT = numerals.PROMPT + "\n"


def run(stdin):
    done = subprocess.run([CALC], input=stdin.encode("latin-1"), capture_output=True, timeout=60, check=False)
    return done.stdout.decode("latin-1"), done.stderr.decode("latin-1"), done.returncode


def block(*results):
    return "".join(f"{h}\n{r}\n" for h, r in zip(numerals.HEADINGS, results)) + PROMPT


class Session(unittest.TestCase):
    def test_one_pair_writes_the_ten_lines(self):
        self.assertEqual(run("1 2\n"), (PROMPT + block("3", "-1", "2", "0.5"), "", 0))

    def test_empty_input_writes_the_prompt_once(self):
        for stdin in ("", " \n\t\r\n"):
            self.assertEqual(run(stdin), (PROMPT, "", 0))

    def test_known_pairs(self):
        third = "0." + "3" * 126
        cases = [
            ("1 3", ("4", "-2", "3", third)),
            ("5 0", ("5", "5", "0", "#INFINITE")),
            ("-5 0", ("-5", "-5", "-0", "-#INFINITE")),
            ("1.5 -2", ("-0.5", "3.5", "-3", "-0.75")),
            ("0.5 0.5", ("1", "0", "0.25", "1")),
            ("999 0.9", ("999.9", "998.1", "899.1", "1110")),
            ("0 0", ("0", "0", "0", "0")),
            ("-0 5", ("5", "-5", "0", "0")),
            ("+5 -.5", ("4.5", "5.5", "-2.5", "-10")),
            ("- .", ("0", "0", "0", "0")),
        ]
        for line, results in cases:
            with self.subTest(line=line):
                self.assertEqual(run(line + "\n"), (PROMPT + block(*results), "", 0))

    def test_tokens_pair_across_lines_and_separators(self):
        out, err, status = run("1\r\n2\t3\v4\f\n")
        self.assertEqual((out, err, status), (PROMPT + block("3", "-1", "2", "0.5") + block("7", "-1", "12", "0.75"), "", 0))

    def test_refused_pair_is_skipped_and_reading_goes_on(self):
        out, err, status = run("1.2.3 4 abc 1e5 5 6\n")
        self.assertEqual(out, PROMPT + PROMPT + PROMPT + block(*numerals.expected("5", "6")))
        self.assertEqual(err, 'calc: "1.2.3" is not a decimal number\n'
                              'calc: "abc" is not a decimal number\ncalc: "1e5" is not a decimal number\n')
        self.assertEqual(status, 1)

    def test_every_refused_form_is_named_once(self):
        for token in ("#INFINITE", "1-", "--1", "+-1", "1..2", "a", "\x00", "\xd9\xa3", "5\x00"):
            with self.subTest(token=token):
                out, err, status = run(f"{token} 1\n")
                self.assertEqual((out, status), (PROMPT + PROMPT, 1))
                self.assertEqual(err.count("\n"), 1)
                self.assertTrue(err.startswith('calc: "') and err.endswith('" is not a decimal number\n'), err)

    def test_digit_limits_on_each_side(self):
        limit = numerals.MAX_DIGITS
        accepted = ["9" * limit + "." + "9" * limit, "-" + "0" * limit + "." + "0" * limit]
        for token in accepted:
            out, err, status = run(f"{token} 1\n")
            self.assertEqual((err, status), ("", 0))
            self.assertEqual(out, PROMPT + block(*numerals.expected(token, "1")))
        too_long = [("1" * (limit + 1), "before"), ("0" * (limit + 1) + ".5", "before"),
                    ("." + "1" * (limit + 1), "after"), ("1." + "0" * (limit + 1), "after")]
        for token, side in too_long:
            out, err, status = run(f"2 {token}\n")
            self.assertEqual((out, status), (PROMPT + PROMPT, 1))
            self.assertEqual(err, f'calc: "{token[:40]}...": more than {limit} digits {side} the point\n')

    def test_long_and_unprintable_tokens_are_shown_short_and_escaped(self):
        out, err, status = run("x" * 100000 + ' 1 "\x01\\ 2\n')
        self.assertEqual(err, 'calc: "' + "x" * 40 + '..." is not a decimal number\n'
                              'calc: "\\"\\x01\\\\" is not a decimal number\n')
        self.assertEqual((out, status), (PROMPT + PROMPT + PROMPT, 1))

    def test_lone_numeral_at_end_is_not_computed(self):
        out, err, status = run("1 2 3")
        self.assertEqual(out, PROMPT + block("3", "-1", "2", "0.5"))
        self.assertEqual(err, 'calc: "3" has no second number to pair with; input ended\n')
        self.assertEqual(status, 1)

    def test_widest_results_come_out_whole(self):
        nines = "9" * numerals.MAX_DIGITS + "." + "9" * numerals.MAX_DIGITS
        tiny = "0." + "0" * (numerals.MAX_DIGITS - 1) + "1"
        pairs = [(nines, nines), (nines, tiny), (tiny, nines), ("-" + nines, "-" + tiny)]
        out, err, status = run("".join(f"{a} {b}\n" for a, b in pairs))
        self.assertEqual((out, err, status), (numerals.expected_output(pairs), "", 0))

    def test_closed_output_is_a_failure(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([CALC], input=b"1 2\n" * 10000, stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(done.returncode, 2)
        self.assertIn(b"cannot write standard output", done.stderr)


if __name__ == "__main__":
    CALC = sys.argv.pop(1)
    unittest.main()
