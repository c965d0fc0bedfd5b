#!/usr/bin/env bash
# bc as an approximate peer of calc: the same four operations per pair, at
# scale=127 (bc's scale counts fraction digits, and a product keeps at most
# max(127, the operands' scales) of them, so wide results are cut differently).
#
#   bash bench/peer_bc.sh to-bc < BATCH > PROG.bc   # once, before timing
#   bash bench/peer_bc.sh run PROG.bc > OUT          # what is timed: bc alone
#
# The transform drops a leading '+' (bc has no unary plus), spells a numeral
# without digits ("." "-" "-.") as 0 (a bare "." is bc's last value), and sends
# bc a constant instead of x/0 (bc would stop at a runtime error).
set -euo pipefail

case "${1:-}" in
  to-bc)
    awk '
      function bcnum(t) {
        sub(/^\+/, "", t)
        return t ~ /[0-9]/ ? t : "0"
      }
      BEGIN { print "scale=127" }
      NF >= 2 {
        a = bcnum($1); b = bcnum($2)
        printf "a=%s\nb=%s\na+b\na-b\na*b\n", a, b
        print (b ~ /[1-9]/ ? "a/b" : "0")
      }
      END { print "quit" }'
    ;;
  run)
    BC_LINE_LENGTH=0 exec bc -q "$2" </dev/null
    ;;
  *)
    echo "usage: $0 to-bc < BATCH > PROG.bc | $0 run PROG.bc" >&2
    exit 2
    ;;
esac
