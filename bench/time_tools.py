#!/usr/bin/env python3
"""Times whole processes side by side, in rounds, so that a burst of noise on a
shared machine hits every tool alike.

  python3 bench/time_tools.py RUNS  NAME IN OUT CMD... ---  NAME IN OUT CMD... --- ...

Each round runs every tool once, in the order given, with stdin from IN and
stdout to OUT. Prints one line a tool: NAME, its best wall-clock seconds over
RUNS rounds, and its largest resident set in KiB from one more run under GNU
time ("-" without /usr/bin/time; a child's own rusage would count the memory of
this Python process that it was forked from). Exits non-zero when a tool does.
"""
import os
import subprocess
import sys
import tempfile
import time

GNU_TIME = "/usr/bin/time"

SEPARATOR = "---"


def tools(args):
    group = []
    for a in args + [SEPARATOR]:
        if a != SEPARATOR:
            group.append(a)
        elif group:
            yield group[0], group[1], group[2], group[3:]
            group = []


def run_once(inp, out, cmd):
    """Wall-clock seconds of one run; exits when the tool fails."""
    with open(inp, "rb") as i, open(out, "wb") as o:
        t = time.perf_counter()
        rc = subprocess.run(cmd, stdin=i, stdout=o).returncode
        t = time.perf_counter() - t
    if rc != 0:
        sys.exit(f"{cmd[0]} exited with {rc}")
    return t


def max_rss(inp, cmd):
    if not os.access(GNU_TIME, os.X_OK):
        return "-"
    with tempfile.NamedTemporaryFile("r") as report, open(inp, "rb") as i:
        subprocess.run([GNU_TIME, "-f", "%M", "-o", report.name] + cmd, stdin=i,
                       stdout=subprocess.DEVNULL, check=True)
        return report.read().split()[-1]


def main():
    runs, table = int(sys.argv[1]), list(tools(sys.argv[2:]))
    best = {name: float("inf") for name, *_ in table}
    for _ in range(runs):
        for name, inp, out, cmd in table:
            best[name] = min(best[name], run_once(inp, out, cmd))
    for name, inp, _, cmd in table:
        print(f"{name} {best[name]:.4f} {max_rss(inp, cmd)}")


if __name__ == "__main__":
    main()
