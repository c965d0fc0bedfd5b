"""End-to-end runs of the real calc binary: standard input in; standard output,
standard error and exit status checked; driven as a coprocess through pipes and
as a terminal session through a pseudo-terminal. Usage: calc_e2e.py CALC VERSION"""
import contextlib
import os
import select
import subprocess
import sys
import tempfile
import termios
import time
import unittest

import numerals

CALC = None
VERSION = None
PROMPT = numerals.PROMPT + "\n"
WAIT = 20  # seconds an interactive answer may take, sanitizers included


def run(stdin, args=()):
    done = subprocess.run([CALC, *args], input=stdin.encode("latin-1"), capture_output=True, timeout=60, check=False)
    return done.stdout.decode("latin-1"), done.stderr.decode("latin-1"), done.returncode


@contextlib.contextmanager
def spawn(**streams):
    """calc with these standard streams, killed if a failed check leaves it waiting."""
    with subprocess.Popen([CALC], **streams) as child:
        try:
            yield child
        finally:
            if child.poll() is None:
                child.kill()


def read_for(fd, size, drain=()):
    """Up to `size` bytes from fd, as soon as they come or until WAIT seconds
    pass; the descriptors in `drain` (a terminal's echo) are read and dropped
    meanwhile, and returned as bytes too."""
    got, dropped, deadline, drain = b"", b"", time.monotonic() + WAIT, list(drain)
    while len(got) < size and time.monotonic() < deadline:
        ready, _, _ = select.select([fd, *drain], [], [], 0.05)
        if fd in ready:
            chunk = os.read(fd, size - len(got))
            if not chunk:
                break
            got += chunk
        for r in set(ready) & set(drain):
            try:
                dropped += os.read(r, 4096)
            except OSError:  # a terminal whose last user has gone (EIO)
                drain.remove(r)
    return got, dropped


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

    def test_byte_order_mark_at_the_very_start_is_skipped(self):
        bom = "\xef\xbb\xbf"
        self.assertEqual(run(bom + "1 2\n"), (PROMPT + block("3", "-1", "2", "0.5"), "", 0))
        self.assertEqual(run(bom), (PROMPT, "", 0))
        self.assertEqual(run(bom[:2] + "1 2\n")[2], 1)
        out, err, status = run("1 2 " + bom + "3 4\n")
        self.assertEqual((err, status), ('calc: "\\xEF\\xBB\\xBF3" is not a decimal number\n', 1))

    def test_error_lines_come_after_earlier_results_in_a_combined_stream(self):
        with tempfile.TemporaryFile() as stdin:
            stdin.write(b"1 2\n" * 50 + b"x 5\n3 4\n2 y\n7")
            stdin.seek(0)
            done = subprocess.run([CALC], stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        ones = block("3", "-1", "2", "0.5") * 50
        want = (PROMPT + ones + 'calc: "x" is not a decimal number\n' + PROMPT + block(*numerals.expected("3", "4"))
                + 'calc: "y" is not a decimal number\n' + PROMPT
                + 'calc: "7" has no second number to pair with; input ended\n')
        self.assertEqual((done.stdout.decode(), done.returncode), (want, 1))


class CommandLine(unittest.TestCase):
    def test_help_and_version_answer_on_standard_output(self):
        for option in ("--help", "-h"):
            out, err, status = run("1 2\n", [option])
            self.assertEqual((err, status), ("", 0))
            self.assertTrue(out.startswith("Usage: calc") and "Exit status" in out and "| calc" in out, out)
        self.assertEqual(run("1 2\n", ["--version"]), (f"calc {VERSION}\n", "", 0))

    def test_any_other_argument_is_a_usage_error(self):
        for args, named in ((["numbers.txt"], "numbers.txt"), (["-"], "-"), (["--help", "x"], "x"),
                            (["--versions"], "--versions"), (["a\tb"], "a\\x09b")):
            with self.subTest(args=args):
                self.assertEqual(run("1 2\n", args),
                                 ("", f'calc: unrecognized argument "{named}"; see calc --help\n', 2))


class Interactive(unittest.TestCase):
    def expect(self, fd, want, drain=()):
        got, _ = read_for(fd, len(want), drain)
        self.assertEqual(got.decode("latin-1"), want)

    def test_coprocess_gets_each_answer_before_input_ends(self):
        with spawn(stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE) as child:
            out, err = child.stdout.fileno(), child.stderr.fileno()
            self.expect(out, PROMPT)
            for pair, results in (("1 2", ("3", "-1", "2", "0.5")), ("-5\n0", ("-5", "-5", "-0", "-#INFINITE"))):
                child.stdin.write(pair.encode() + b"\n")
                child.stdin.flush()
                self.expect(out, block(*results))  # the nine lines, stdin still open
            child.stdin.write(b"1.2.3 ")  # refused: named before its partner comes
            child.stdin.flush()
            self.expect(err, 'calc: "1.2.3" is not a decimal number\n')
            child.stdin.write(b"4\n")
            child.stdin.flush()
            self.expect(out, PROMPT)
            child.stdin.close()
            self.assertEqual((child.wait(WAIT), child.stdout.read(), child.stderr.read()), (1, b"", b""))

    def test_byte_order_mark_split_across_reads(self):
        with spawn(stdin=subprocess.PIPE, stdout=subprocess.PIPE) as child:
            self.expect(child.stdout.fileno(), PROMPT)
            for piece in (b"\xef", b"\xbb", b"\xbf1 2\n"):
                child.stdin.write(piece)
                child.stdin.flush()
                time.sleep(0.05)
            self.expect(child.stdout.fileno(), block("3", "-1", "2", "0.5"))
            child.stdin.close()
            self.assertEqual(child.wait(WAIT), 0)

    def test_terminal_lines_are_edited_and_recalled(self):
        """Standard input and error on a pseudo-terminal, standard output a
        pipe: the editor works on the terminal and none of it reaches the pipe."""
        master, slave = os.openpty()
        with tempfile.TemporaryDirectory() as home:
            env = dict(os.environ, TERM="xterm", HOME=home)  # no ~/.editrc of the user's
            with spawn(stdin=slave, stdout=subprocess.PIPE, stderr=slave, env=env) as child:
                os.close(slave)
                out, echo = child.stdout.fileno(), b""
                results = block(*numerals.expected("312", "4"))
                self.expect(out, PROMPT, [master])
                # 12, Left, Left, 3, Ctrl-E, space, 4, Enter; then Up, Enter; then Ctrl-D.
                for keys, want in ((b"12\x1b[D\x1b[D3\x05 4\r", results), (b"\x1b[A\r", results), (b"\x04", "")):
                    self.await_raw_mode(master)
                    os.write(master, keys)
                    got, dropped = read_for(out, len(want) or 1, [master])
                    echo += dropped
                    self.assertEqual(got.decode("latin-1"), want)
                self.assertEqual(child.wait(WAIT), 0)
        os.close(master)
        self.assertIn(b"312 4", echo)

    @staticmethod
    def await_raw_mode(master):
        """Waits until the editor has taken the terminal out of canonical mode,
        so that keys typed next reach the editor, not the line discipline."""
        deadline = time.monotonic() + WAIT
        while termios.tcgetattr(master)[3] & termios.ICANON and time.monotonic() < deadline:
            time.sleep(0.01)


if __name__ == "__main__":
    CALC = sys.argv.pop(1)
    VERSION = sys.argv.pop(1)
    unittest.main()
