"""End-to-end runs of the real calc binary: standard input in; standard output,
standard error and exit status checked; driven as a coprocess through pipes and
as a terminal session through a pseudo-terminal. Usage: calc_e2e.py CALC VERSION"""
import contextlib
import fcntl
import locale
import os
import resource
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time
import unittest

import calc_command
import numerals

CALC = None
VERSION = None
PROMPT = numerals.PROMPT + "\n"
WAIT = 20  # seconds an interactive answer may take, sanitizers included
# A job-control shell in a session of its own (controlling_terminal): runs
# calc in a process group of its own in the terminal's foreground, tells its
# process id on standard error; when calc stops, says "stopped" and whether
# the terminal is in its modes from before ("ordinary") or not ("raw"), puts
# them back as shells do, and does what fg does; then "after STATUS".
SHELL = (sys.executable, "-c", """
import os, signal, sys, termios
signal.signal(signal.SIGTTOU, signal.SIG_IGN)
modes = termios.tcgetattr(0)
calc = os.fork()
if calc == 0:
    os.setpgid(0, 0)
    os.tcsetpgrp(0, os.getpid())
    os.execvp(sys.argv[1], sys.argv[1:])
os.setpgid(calc, calc)
os.tcsetpgrp(0, calc)
print(calc, file=sys.stderr, flush=True)
_, status = os.waitpid(calc, os.WUNTRACED)
if os.WIFSTOPPED(status):
    print("stopped", "ordinary" if termios.tcgetattr(0) == modes else "raw", flush=True)
    termios.tcsetattr(0, termios.TCSADRAIN, modes)
    os.tcsetpgrp(0, calc)
    os.kill(-calc, signal.SIGCONT)
    _, status = os.waitpid(calc, 0)
print("after", os.waitstatus_to_exitcode(status), flush=True)
""")
# Runs calc as its child, tells calc's process id on standard error, and then
# how calc ended: "after STATUS" (negative for a signal) on standard output.
PARENT = (sys.executable, "-c", "import subprocess, sys; calc = subprocess.Popen(sys.argv[1:]);"
          " print(calc.pid, file=sys.stderr, flush=True); print('after', calc.wait())")
PIPE_BYTES = 1 << 16  # what a pipe holds, and calc's read size
# A build without line editing sets CALC_NO_LINE_EDITING=1: the tests of the editor are skipped.
with_editor = unittest.skipIf(os.environ.get("CALC_NO_LINE_EDITING") == "1", "calc built without line editing")


def lf_text(data):
    return calc_command.lf_lines(data, CALC).decode("latin-1")


def run(stdin, args=()):
    done = subprocess.run([*CALC, *args], input=stdin.encode("latin-1"), capture_output=True, timeout=60, check=False)
    return lf_text(done.stdout), lf_text(done.stderr), done.returncode


def default_signals(then=None):
    """The child's start: the signals calc acts on in their default
    dispositions, whatever this run inherited (a shell starts a background job
    with SIGINT ignored, nohup with SIGHUP), then `then`, if given."""
    def start():
        for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGHUP, signal.SIGTERM):
            signal.signal(number, signal.SIG_DFL)
        if then is not None:
            then()
    return start


@contextlib.contextmanager
def spawn(*parent, preexec_fn=None, calc=None, **streams):
    """calc (run by the `parent` command, if given; `calc` is its command
    there when that is not calc's own) with these standard streams, killed if
    a failed check leaves it waiting."""
    command = [*parent, *(CALC if calc is None else calc)]
    with subprocess.Popen(command, preexec_fn=default_signals(preexec_fn), **streams) as child:
        try:
            yield child
        finally:
            if child.poll() is None:
                child.kill()


def read_for(fd, size, drain=()):
    """Up to `size` bytes from fd, as soon as they come or until WAIT seconds
    pass; the descriptors in `drain` (a terminal's echo) are read and dropped
    meanwhile, each time before fd, and returned as bytes too."""
    got, dropped, deadline, drain = b"", b"", time.monotonic() + WAIT, list(drain)
    while len(got) < size and time.monotonic() < deadline:
        ready, _, _ = select.select([fd, *drain], [], [], 0.05)
        for r in set(ready) & set(drain):
            try:
                dropped += os.read(r, 4096)
            except OSError:  # a terminal whose last user has gone (EIO)
                drain.remove(r)
        if fd in ready:
            chunk = os.read(fd, size - len(got))
            if not chunk:
                break
            got += chunk
    return got, dropped


def rest_of_terminal(master):
    """What is left to read on a terminal whose every other user has gone:
    its bytes up to the end it then reports (EIO), or those that come within
    WAIT seconds."""
    rest = b""
    while select.select([master], [], [], WAIT)[0]:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # EIO: every byte written has been read
            break
        if not chunk:
            break
        rest += chunk
    return rest


def read_line(fd):
    """One line from fd, or what came of it within WAIT seconds."""
    line, deadline = b"", time.monotonic() + WAIT
    while not line.endswith(b"\n") and time.monotonic() < deadline:
        got = read_for(fd, 1)[0]
        if not got:
            break
        line += got
    return line


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
            # As the README tells: 2 by 3 and 10 by 37 begin with a 0 among the 127 digits.
            ("2 3", ("5", "-1", "6", "0." + "6" * 126)),
            ("1 37", ("38", "-36", "37", "0.0" + "27" + "027" * 41)),
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
            # After blanks, the token lies past the room the parser reads
            # around it: its front's parse finds it whole and names it.
            out, err, status = run(f"{' ' * 8}2 {token}\n")
            self.assertEqual((out, status), (PROMPT + PROMPT, 1))
            self.assertEqual(err, f'calc: "{token[:40]}...": more than {limit} digits {side} the point\n')

    def test_long_and_unprintable_tokens_are_shown_short_and_escaped(self):
        out, err, status = run("x" * 100000 + ' 1 "\x01\\ 2\n')
        self.assertEqual(err, 'calc: "' + "x" * 40 + '..." is not a decimal number\n'
                              'calc: "\\"\\x01\\\\" is not a decimal number\n')
        self.assertEqual((out, status), (PROMPT + PROMPT + PROMPT, 1))

    def test_lone_numeral_at_end_is_not_computed(self):
        # Named as it was read, also after the input buffer has been filled
        # again over it (more blank input than one buffer holds).
        for tail in ("", " " * 70000):
            with self.subTest(tail=len(tail)):
                out, err, status = run("1 2 3" + tail)
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
        for args, stdin in (((), b"1 2\n" * 10000), (("--help",), b""), (("--version",), b"")):
            with self.subTest(args=args), open("/dev/full", "wb") as full:
                done = subprocess.run([*CALC, *args], input=stdin, stdout=full, stderr=subprocess.PIPE, timeout=60)
            self.assertEqual((done.returncode, lf_text(done.stderr)),
                             (2, "calc: cannot write standard output: No space left on device\n"))

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
            done = subprocess.run(CALC, stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        ones = block("3", "-1", "2", "0.5") * 50
        want = (PROMPT + ones + 'calc: "x" is not a decimal number\n' + PROMPT + block(*numerals.expected("3", "4"))
                + 'calc: "y" is not a decimal number\n' + PROMPT
                + 'calc: "7" has no second number to pair with; input ended\n')
        self.assertEqual((lf_text(done.stdout), done.returncode), (want, 1))


class CommandLine(unittest.TestCase):
    def test_help_and_version_answer_on_standard_output(self):
        windows = calc_command.is_windows(CALC)
        for option in ("--help", "-h", *(["/?"] if windows else [])):
            out, err, status = run("1 2\n", [option])
            self.assertEqual((err, status), ("", 0))
            self.assertTrue(out.startswith("Usage: calc") and "Exit status" in out and "| calc" in out, out)
        self.assertEqual(run("1 2\n", ["--version"]), (f"calc {VERSION}\n", "", 0))
        if not windows:
            self.assertEqual(run("", ["/?"])[2], 2)

    def test_help_is_true_for_the_platform_and_the_build(self):
        """Editing and recall are promised only by a build that has them; the
        example runs in the platform's own shell (cmd.exe has no printf)."""
        out = run("", ["--help"])[0]
        if calc_command.is_windows(CALC):
            terminal, example, never = "At a console, lines are edited", "Example: type pairs.txt | calc\n", "printf"
        elif os.environ.get("CALC_NO_LINE_EDITING") == "1":
            terminal, example, never = "built without line editing", "Example: printf", "Up arrow"
        else:
            terminal, example, never = "lines can be edited, and earlier lines recalled", "Example: printf", "without line editing"
        self.assertIn(terminal, out)
        self.assertIn(example, out)
        self.assertNotIn(never, out)
        self.assertTrue(all(len(line) < 80 for line in out.splitlines()), out)  # an 80-column console

    def test_double_dash_ends_the_options(self):
        self.assertEqual(run("1 2\n", ["--"]), (PROMPT + block("3", "-1", "2", "0.5"), "", 0))

    def test_any_other_argument_is_a_usage_error(self):
        for args, named in ((["numbers.txt"], "numbers.txt"), (["-"], "-"), (["---"], "---"),
                            (["--versions"], "--versions"), (["a\tb"], "a\\x09b")):
            with self.subTest(args=args):
                self.assertEqual(run("1 2\n", args),
                                 ("", f'calc: unrecognized argument "{named}"; see calc --help\n', 2))

    def test_more_than_one_argument_is_too_many(self):
        for args in (["--help", "--help"], ["--help", "x"], ["--", "x"], ["--", "--"], ["a", "b", "c"]):
            with self.subTest(args=args):
                self.assertEqual(run("1 2\n", args), ("", "calc: too many arguments; see calc --help\n", 2))


class Interactive(unittest.TestCase):
    def expect(self, fd, want, drain=()):
        want = calc_command.wire_text(want, CALC)
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
            # A numeral that ends the bytes read may go on in the next read,
            # even with a separator left in the buffer just past them (the
            # "\n" of the first line, at the offset where the second ends,
            # past the room the parser reads around a token).
            child.stdin.write(b"1" + b" " * 9 + b"2\n")
            child.stdin.flush()
            self.expect(out, block("3", "-1", "2", "0.5"))
            child.stdin.write(b" " * 8 + b"8 2")
            child.stdin.flush()
            time.sleep(0.05)
            child.stdin.write(b"0\n")
            child.stdin.flush()
            self.expect(out, block("28", "-12", "160", "0.4"))
            child.stdin.close()
            self.assertEqual((child.wait(WAIT), child.stdout.read(), child.stderr.read()), (1, b"", b""))

    def test_byte_order_mark_split_across_reads(self):
        # The rest of a split mark can come with a whole pipe's worth of bytes,
        # read in one go after the mark's first byte.
        # A UTF-16 code unit can be split the same way.
        for pieces in ((b"\xef", b"\xbb", b"\xbf1 2\n"), (b"\xef", b"\xbb\xbf" + b" " * PIPE_BYTES + b"1 2\n"),
                       (b"\xff", b"\xfe1", b"\x00 \x00", b"2\x00\r", b"\x00\n\x00"),
                       (b"\xfe", b"\xff\x00", b"1\x00 " + b"\x00 " * PIPE_BYTES + b"\x002\x00\n")):
            with self.subTest(pieces=len(pieces)), spawn(stdin=subprocess.PIPE, stdout=subprocess.PIPE) as child:
                self.expect(child.stdout.fileno(), PROMPT)
                for piece in pieces:
                    child.stdin.write(piece)
                    child.stdin.flush()
                    time.sleep(0.05)
                self.expect(child.stdout.fileno(), block("3", "-1", "2", "0.5"))
                child.stdin.close()
                self.assertEqual(child.wait(WAIT), 0)

    def test_non_blocking_pipe_is_waited_on_without_spinning(self):
        idle = 1.5  # seconds with nothing to read; calc's CPU time must stay well below
        read_end, write_end = os.pipe()
        os.set_blocking(read_end, False)
        used = resource.getrusage(resource.RUSAGE_CHILDREN)
        with spawn(stdin=read_end, stdout=subprocess.PIPE) as child:
            os.close(read_end)
            self.expect(child.stdout.fileno(), PROMPT)
            time.sleep(idle)
            os.write(write_end, b"1 2\n")
            os.close(write_end)
            self.expect(child.stdout.fileno(), block("3", "-1", "2", "0.5"))
            self.assertEqual(child.wait(WAIT), 0)
        now = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.assertLess(now.ru_utime + now.ru_stime - used.ru_utime - used.ru_stime, idle / 3)

    @contextlib.contextmanager
    def terminal(self, stderr=None, blocking=True, env=(), parent=(), **options):
        """calc (or a parent running it) with standard input, and standard error
        unless given, on a new pseudo-terminal, standard output a pipe, and a
        temporary home whose ~/.editrc binds ^T to end-of-line for calc alone.
        Yields calc, the terminal's master and its modes before calc ran."""
        master, slave = os.openpty()
        modes = termios.tcgetattr(master)
        os.set_blocking(slave, blocking)
        with tempfile.TemporaryDirectory() as home:
            with open(os.path.join(home, ".editrc"), "w") as editrc:
                editrc.write("calc:bind ^T ed-move-to-end\nother:bind ^T ed-move-to-beg\n")
            env = {**{k: v for k, v in os.environ.items() if k != "EDITRC"}, "TERM": "xterm", "HOME": home, **dict(env)}
            try:
                with spawn(*parent, stdin=slave, stdout=subprocess.PIPE, stderr=slave if stderr is None else stderr,
                           env=env, **options) as child:
                    os.close(slave)
                    yield child, master, modes
            finally:
                os.close(master)

    def test_refusals_follow_earlier_results_on_one_terminal(self):
        """Standard output and standard error on one terminal: a refusal comes
        after the results computed before it, also when standard output is
        fully buffered there (stdbuf -o), which only calc's own flush before
        each error line keeps in order."""
        stdbuf = shutil.which("stdbuf")
        if stdbuf is None or calc_command.is_emulated(CALC) or calc_command.is_windows(CALC):
            self.skipTest("no stdbuf, or calc runs under an emulator that would take its preload")
        # The sanitizer runtime would refuse stdbuf's preload ahead of it.
        env = {**os.environ, "ASAN_OPTIONS": os.environ.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"}
        master, slave = os.openpty()
        try:
            with spawn(stdbuf, "-o", "65536", stdin=subprocess.PIPE, stdout=slave, stderr=slave, env=env) as child:
                os.close(slave)
                child.stdin.write(b"1 2\nx y\n")
                child.stdin.close()
                status = child.wait(WAIT)
                shown = rest_of_terminal(master)
        finally:
            os.close(master)
        want = (PROMPT + block("3", "-1", "2", "0.5") + 'calc: "x" is not a decimal number\n'
                + 'calc: "y" is not a decimal number\n' + PROMPT)
        self.assertEqual((shown.replace(b"\r\n", b"\n").decode("latin-1"), status), (want, 1))

    @with_editor
    def test_terminal_lines_are_edited_and_recalled(self):
        """The editor works on the terminal and none of it reaches standard
        output; also with standard error a pipe and with the terminal
        non-blocking. The empty line stays out of the history, and Ctrl-D
        ends the terminal's line."""
        results = block(*numerals.expected("312", "4"))
        for stderr, blocking in ((None, True), (subprocess.PIPE, True), (None, False)):
            with self.subTest(stderr=stderr, blocking=blocking), self.terminal(stderr, blocking) as (child, master, _):
                echo = b""
                self.expect(child.stdout.fileno(), PROMPT, [master])
                # 12, Left, Left, 3, ^T, space, 4, Enter; Enter, Up, Enter; then Ctrl-D.
                for keys, want in ((b"12\x1b[D\x1b[D3\x14 4\r", results), (b"\r\x1b[A\r", results), (b"\x04", "")):
                    self.await_raw_mode(master)
                    os.write(master, keys)
                    got, dropped = read_for(child.stdout.fileno(), len(want) or 1, [master])
                    echo += dropped
                    self.assertEqual(got.decode("latin-1"), want)
                self.assertEqual(child.wait(WAIT), 0)
                # calc's last echo may come after its standard output ended.
                echo += rest_of_terminal(master)
                self.assertIn(b"312 4", echo)
                self.assertNotIn(b"?", echo)  # no prompt of the editor's own
                self.assertTrue(echo.endswith(b"^D\r\n"), echo)

    @with_editor
    def test_typed_bytes_reach_the_tokeniser_in_every_locale(self):
        """A byte no numeral holds is refused as through a pipe; Backspace
        erases a whole character in a UTF-8 locale, a byte in the C locale."""
        refused = 'calc: "1{}" is not a decimal number\n'
        # Ctrl-@ (NUL) is the editor's set-mark key, which inserts nothing.
        cases = [("C", "1é2 3", refused.format("\\xC3\\xA92")), ("C", "1é\x7f2 3", refused.format("\\xC32")),
                 ("C", "1\x002 3", "")]
        for name in filter(installed, ("C.UTF-8", "en_US.UTF-8")):
            cases += [(name, "1é2 3", refused.format("\\xC3\\xA92")), (name, "1é\x7f2 3", ""),
                      (name, "1😀2 4", refused.format("\\xF0\\x9F\\x98\\x802")),
                      (name, "1\u00802 3", refused.format("\\xC2\\x802"))]  # the first C1 control
        for name, keys, err in cases:
            want = PROMPT + (PROMPT if err else block(*numerals.expected("12", "3")))
            with self.subTest(locale=name, keys=keys), \
                    self.terminal(subprocess.PIPE, env={"LC_ALL": name}) as (child, master, _):
                self.await_raw_mode(master)
                os.write(master, keys.encode() + b"\r")
                self.assertEqual(read_for(child.stdout.fileno(), len(want), [master])[0].decode(), want)
                self.await_raw_mode(master)
                os.write(master, b"\x04")
                self.assertEqual((child.wait(WAIT), child.stderr.read().decode()), (1 if err else 0, err))

    @with_editor
    def test_signal_ends_calc_alone_and_restores_the_terminal(self):
        """kill -INT, -TERM or -HUP of calc alone, editing a line: the parent in
        its process group carries on and learns the signal, and the terminal
        has the modes it had before calc."""
        for number in (signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=number), self.terminal(subprocess.PIPE, parent=PARENT, start_new_session=True) \
                    as (child, master, modes):
                calc = int(child.stderr.readline())
                self.await_raw_mode(master)
                os.write(master, b"1 ")
                read_for(master, 2)  # the echo: calc is editing the line
                os.kill(calc, number)
                self.assertEqual((child.wait(WAIT), child.stdout.read().decode()), (0, f"{PROMPT}after {-number}\n"))
                self.assertEqual(termios.tcgetattr(master), modes)

    @with_editor
    def test_ctrl_c_throws_the_line_away_and_again_on_an_empty_line_ends_calc(self):
        """Ctrl-C at the editor (the terminal's own, calc in its foreground)
        throws away the line being typed and a pair's first number waiting for
        its partner, and says once how to end input; calc goes on. Ctrl-C
        again on an empty line ends it as SIGINT does."""
        hint = b"Ctrl-D ends input; Ctrl-C again on an empty line ends calc"
        with self.terminal(subprocess.PIPE, preexec_fn=controlling_terminal) as (child, master, modes):
            self.expect(child.stdout.fileno(), PROMPT, [master])
            echo = b""
            # 1, Enter: a first number waits. 99, Ctrl-C: both go. 3 4, Enter: a pair of its own.
            # Each key waits for calc to be editing and for the echo of the one before.
            for keys, echoed in ((b"1\r", b"1\r\n"), (b"99", b"99"), (b"\x03", hint + b"\r\n"), (b"3 4\r", b"4\r\n")):
                echo += self.type_keys(child.pid, master, keys, echoed)
            self.expect(child.stdout.fileno(), block(*numerals.expected("3", "4")), [master])
            # 5, Ctrl-C: thrown away, no hint again; Ctrl-C on the empty line: the end.
            for keys, echoed in ((b"5", b"5"), (b"\x03", b"^C\r\n"), (b"\x03", b"")):
                echo += self.type_keys(child.pid, master, keys, echoed)
            self.assertEqual(child.wait(WAIT), -signal.SIGINT)
            self.assertEqual(termios.tcgetattr(master), modes)
            self.assertEqual(echo.count(hint), 1, echo)
            self.assertIn(b"99^C\r\n" + hint, echo)
            self.assertIn(b"5^C\r\n", echo)

    def type_keys(self, pid, master, keys, echoed):
        """Once calc waits in the editor for a key, types the keys and reads
        the terminal until `echoed` has come; what was read."""
        deadline = time.monotonic() + WAIT
        while not editing(pid) and time.monotonic() < deadline:
            time.sleep(0.01)
        os.write(master, keys)
        got = b""
        while not got.endswith(echoed) and time.monotonic() < deadline:
            got += read_for(master, 1)[0]
        return got

    def test_sigint_through_a_pipe_ends_calc_at_once(self):
        if calc_command.is_windows(CALC):
            self.skipTest("no SIGINT for a Windows program")
        with spawn(stdin=subprocess.PIPE, stdout=subprocess.PIPE) as child:
            self.expect(child.stdout.fileno(), PROMPT)
            child.stdin.write(b"1 ")
            child.stdin.flush()
            child.send_signal(signal.SIGINT)
            self.assertEqual(child.wait(WAIT), -signal.SIGINT)

    @with_editor
    def test_signals_calc_was_started_with_ignored_stay_ignored(self):
        """As under nohup, or a shell's background job: SIGHUP and SIGINT
        ignored at the start are ignored while editing too."""
        def ignore():
            signal.signal(signal.SIGHUP, signal.SIG_IGN)
            signal.signal(signal.SIGINT, signal.SIG_IGN)
        with self.terminal(subprocess.PIPE, preexec_fn=ignore) as (child, master, _):
            self.expect(child.stdout.fileno(), PROMPT, [master])
            self.type_keys(child.pid, master, b"1 ", b"1 ")
            for number in (signal.SIGHUP, signal.SIGINT, signal.SIGHUP):
                child.send_signal(number)
            self.type_keys(child.pid, master, b"2\r", b"\r\n")
            self.expect(child.stdout.fileno(), block("3", "-1", "2", "0.5"), [master])
            self.type_keys(child.pid, master, b"\x04", b"")
            self.assertEqual((child.wait(WAIT), child.stderr.read()), (0, b""))

    @with_editor
    def test_sigterm_ends_calc_blocked_on_a_full_output_pipe(self):
        """Between the editor's reads calc has the signal dispositions it was
        started with: SIGTERM while it waits to write ends it at once."""
        with self.terminal(subprocess.PIPE) as (child, master, _):
            self.type_keys(child.pid, master, b"1 3 " * 500 + b"\r", b"\r\n")  # more than a pipe holds
            deadline = time.monotonic() + WAIT
            while "pipe" not in wchan(child.pid) and time.monotonic() < deadline:
                time.sleep(0.01)
            child.send_signal(signal.SIGTERM)
            self.assertEqual(child.wait(WAIT), -signal.SIGTERM)

    @with_editor
    def test_ctrl_z_stops_calc_and_fg_resumes_editing(self):
        """Ctrl-Z stops calc alone; while it is stopped its shell puts the
        terminal back in its ordinary modes, and at fg calc takes the
        editor's modes again and redraws the line once from its start: Left
        then edits the line typed before. Likewise when calc was started with
        SIGCONT ignored."""
        def sigcont_ignored():
            controlling_terminal()
            signal.signal(signal.SIGCONT, signal.SIG_IGN)
        for start in (controlling_terminal, sigcont_ignored):
            with self.subTest(start.__name__), \
                    self.terminal(subprocess.PIPE, parent=SHELL, preexec_fn=start) as (child, master, _):
                calc = int(read_line(child.stderr.fileno()))
                self.assertEqual(read_line(child.stdout.fileno()), PROMPT.encode())
                self.type_keys(calc, master, b"12", b"12")
                self.type_keys(calc, master, b"\x1a", b"")
                stopped, want = read_line(child.stdout.fileno()), b"stopped ordinary\n"  # calc stopped with them
                self.assertEqual(stopped, want, None if stopped == want else stop_state(calc, master, child))
                # After fg: the line redrawn once, from the start of the cursor's line.
                self.assertEqual(read_for(master, 3)[0], b"\r12")
                self.assertEqual(select.select([master], [], [], 0.2)[0], [])
                self.assertFalse(termios.tcgetattr(master)[3] & termios.ICANON)  # the editor's modes again
                self.type_keys(calc, master, b"\x1b[D\x1b[D3\x14 4\r", b"\r\n")  # Left, Left, 3, ^T (end), space, 4
                results = block(*numerals.expected("312", "4"))
                self.assertEqual(read_for(child.stdout.fileno(), len(results), [master])[0].decode(), results)
                self.type_keys(calc, master, b"\x04", b"")
                self.assertEqual((child.wait(WAIT), child.stdout.read()), (0, b"after 0\n"))

    @with_editor
    def test_editor_that_cannot_start_leaves_the_terminal_as_it_is(self):
        """With no descriptor to spare for the editor's signal pipe, calc reads
        the terminal as a stream, in the terminal's own line mode."""
        def one_spare_descriptor():
            resource.setrlimit(resource.RLIMIT_NOFILE, (4, 4))
        with self.terminal(preexec_fn=one_spare_descriptor) as (child, master, modes):
            self.expect(child.stdout.fileno(), PROMPT, [master])
            os.write(master, b"1 2\n")
            self.expect(child.stdout.fileno(), block("3", "-1", "2", "0.5"), [master])
            self.assertEqual(termios.tcgetattr(master), modes)
            os.write(master, modes[6][termios.VEOF])
            self.assertEqual(child.wait(WAIT), 0)

    @with_editor
    def test_hang_up_is_a_read_error(self):
        with self.terminal(subprocess.PIPE, start_new_session=True) as (child, master, _):
            self.await_raw_mode(master)
            null = os.open(os.devnull, os.O_RDWR)
            os.dup2(null, master)  # the master closed: the terminal hangs up
            os.close(null)
            self.assertEqual(child.wait(WAIT), 2)
            self.assertEqual(child.stderr.read(), b"calc: cannot read standard input: Input/output error\n")

    def test_terminal_without_editor_is_read_as_it_hands_lines_over(self):
        """Built without line editing, calc leaves the terminal in its own
        line mode: its erase key edits, and its end-of-file key ends input."""
        if os.environ.get("CALC_NO_LINE_EDITING") != "1" or calc_command.is_windows(CALC):
            self.skipTest("a build with an editor, or a Windows console")
        with self.terminal() as (child, master, modes):
            self.expect(child.stdout.fileno(), PROMPT, [master])
            erase, eof = modes[6][termios.VERASE], modes[6][termios.VEOF]
            os.write(master, b"12" + erase + b"3 4\n")
            self.expect(child.stdout.fileno(), block(*numerals.expected("13", "4")), [master])
            os.write(master, eof)
            self.assertEqual(child.wait(WAIT), 0)
            self.assertEqual(termios.tcgetattr(master), modes)

    def test_windows_console_lines_are_edited(self):
        """A Windows calc reads a console in the console's own line mode (wine
        makes a pseudo-terminal one): 12, Left, Left, 3, Enter, 4, Enter is the
        pair 312 and 4, and the prompt comes before each wait."""
        if not calc_command.is_windows(CALC):
            self.skipTest("a Windows console")
        with self.terminal() as (child, master, _):
            self.expect(child.stdout.fileno(), PROMPT, [master])
            for keys in (b"12\x1b[D\x1b[D3\r", b"4\r"):
                self.await_raw_mode(master)
                os.write(master, keys)
            self.expect(child.stdout.fileno(), block(*numerals.expected("312", "4")), [master])

    def test_windows_console_ctrl_z_then_enter_ends_input(self):
        """Keys written into the console as typed ones (console_keys): a pair,
        Enter, then Ctrl-Z and Enter at the start of the next line end input.
        calc must read the console as one, in its line mode: read as a file,
        the Ctrl-Z would be an ordinary (refused) byte."""
        helper = os.environ.get("CALC_CONSOLE_KEYS")
        if not calc_command.is_windows(CALC) or not helper:
            self.skipTest("a Windows console")
        typed = b"1 2\r\x1a\r".hex()
        parent = (*CALC[:-1], helper, typed)  # the helper under the emulator, then calc.exe as its child
        with self.terminal(subprocess.PIPE, parent=parent, calc=CALC[-1:]) as (child, master, _):
            want = PROMPT + block("3", "-1", "2", "0.5")
            self.expect(child.stdout.fileno(), want, [master])
            self.assertEqual(child.wait(WAIT), 0)
            self.assertEqual(child.stderr.read(), b"")

    @staticmethod
    def await_raw_mode(master):
        """Waits until the editor has taken the terminal out of canonical mode,
        so that keys typed next reach the editor, not the line discipline."""
        deadline = time.monotonic() + WAIT
        while termios.tcgetattr(master)[3] & termios.ICANON and time.monotonic() < deadline:
            time.sleep(0.01)


def editing(pid):
    """True while calc waits in the editor's poll (on the terminal and its
    signal pipe: two descriptors), and so acts on a signal as the editor does."""
    try:
        with open(f"/proc/{pid}/wchan") as wchan, open(f"/proc/{pid}/syscall") as syscall:
            return "poll" in wchan.read() and syscall.read().split()[2:3] == ["0x2"]
    except OSError:
        return False


def wchan(pid):
    """Where in the kernel the process waits, or "" when it is gone."""
    try:
        with open(f"/proc/{pid}/wchan") as wait:
            return wait.read()
    except OSError:
        return ""


def stop_state(pid, master, shell):
    """For the message of a Ctrl-Z that did not stop calc: the process's state,
    where it waits and its signal masks, the terminal's signal keys, its
    foreground process group and what it shows that was not read, and whether
    calc's shell still runs (without it, a stop is discarded)."""
    try:
        with open(f"/proc/{pid}/status") as status:
            fields = dict(line.rstrip("\n").split(":\t", 1) for line in status if ":\t" in line)
        masks = ", ".join(f"{k} {fields.get(k)}" for k in ("State", "SigPnd", "ShdPnd", "SigBlk", "SigIgn", "SigCgt"))
    except OSError:
        masks = "gone"
    try:
        modes = termios.tcgetattr(master)
        shown = os.read(master, 4096) if select.select([master], [], [], 0.2)[0] else b""
        terminal = (f"ISIG {bool(modes[3] & termios.ISIG)}, VSUSP {modes[6][termios.VSUSP]!r}, "
                    f"foreground group {os.tcgetpgrp(master)}, unread {shown!r}")
    except OSError as error:
        terminal = str(error)
    ended = "runs" if shell.poll() is None else f"ended {shell.returncode}"
    return f"calc {pid}: {masks}, waits in {wchan(pid)!r}; terminal: {terminal}; shell {ended}"


def controlling_terminal():
    """In the child before it runs calc: a session of its own, whose
    controlling terminal is standard input, with calc in its foreground."""
    os.setsid()
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


def installed(name):
    """True when the locale of this name is installed."""
    previous = locale.setlocale(locale.LC_CTYPE)
    try:
        locale.setlocale(locale.LC_CTYPE, name)
    except locale.Error:
        return False
    locale.setlocale(locale.LC_CTYPE, previous)
    return True


if __name__ == "__main__":
    CALC = calc_command.parse(sys.argv.pop(1))
    VERSION = sys.argv.pop(1)
    # Every case named as it runs: a failure that does not repeat is placed
    # in ctest's log by the cases around it too.
    unittest.main(verbosity=2)
