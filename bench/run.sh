#!/usr/bin/env bash
# Whole-process benchmark of calc against a plain GMP program, Python's decimal
# module and bc, on seeded batches, plus a check that calc's output is unchanged.
#
#   bash bench/run.sh [--pairs N] [--seed S] [--runs R] [--batch small|wide]
#                     [--quick] [--no-bc] [--ops] [--callgrind] [--refresh-digest]
#
# --quick           500 pairs, no bc (a CI smoke run; its own stored digests)
# --batch B         only batch B (default: small and wide)
# --ops             also build and run the per-operation table (bench/ops_bench.cpp)
# --callgrind       only profile calc on one batch (--batch, default small; 2000
#                   pairs): instructions per pair, past start-up, and the top
#                   functions, for calc and for calc built with the portable
#                   arithmetic (-DCALC_PORTABLE_ARITHMETIC=ON, in $build-portable)
# --refresh-digest  store calc's output digests for this seed and pair count in
#                   bench/expected.sha256 (refused unless calc matches both peers)
#
# The GMP peer (peer_gmp.cpp) is built here with g++ -O2; Debian's libgmp-dev
# is installed first when <gmp.h> cannot be found. Words of CALC_CMAKE_ARGS are
# passed to the configure of the build folder, which they make run again
# (CI sets -DCALC_WERROR=ON).
#
# Exit status: 0 when calc's output equals peer_gmp's and peer_decimal.py's and
# the stored digest (if one is stored for this seed and pair count); 1 otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${CALC_BENCH_BUILD:-$root/build-bench}
pairs= seed=1 runs=3 use_bc=1 ops=0 refresh=0 callgrind=0 batches=(small wide)
while (($#)); do
  case "$1" in
    --pairs) pairs=$2; shift ;;
    --seed) seed=$2; shift ;;
    --runs) runs=$2; shift ;;
    --batch)
      [[ ${2:-} == small || ${2:-} == wide ]] || { echo "run.sh: --batch takes small or wide" >&2; exit 2; }
      batches=("$2"); shift ;;
    --quick) pairs=500; use_bc=0 ;;
    --callgrind) callgrind=1 ;;
    --no-bc) use_bc=0 ;;
    --ops) ops=1 ;;
    --refresh-digest) refresh=1 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
: "${pairs:=$( ((callgrind)) && echo 2000 || echo 20000 )}"

bench_flag=OFF; ((ops)) && bench_flag=ON
read -r -a cmake_args <<<"${CALC_CMAKE_ARGS:-}"
if [[ ! -f $build/CMakeCache.txt ]] || ((ops)) || ((${#cmake_args[@]})); then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCALC_BENCH=$bench_flag "${cmake_args[@]}" >/dev/null
fi
targets=(calc); ((ops)) && targets+=(ops_bench)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
calc=$build/calc
if ((callgrind)); then
  portable=$build-portable
  if [[ ! -f $portable/CMakeCache.txt ]] || ((${#cmake_args[@]})); then
    cmake -S "$root" -B "$portable" -DCMAKE_BUILD_TYPE=Release -DCALC_PORTABLE_ARITHMETIC=ON "${cmake_args[@]}" >/dev/null
  fi
  cmake --build "$portable" -j2 --target calc >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ((callgrind)); then
  batch=${batches[0]}
  python3 "$here/gen_batch.py" "$batch" --pairs "$pairs" --seed "$seed" -o "$work/batch.txt"
  : >"$work/empty.txt"
  ir() { awk '/^summary:/ { print $2 }' "$1"; }
  for build_kind in calc portable; do
    program=$calc; [[ $build_kind == portable ]] && program=$portable/calc
    for f in empty batch; do
      valgrind --tool=callgrind --callgrind-out-file="$work/$build_kind.$f.cg" "$program" \
        <"$work/$f.txt" >/dev/null 2>"$work/$build_kind.$f.log"
    done
    echo
    awk -v k="$build_kind" -v b="$batch" -v a="$(ir "$work/$build_kind.batch.cg")" \
        -v z="$(ir "$work/$build_kind.empty.cg")" -v n="$pairs" 'BEGIN {
      printf "%s: %s batch, %d pairs: %d instructions, %d at start-up, %.0f a pair\n", k, b, n, a, z, (a - z) / n }'
    callgrind_annotate "$work/$build_kind.batch.cg" | sed -n '/file:function/,$p' | sed -n '3,17p'
  done
  exit 0
fi

# The GMP peer: GMP is needed by the bench only, never to build or test calc.
if ! echo '#include <gmp.h>' | g++ -x c++ -E - >/dev/null 2>&1; then
  echo "installing libgmp-dev for the GMP peer"
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libgmp-dev </dev/null >/dev/null
fi
gmp=$build/peer_gmp
if [[ ! -x $gmp || $here/peer_gmp.cpp -nt $gmp ]]; then
  g++ -std=c++17 -O2 -Wall -Wextra -Wpedantic -Werror "$here/peer_gmp.cpp" -lgmp -o "$gmp"
fi

status=0
digests=$here/expected.sha256
touch "$digests"
# Lines of $digests are "SHA256  batch seed=S pairs=N".
stored() { awk -v k="$1" '{ h = $1; sub(/^[^ ]+  /, "") } $0 == k { print h }' "$digests"; }
stored_other() { awk -v k="$1" '{ l = $0; sub(/^[^ ]+  /, "") } $0 != k { print l }' "$digests"; }
# Fails the run when a peer's output is not byte-identical to calc's.
same_as_calc() {  # batch peer-name peer-output
  cmp -s "$work/$1.calc" "$3" && return 0
  echo "MISMATCH: calc and $2 differ on $1 (seed $seed, $pairs pairs):" >&2
  { diff "$work/$1.calc" "$3" || true; } | head -8 >&2
  status=1
}
table=$work/table
printf '%-6s %-15s %9s %10s %14s %9s\n' batch tool seconds pairs/s "calc x faster" "max KiB" >"$table"
for batch in "${batches[@]}"; do
  in=$work/$batch.txt
  python3 "$here/gen_batch.py" "$batch" --pairs "$pairs" --seed "$seed" -o "$in"
  # The output floor: calc's own output (written by calc's run just before,
  # in every round) passed through cat, stdin to stdout, in the place calc
  # writes it: the least any process writing that output costs.
  tools=(calc "$in" "$work/$batch.calc" "$calc" ---
         output-floor "$work/$batch.calc" "$work/$batch.floor" cat ---
         gmp "$in" "$work/$batch.gmp" "$gmp" ---
         python-decimal "$in" "$work/$batch.peer" python3 "$here/peer_decimal.py")
  if ((use_bc)); then
    bash "$here/peer_bc.sh" to-bc <"$in" >"$work/$batch.bc"
    tools+=(--- bc-scale=127 /dev/null "$work/$batch.bcout" bash "$here/peer_bc.sh" run "$work/$batch.bc")
  fi
  # Rows: tool, best seconds, max RSS; calc's row comes first.
  python3 "$here/time_tools.py" "$runs" "${tools[@]}" | awk -v b="$batch" -v n="$pairs" '
    NR == 1 { c = $2 }
    { printf "%-6s %-15s %9.3f %10.0f %14.2f %9s\n", b, $1, $2, n / $2, $2 / c, $3 }' >>"$table"

  same_as_calc "$batch" peer_gmp "$work/$batch.gmp"
  same_as_calc "$batch" peer_decimal.py "$work/$batch.peer"
  key="$batch seed=$seed pairs=$pairs"
  got=$(sha256sum <"$work/$batch.calc" | cut -d' ' -f1)
  if ((refresh)); then
    if ((status)); then
      echo "not refreshing the digest of '$key': calc differs from a peer" >&2
    else
      { stored_other "$key"; echo "$got  $key"; } | sort -k2 >"$work/digests"
      cp "$work/digests" "$digests"
      echo "stored  $got  $key"
    fi
  fi
  want=$(stored "$key")
  if [[ -z $want ]]; then
    echo "digest  none stored for '$key'"
  elif [[ $want == "$got" ]]; then
    echo "digest  ok  $key"
  else
    echo "DIGEST CHANGED for '$key': expected $want, got $got" >&2
    status=1
  fi
done

echo
echo "$pairs pairs a batch, seed $seed, best of $runs rounds of wall-clock runs (whole processes, the tools"
echo "taking turns); calc x faster = tool seconds / calc seconds (below 1: the tool is faster than calc);"
echo "max KiB = largest resident set of one more run (GNU time). bc's output is not compared (cut differently)."
cat "$table"

if ((ops)); then
  echo
  "$build/bench/ops_bench" --benchmark_min_time=0.2
fi
exit $status
