"""How the test scripts start calc and read what it writes. Each script takes
calc's command as one argument, split as a shell would: the binary alone for a
native build, an emulator first for a cross build ("qemu-s390x -L
/usr/s390x-linux-gnu b/calc", "env WINEDEBUG=-all wine b/calc.exe").

A Windows calc ends every line it writes with CR LF: its output is checked to
have no bare LF and then read with LF line ends, so the scripts compare the
same lines on every platform."""
import shlex


def parse(text):
    return shlex.split(text)


def is_windows(command):
    return command[-1].lower().endswith(".exe")


def is_emulated(command):
    return len(command) > 1


def lf_lines(data, command):
    """calc's output bytes with LF line ends; a Windows calc's must all be CR LF."""
    if not is_windows(command):
        return data
    bare = data.replace(b"\r\n", b"").count(b"\n")
    if bare:
        raise AssertionError(f"{bare} line ends without CR in a Windows calc's output: {data[:200]!r}")
    return data.replace(b"\r\n", b"\n")


def wire_text(text, command):
    """The text calc writes for these LF-ended lines on its platform."""
    return text.replace("\n", "\r\n") if is_windows(command) else text
