#!/usr/bin/env bash
# Usage: tests/fuzz/run.sh SECONDS
# Builds the libFuzzer target in build-fuzz (clang, -DCALC_FUZZ=ON), writes the
# seed corpus into a temporary directory, replays the kept regression inputs,
# then fuzzes for SECONDS on one core. Exits non-zero on any finding; the
# failing input is kept in build-fuzz/findings/. Words of CALC_CMAKE_ARGS are
# passed to the configure (CI sets -DCALC_WERROR=ON).
set -euo pipefail
seconds=${1:?usage: run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz
read -r -a cmake_args <<<"${CALC_CMAKE_ARGS:-}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCALC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cmake_args[@]}" >/dev/null
cmake --build "$build" --target fuzz_calc -j2
fuzzer=$build/tests/fuzz/fuzz_calc

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_corpus.py" "$work/corpus"
mkdir -p "$build/findings"

if compgen -G "$here/regressions/*" >/dev/null; then
  "$fuzzer" "$here"/regressions/*
fi
# Inputs up to two widest numerals and some slack; 10 s for one input is a hang.
"$fuzzer" -dict="$here/calc.dict" -max_len=1100 -timeout=10 -rss_limit_mb=2048 \
  -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/findings/" "$work/corpus"
