#!/usr/bin/env bash
# Line and branch coverage of the ravur library under the test suite (gcc
# --coverage, gcov). Not part of CI: run it to see which lines and branches of
# the arithmetic no test reaches.
#
#   bash tests/coverage.sh [CTEST-ARGS...]
#
# Builds the project in build-cov with --coverage at -O0, clears the counters,
# runs ctest there (the whole suite unless CTEST-ARGS say otherwise, e.g.
# `-E soak`), then runs gcov on every source of the ravur library target (taken
# from its object directory, so a new src/*.cpp of the library is counted
# without a change here) and prints, per file, line and branch coverage, then
# every line never executed and every line with a branch never taken.
#
# Branches are gcov's branch arcs, less those that only an exception would take
# (the library throws none). Exit status: that of ctest (the report is printed
# either way), or 2 when the build fails.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-cov
objects=$build/CMakeFiles/ravur.dir
report=$build/gcov

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null || exit 2
cmake --build "$build" -j2 >/dev/null || exit 2

find "$build" -name '*.gcda' -delete
status=0
# The install test links a plain program against the installed archive, which
# here carries gcov's instrumentation: it is left out unless asked for.
(($#)) || set -- -E install_package
ctest --test-dir "$build" -j2 --output-on-failure "$@" || status=$?

rm -rf "$report"
mkdir -p "$report"
mapfile -t notes < <(find "$objects" -name '*.gcno' | sort)
((${#notes[@]})) || { echo "coverage.sh: no coverage notes under $objects" >&2; exit 2; }
(cd "$report" && gcov --json-format --branch-probabilities --branch-counts "${notes[@]}" >/dev/null)

python3 - "$root" "$report" <<'EOF'
import gzip
import json
import os
import sys

root, report = sys.argv[1], sys.argv[2]
files = {}  # source path -> {line: (count, branches taken, branches)}
for name in sorted(os.listdir(report)):
    if not name.endswith(".gcov.json.gz"):
        continue
    with gzip.open(os.path.join(report, name), "rt") as f:
        data = json.load(f)
    cwd = data.get("current_working_directory", report)
    for entry in data["files"]:
        path = os.path.normpath(os.path.join(cwd, entry["file"]))
        if not path.startswith(os.path.join(root, "src") + os.sep):
            continue  # headers of the standard library
        lines = files.setdefault(path, {})
        for line in entry["lines"]:
            arcs = [b for b in line["branches"] if not b["throw"]]
            count, taken, total = lines.get(line["line_number"], (0, 0, 0))
            lines[line["line_number"]] = (count + line["count"],
                                          taken + sum(1 for b in arcs if b["count"] > 0),
                                          total + len(arcs))

def percent(part, whole):
    return f"{100.0 * part / whole:5.1f}%" if whole else "    -"

print()
print(f"{'file':<20} {'lines':>15} {'':>6} {'branches':>15} {'':>6}")
for path, lines in sorted(files.items()):
    run = sum(1 for c, _, _ in lines.values() if c > 0)
    taken = sum(t for _, t, _ in lines.values())
    arcs = sum(n for _, _, n in lines.values())
    name = os.path.relpath(path, root)
    print(f"{name:<20} {run:>7} of {len(lines):<5} {percent(run, len(lines))} "
          f"{taken:>7} of {arcs:<5} {percent(taken, arcs)}")

for path, lines in sorted(files.items()):
    with open(path, encoding="utf-8") as f:
        text = f.read().splitlines()
    name = os.path.relpath(path, root)
    never = [n for n, (c, _, _) in sorted(lines.items()) if c == 0]
    partial = [(n, t, a) for n, (c, t, a) in sorted(lines.items()) if c > 0 and t < a]
    print(f"\n{name}: {len(never)} lines never executed")
    for n in never:
        print(f"  {n:5}: {text[n - 1].strip()}")
    print(f"{name}: {len(partial)} lines with a branch never taken (taken of all)")
    for n, t, a in partial:
        print(f"  {n:5}: [{t} of {a}] {text[n - 1].strip()}")
EOF
exit $status
