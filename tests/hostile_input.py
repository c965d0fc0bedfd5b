"""The real calc binary on hostile standard input. Usage: hostile_input.py CALC

Every run must end within its timeout with the exact output an independent
model of the driver predicts: tokens split at the six separator bytes, taken in
pairs; an accepted pair prints its four results (from the decimal oracle in
numerals.py); a refused token gets one line on standard error naming it; a token
left over at the end gets one line; exit status 0, or 1 when anything was
refused or left over. Peak memory is measured for the 64 MiB tokens.
"""
import os
import random
import re
import subprocess
import sys
import tempfile
import threading
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import calc_command  # noqa: E402
import numerals  # noqa: E402

CALC = None
TIMEOUT = 30
NUMERAL = re.compile(rb"[+-]?([0-9]*)(?:\.([0-9]*))?")
SEPARATORS = re.compile(rb"[ \t\n\r\v\f]+")
SHOWN_BYTES = 40
MIB = 1024 * 1024


def shown(token):
    """The token's first bytes as the driver names it: quoted, escaped, cut."""
    out = []
    for byte in token[:SHOWN_BYTES]:
        char = chr(byte)
        out.append("\\" + char if char in '"\\' else char if 32 <= byte <= 126 else f"\\x{byte:02X}")
    return '"' + "".join(out) + ("..." if len(token) > SHOWN_BYTES else "") + '"'


def refusal(token):
    """Why the token is refused, or None for an accepted numeral."""
    match = NUMERAL.fullmatch(token)
    if not match:
        return " is not a decimal number"
    for digits, side in ((match[1], "before"), (match[2] or b"", "after")):
        if len(digits) > numerals.MAX_DIGITS:
            return f": more than {numerals.MAX_DIGITS} digits {side} the point"
    return None


def model(data):
    """(stdout, stderr, exit status) the driver must give for this input."""
    tokens = [t for t in SEPARATORS.split(data) if t]
    out, err, status = [numerals.PROMPT], [], 0
    for i in range(0, len(tokens) - 1, 2):
        left, right = tokens[i], tokens[i + 1]
        why = [(t, refusal(t)) for t in (left, right)]
        err += [f"calc: {shown(t)}{w}" for t, w in why if w]
        if any(w for _, w in why):
            status = 1
        else:
            results = numerals.expected(left.decode(), right.decode())
            out += [line for pair in zip(numerals.HEADINGS, results) for line in pair]
        out.append(numerals.PROMPT)
    if len(tokens) % 2:
        err.append(f"calc: {shown(tokens[-1])} has no second number to pair with; input ended")
        status = 1
    return "".join(line + "\n" for line in out), "".join(line + "\n" for line in err), status


def lf_text(data):
    return calc_command.lf_lines(data, CALC).decode("latin-1")


def run(stdin):
    """Runs calc on an open file or descriptor; (stdout, stderr, exit status)."""
    done = subprocess.run(CALC, stdin=stdin, capture_output=True, timeout=TIMEOUT, check=False)
    return lf_text(done.stdout), lf_text(done.stderr), done.returncode


def run_bytes(data):
    with tempfile.TemporaryFile() as stdin:
        stdin.write(data)
        stdin.seek(0)
        return run(stdin)


def run_with_peak(chunks, rest):
    """Feeds the chunks (one refused token) and then `rest` through a pipe, and
    once calc has named the refused token on standard error, so that it has read
    all of it, takes its VmHWM: the peak resident size of calc's own image since
    exec, untouched by this process. Standard input stays open until then.
    Returns (stdout, stderr, exit status, peak KiB)."""
    with subprocess.Popen(CALC, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE) as child:
        timer = threading.Timer(TIMEOUT, child.kill)
        timer.start()

        def feed():
            try:
                for chunk in chunks:
                    child.stdin.write(chunk)
                child.stdin.write(rest)
                child.stdin.flush()
            except BrokenPipeError:
                pass

        writer = threading.Thread(target=feed)
        writer.start()
        first = child.stderr.readline()
        with open(f"/proc/{child.pid}/status") as status:
            peak = int(re.search(r"VmHWM:\s+(\d+) kB", status.read())[1])
        writer.join()
        child.stdin.close()
        out, err = child.stdout.read(), first + child.stderr.read()
        child.wait()
        timer.cancel()
    assert child.returncode != -9, f"calc did not finish within {TIMEOUT} s"
    return lf_text(out), lf_text(err), child.returncode, peak


def is_asan_build():
    with open(CALC[-1], "rb") as binary:
        return b"__asan_init" in binary.read()


class HostileInput(unittest.TestCase):
    def check(self, data):
        out, err, status = run_bytes(data)
        want_out, want_err, want_status = model(data)
        self.assertEqual(err, want_err)
        self.assertEqual(out, want_out)
        self.assertEqual(status, want_status)
        return out, err, status

    def assert_same(self, got, want):
        """Equal (stdout, stderr, status); else fails naming the first line
        that differs (a long text's full diff would take minutes)."""
        for name, g, w in zip(("stdout", "stderr", "status"), got, want):
            if g != w:
                lines = [(a, b) for a, b in zip(str(g).splitlines(), str(w).splitlines()) if a != b][:1]
                # The whole run named too: a failure that does not repeat
                # (an emulator's hiccup) still says what calc did.
                self.fail(f"{name} differs: first differing line (got, want): {lines or (g, w)}"[:2000] +
                          f"\n(exit status {got[2]}, standard error begins {got[1][:300]!r})")

    def test_model_agrees_with_known_lines(self):
        # Pins the model itself to a few hand-written answers.
        self.assertEqual(model(b"\xd9\xa3 1\x002 5 -.5 9"), (
            (numerals.PROMPT + "\n") * 2 + "".join(f"{h}\n{r}\n" for h, r in zip(
                numerals.HEADINGS, ("4.5", "5.5", "-2.5", "-10"))) + numerals.PROMPT + "\n",
            'calc: "\\xD9\\xA3" is not a decimal number\ncalc: "1\\x002" is not a decimal number\n'
            'calc: "9" has no second number to pair with; input ended\n', 1))

    def test_empty_and_blank_input(self):
        for data in (b"", b" \t\r\n\v\f" * 1000):
            with self.subTest(data=data[:8]):
                self.assertEqual(self.check(data), (numerals.PROMPT + "\n", "", 0))

    def test_hostile_tokens_are_named_and_good_pairs_survive(self):
        hostile = [
            b"\x00", b"1\x00", b"\x001", b"1\x002",                    # NUL bytes
            "٣".encode(), "1٢".encode(), "۳".encode(), "३".encode(),   # Arabic-Indic, Persian, Devanagari digits
            "１".encode(), "²".encode(), "1\u00a02".encode(),           # full-width, superscript, no-break space
            b"1\x852", b"\x1b[2J", b"\xff\xfe", b"-\x00", b".\x80", b'"\\"',
            b"1\x1a2", b"\x1a",                                       # Ctrl-Z: no end of input in a file or pipe
        ]
        data = b"".join(t + b" 7\n3 -4\r\n" for t in hostile) + b"1\t2"
        out, err, status = self.check(data)
        self.assertEqual(err.count("\n"), len(hostile))
        self.assertEqual((out.count("The result of divide:\n-0.75\n"), status), (len(hostile), 1))

    def test_utf16_with_a_mark_reads_as_the_same_text(self):
        """A UTF-16 file with its byte-order mark (as PowerShell's > and
        Notepad's "Unicode" write one) gives what the same text gives in UTF-8:
        ASCII as itself, CR LF a separator, any other character refused and
        named by its UTF-8 bytes, none of them a separator or a digit (U+20AC
        is AC 20 in UTF-16LE, U+3131 is 31 31). A lone byte left at the end is
        a refused token of its own, named as the editor escapes a byte."""
        rng = random.Random(21)
        numbers = " ".join(numerals.numeral(rng, rng.random() < 0.05) for _ in range(3000))
        text = numbers + "\r\n1 é 2 ٣\r\n€5 6 7 8 ㄱ 1 \U0001F600 3 \x80 1 \U0010FFFF 2\r\n5"
        for codec in ("utf-16-le", "utf-16-be"):
            with self.subTest(codec=codec):
                self.assert_same(run_bytes(("\ufeff" + text).encode(codec)), model(text.encode()))
                for lone in (b"7", b"\x00", b" "):
                    escaped = chr(0xDC00 + lone[0]).encode("utf-8", "surrogatepass")
                    want = model(text.encode() + b" " + escaped)
                    self.assert_same(run_bytes(("\ufeff" + text).encode(codec) + lone), want)
        # No mark, or a mark after the start: bytes, as ever.
        for data in ("1 2".encode("utf-16-le"), b"1 2 \xff\xfe3 4", b"\xfe 1 2", b"\xff"):
            with self.subTest(data=data):
                self.check(data)

    def test_separators_crlf_tab_vt_ff(self):
        self.assertEqual(self.check(b"1\r\n2\r\n\r\n3\t\t4\v5\f6 \t\r\n7\r8\r\n")[1:], ("", 0))

    def test_random_bytes(self):
        rng = random.Random(20261207)
        self.check(rng.randbytes(256 * 1024))
        # Junk tokens of any bytes between good numerals and every separator.
        pieces = []
        for _ in range(6000):
            if rng.random() < 0.3:
                pieces.append(rng.randbytes(rng.randint(1, 12)))
            else:
                pieces.append(numerals.numeral(rng, rng.random() < 0.05).encode())
            pieces.append(rng.choice((b" ", b"\n", b"\r\n", b"\t", b"\v", b"\f", b"  \t")))
        self.check(b"".join(pieces))

    def test_very_long_line_of_pairs(self):
        rng = random.Random(7)
        pairs = numerals.pairs(7, 20000, wide_share=0.02)
        tail = rng.choice(("", " "))  # no line end at all
        out, err, status = self.check((" ".join(f"{a} {b}" for a, b in pairs) + tail).encode())
        self.assertEqual((err, status), ("", 0))

    def test_lone_token_at_the_end(self):
        for data in (b"1 2 3", b"1 2 3\n", b"1 2\n\n-.5 \r\n", b"x 1 2", b"5", b"abc", b"1 2 " + b"9" * 300):
            with self.subTest(data=data[:20]):
                out, err, status = self.check(data)
                self.assertEqual((err.count("\n"), status), (1 + data.startswith(b"x"), 1))

    def test_stdin_that_cannot_be_read_is_a_failure(self):
        directory = os.open(os.path.dirname(os.path.abspath(__file__)), os.O_RDONLY)
        try:
            out, err, status = run(directory)
        finally:
            os.close(directory)
        self.assertEqual((out, status), (numerals.PROMPT + "\n", 2))
        # One line, the system's reason whole: no stray CR, no letter lost.
        self.assertRegex(err, r"\Acalc: cannot read standard input: [A-Z][^\r\n]*\S\n\Z")

    def test_64_mib_tokens_in_bounded_memory(self):
        # The driver keeps a token's first bytes only: a token of any length
        # costs what a tiny one does. Under AddressSanitizer the image is
        # larger, so the bound is the tiny run's peak plus a little.
        rest = b" 1 4 5\n"
        _, _, _, baseline = run_with_peak([b"x"], rest)
        good = "".join(f"{h}\n{r}\n" for h, r in zip(numerals.HEADINGS, ("9", "-1", "20", "0.8")))
        for fill, why in ((b"7", ": more than 255 digits before the point"), (b"x", " is not a decimal number")):
            with self.subTest(fill=fill):
                out, err, status, peak = run_with_peak((fill * MIB for _ in range(64)), rest)
                print(f"\n64 MiB token of {fill!r}: calc peak RSS {peak} KiB (tiny input: {baseline} KiB)",
                      file=sys.stderr)
                self.assertEqual(err, f'calc: "{fill.decode() * 40}..."{why}\n')
                self.assertEqual((out, status), (f"{numerals.PROMPT}\n" * 2 + good + numerals.PROMPT + "\n", 1))
                self.assertLess(peak, baseline + 4 * 1024)
                if not is_asan_build() and not calc_command.is_emulated(CALC):  # the emulator's own size counts
                    self.assertLess(peak, 16 * 1024)


if __name__ == "__main__":
    CALC = calc_command.parse(sys.argv.pop(1))
    unittest.main()
