#!/usr/bin/env bash
# Wall time of the costliest generate call against the shell's own start and exit, measured
# side by side: each round runs "kelvodsp -c exit" and then the generation, in a fresh
# directory (default: a temporary one under $TMPDIR; KW_TIME_DIR picks another file system).
#   scripts/time_generate.sh [ROUNDS] [KELVODSP]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-50}
shell=$(realpath "${2:-${KW_BUILD_DIR:-$root/build}/bin/kelvodsp}")
dir=$(mktemp -d "${KW_TIME_DIR:-${TMPDIR:-/tmp}}/kwtime.XXXXXX")
trap 'rm -rf "$dir"' EXIT
cd "$dir"
now() { date +%s%N; }
exit_ns=0 generate_ns=0
for _ in $(seq "$rounds"); do
  a=$(now); "$shell" -c exit >/dev/null 2>&1; b=$(now)
  "$shell" rcosflt -fs 8 -fd 1 -delay 31 -no_mults yes -form Transposed -project >/dev/null 2>&1; c=$(now)
  exit_ns=$((exit_ns + b - a)); generate_ns=$((generate_ns + c - b))
done
awk -v e="$exit_ns" -v g="$generate_ns" -v n="$rounds" 'BEGIN {
  printf "kelvodsp -c exit: %.2f ms   generate (497 taps, multiplier-free, transposed, -project): %.2f ms   ratio %.2f\n",
         e / n / 1e6, g / n / 1e6, g / e }'
