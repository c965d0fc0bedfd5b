"""Soak: many pairs through one calc process, in flat memory and without leaks.

Full size (a few seconds on a release build; not run by CTest):
    python3 tests/soak.py build/calc --pairs 1000000
CTest runs a short one (--pairs 20000).

Usage: soak.py CALC [--pairs N] [--leak-pairs M] [--seed S]

N pairs of small numerals (a seeded cycle of distinct pairs, repeated) are
streamed into calc's standard input while its output is compared, byte for
byte, with the oracle's. calc's VmRSS is sampled after 10% and after 90% of
the output: it must not grow by more than GROWTH_LIMIT_KIB. Then M pairs run
under a leak checker: valgrind --leak-check=full on an ordinary build,
LeakSanitizer on an AddressSanitizer build (valgrind cannot run those).
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import numerals  # noqa: E402

CYCLE = 997
GROWTH_LIMIT_KIB = 1024
CHUNK = 1 << 20


def cycle(seed):
    pairs = numerals.pairs(seed, CYCLE, wide_share=0)
    stdin = "".join(f"{a} {b}\n" for a, b in pairs).encode()
    stdout = numerals.expected_output(pairs).encode()[len(numerals.PROMPT) + 1:]
    return pairs, stdin, stdout


def repeated(block, total):
    """The first `total` bytes of block repeated, in pieces of about CHUNK."""
    big = block * max(1, CHUNK // len(block))
    while total > 0:
        piece = big[:total]
        total -= len(piece)
        yield piece


def vm_kib(pid, field):
    with open(f"/proc/{pid}/status") as status:
        return int(re.search(rf"{field}:\s+(\d+) kB", status.read())[1])


def is_asan_build(calc):
    with open(calc, "rb") as binary:
        return b"__asan_init" in binary.read()


def child_env(calc):
    env = dict(os.environ)
    if is_asan_build(calc):
        # Freed blocks are otherwise held back (256 MiB) and would read as growth.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0:detect_leaks=1"
    return env


def soak(calc, seed, count):
    pairs, cycle_in, cycle_out = cycle(seed)
    full, part = divmod(count, CYCLE)
    tail_out = numerals.expected_output(pairs[:part]).encode()[len(numerals.PROMPT) + 1:]
    prompt = (numerals.PROMPT + "\n").encode()
    total_out = len(prompt) + full * len(cycle_out) + len(tail_out)
    samples = {}

    with subprocess.Popen([calc], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=child_env(calc)) as child:
        def feed():
            for piece in repeated(cycle_in, full * len(cycle_in)):
                child.stdin.write(piece)
            child.stdin.write(cycle_in[:sum(len(f"{a} {b}\n") for a, b in pairs[:part])])
            child.stdin.close()

        errors = []
        threading.Thread(target=lambda: errors.append(child.stderr.read()), daemon=True).start()
        writer = threading.Thread(target=feed, daemon=True)
        writer.start()

        expected = iter([prompt, *repeated(cycle_out, full * len(cycle_out)), tail_out])
        piece, offset, seen = b"", 0, 0
        while got := child.stdout.read1(CHUNK):
            done = 0
            while done < len(got):
                if offset == len(piece):
                    piece, offset = next(expected, None), 0
                    if piece is None:
                        sys.exit(f"output runs past the oracle's {total_out} bytes")
                size = min(len(got) - done, len(piece) - offset)
                if got[done:done + size] != piece[offset:offset + size]:
                    sys.exit(f"output differs from the oracle's within bytes {seen + done} to {seen + done + size}")
                done, offset = done + size, offset + size
            seen += len(got)
            for name, share in (("early", 0.1), ("late", 0.9)):
                if name not in samples and seen >= share * total_out:
                    samples[name] = vm_kib(child.pid, "VmRSS")
                    samples["peak"] = vm_kib(child.pid, "VmHWM")
        writer.join()
        child.wait()
    if child.returncode != 0 or errors[0] or seen != total_out:
        sys.exit(f"calc exited {child.returncode} after {seen} of {total_out} bytes: {errors[0][:300]!r}")
    growth = samples["late"] - samples["early"]
    print(f"soak: {count} pairs, {total_out} output bytes matched; VmRSS {samples['early']} KiB at 10%, "
          f"{samples['late']} KiB at 90% (growth {growth} KiB), VmHWM {samples['peak']} KiB")
    if growth > GROWTH_LIMIT_KIB:
        sys.exit(f"memory grew by {growth} KiB over the run")


def leak_check(calc, seed, count):
    pairs = numerals.pairs(seed + 1, count, wide_share=0.1)
    stdin = "".join(f"{a} {b}\n" for a, b in pairs).encode()
    if is_asan_build(calc):
        command, tool = [calc], "LeakSanitizer"
    elif shutil.which("valgrind"):
        command, tool = ["valgrind", "-q", "--leak-check=full", "--error-exitcode=99", calc], "valgrind"
    else:
        print("leak check skipped: no valgrind, and calc is not an AddressSanitizer build")
        return
    done = subprocess.run(command, input=stdin, capture_output=True, timeout=600, env=child_env(calc), check=False)
    if done.returncode != 0 or done.stderr or done.stdout != numerals.expected_output(pairs).encode():
        sys.exit(f"{tool} run of {count} pairs exited {done.returncode}: {done.stderr[-2000:].decode('latin-1')}")
    print(f"leak check: {count} pairs under {tool}, no leak or memory error")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("calc")
    parser.add_argument("--pairs", type=int, default=1000000)
    parser.add_argument("--leak-pairs", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=20261207)
    args = parser.parse_args()
    soak(os.path.abspath(args.calc), args.seed, args.pairs)
    leak_check(os.path.abspath(args.calc), args.seed, args.leak_pairs)


if __name__ == "__main__":
    main()
