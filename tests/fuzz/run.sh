#!/usr/bin/env bash
# Usage: tests/fuzz/run.sh SECONDS
# Builds the libFuzzer targets in build-fuzz (clang, -DCALC_FUZZ=ON): fuzz_calc
# (numeral pairs, as calc takes them) and fuzz_chains (chains of operations on
# results of results). For each it writes the seed corpus into a temporary
# directory, replays the kept regression inputs (regressions/ and
# regressions_chains/), then fuzzes on one core, the SECONDS split between the
# two. Exits non-zero on any finding; the failing input is kept in
# build-fuzz/findings/. Words of CALC_CMAKE_ARGS are passed to the configure
# (CI sets -DCALC_WERROR=ON).
set -euo pipefail
seconds=${1:?usage: run.sh SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$root/build-fuzz
read -r -a cmake_args <<<"${CALC_CMAKE_ARGS:-}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCALC_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "${cmake_args[@]}" >/dev/null
cmake --build "$build" --target fuzz_calc fuzz_chains -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/findings"
half=$(( (seconds + 1) / 2 ))

# fuzz_calc: inputs up to two widest numerals and some slack.
python3 "$here/make_corpus.py" "$work/corpus"
if compgen -G "$here/regressions/*" >/dev/null; then
  "$build/tests/fuzz/fuzz_calc" "$here"/regressions/*
fi
# 10 s for one input is a hang.
"$build/tests/fuzz/fuzz_calc" -dict="$here/calc.dict" -max_len=1100 -timeout=10 -rss_limit_mb=2048 \
  -max_total_time="$half" -print_final_stats=1 -artifact_prefix="$build/findings/" "$work/corpus"

# fuzz_chains: a few numerals and up to 96 steps.
python3 "$here/make_corpus.py" "$work/chains" --chains
if compgen -G "$here/regressions_chains/*" >/dev/null; then
  "$build/tests/fuzz/fuzz_chains" "$here"/regressions_chains/*
fi
"$build/tests/fuzz/fuzz_chains" -dict="$here/chains.dict" -max_len=2048 -timeout=10 -rss_limit_mb=2048 \
  -max_total_time="$half" -print_final_stats=1 -artifact_prefix="$build/findings/chains-" "$work/chains"
