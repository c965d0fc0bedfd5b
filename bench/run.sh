#!/usr/bin/env bash
# Whole-process benchmark of calc against Python's decimal module and bc, on
# seeded batches, plus a check that calc's output is unchanged.
#
#   bash bench/run.sh [--pairs N] [--seed S] [--runs R] [--quick] [--no-bc] [--ops]
#                     [--refresh-digest]
#
# --quick           500 pairs, no bc (a CI smoke run; its own stored digests)
# --ops             also build and run the per-operation table (bench/ops_bench.cpp)
# --callgrind       only profile calc on the small batch (default 2000 pairs):
#                   instructions per pair, past start-up, and the top functions
# --refresh-digest  store calc's output digests for this seed and pair count in
#                   bench/expected.sha256 (refused unless calc matches the peer)
#
# Exit status: 0 when calc's output equals peer_decimal.py's and the stored
# digest (if one is stored for this seed and pair count); 1 otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${CALC_BENCH_BUILD:-$root/build-bench}
pairs= seed=1 runs=3 use_bc=1 ops=0 refresh=0 callgrind=0
while (($#)); do
  case "$1" in
    --pairs) pairs=$2; shift ;;
    --seed) seed=$2; shift ;;
    --runs) runs=$2; shift ;;
    --quick) pairs=500; use_bc=0 ;;
    --callgrind) callgrind=1 ;;
    --no-bc) use_bc=0 ;;
    --ops) ops=1 ;;
    --refresh-digest) refresh=1 ;;
    -h|--help) sed -n '2,18p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done
: "${pairs:=$( ((callgrind)) && echo 2000 || echo 20000 )}"

bench_flag=OFF; ((ops)) && bench_flag=ON
if [[ ! -f $build/CMakeCache.txt ]] || ((ops)); then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCALC_BENCH=$bench_flag >/dev/null
fi
targets=(calc); ((ops)) && targets+=(ops_bench)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
calc=$build/calc

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ((callgrind)); then
  python3 "$here/gen_batch.py" small --pairs "$pairs" --seed "$seed" -o "$work/small.txt"
  : >"$work/empty.txt"
  for f in empty small; do
    valgrind --tool=callgrind --callgrind-out-file="$work/$f.cg" "$calc" <"$work/$f.txt" >/dev/null 2>"$work/$f.log"
  done
  ir() { awk '/^summary:/ { print $2 }' "$1"; }
  awk -v a="$(ir "$work/small.cg")" -v z="$(ir "$work/empty.cg")" -v n="$pairs" 'BEGIN {
    printf "small batch, %d pairs: %d instructions, %d at start-up, %.0f a pair\n", n, a, z, (a - z) / n }'
  callgrind_annotate "$work/small.cg" | sed -n '/file:function/,$p' | sed -n '3,17p'
  exit 0
fi

# Best wall-clock seconds of R whole-process runs: stdin < IN, stdout > OUT.
best_of() {
  python3 - "$runs" "$@" <<'EOF'
import subprocess, sys, time
runs, inp, out, cmd = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
best = None
for _ in range(runs):
    with open(inp, "rb") as i, open(out, "wb") as o:
        t = time.perf_counter()
        rc = subprocess.run(cmd, stdin=i, stdout=o).returncode
        t = time.perf_counter() - t
    if rc != 0:
        sys.exit(f"{cmd[0]} exited with {rc}")
    best = t if best is None else min(best, t)
print(f"{best:.4f}")
EOF
}

row() {  # batch tool seconds calc_seconds
  awk -v b="$1" -v t="$2" -v s="$3" -v c="$4" -v n="$pairs" \
    'BEGIN { printf "%-6s %-15s %10.3f %12.0f %10.2f\n", b, t, s, n / s, c / s }'
}

status=0
digests=$here/expected.sha256
touch "$digests"
# Lines of $digests are "SHA256  batch seed=S pairs=N".
stored() { awk -v k="$1" '{ h = $1; sub(/^[^ ]+  /, "") } $0 == k { print h }' "$digests"; }
stored_other() { awk -v k="$1" '{ l = $0; sub(/^[^ ]+  /, "") } $0 != k { print l }' "$digests"; }
table=$work/table
printf '%-6s %-15s %10s %12s %10s\n' batch tool seconds pairs/s calc/tool >"$table"
for batch in small wide; do
  in=$work/$batch.txt
  python3 "$here/gen_batch.py" "$batch" --pairs "$pairs" --seed "$seed" -o "$in"
  ((use_bc)) && bash "$here/peer_bc.sh" to-bc <"$in" >"$work/$batch.bc"

  t_calc=$(best_of "$in" "$work/$batch.calc" "$calc")
  t_peer=$(best_of "$in" "$work/$batch.peer" python3 "$here/peer_decimal.py")
  row "$batch" calc "$t_calc" "$t_calc" >>"$table"
  row "$batch" python-decimal "$t_peer" "$t_calc" >>"$table"
  if ((use_bc)); then
    t_bc=$(best_of /dev/null "$work/$batch.bcout" bash "$here/peer_bc.sh" run "$work/$batch.bc")
    row "$batch" bc-scale=127 "$t_bc" "$t_calc" >>"$table"
  fi

  if ! cmp -s "$work/$batch.calc" "$work/$batch.peer"; then
    echo "MISMATCH: calc and peer_decimal.py differ on $batch (seed $seed, $pairs pairs):" >&2
    diff "$work/$batch.calc" "$work/$batch.peer" | head -8 >&2
    status=1
  fi
  key="$batch seed=$seed pairs=$pairs"
  got=$(sha256sum <"$work/$batch.calc" | cut -d' ' -f1)
  if ((refresh)); then
    if ((status)); then
      echo "not refreshing the digest of '$key': calc differs from the peer" >&2
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
echo "$pairs pairs a batch, seed $seed, best of $runs wall-clock runs (whole processes);"
echo "calc/tool = calc seconds / tool seconds (below 1: calc is faster)"
cat "$table"

if ((ops)); then
  echo
  "$build/bench/ops_bench" --benchmark_min_time=0.2
fi
exit $status
