#!/usr/bin/env bash
# valgrind memcheck of the kelvodsp shell generating, in one process, one core of each
# structure (fully parallel direct and transposed, shared direct, shared transposed folded),
# each with and without -no_mults yes, and one -project run. Fails on any memcheck error and
# on any definitely or indirectly lost block (memory still reachable at exit is the Tcl
# library's own and is not counted).
# Usage: scripts/valgrind.sh [BUILD_DIR]   (default build/ or $KW_BUILD_DIR; needs bin/kelvodsp)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${KW_BUILD_DIR:-$root/build}}
command -v valgrind >/dev/null || { echo "valgrind.sh: valgrind is not installed" >&2; exit 1; }

out=$(mktemp -d "${TMPDIR:-/tmp}/kwvalgrind.XXXXXX")
trap 'rm -rf "$out"' EXIT

script='
set structures {
  {-form Direct     -resource_shared no}
  {-form Transposed -resource_shared no}
  {-form Direct     -resource_shared yes}
  {-form Transposed -resource_shared yes}
}
set made 0
foreach structure $structures {
  foreach mults {no yes} {
    rcosflt -outdir $outdir -nosubdir -delay 2 -no_mults $mults {*}$structure
    incr made
  }
}
rcosflt -outdir $outdir -project -type sqrt -r_val 0.35 -fs 8 -delay 2 -form Transposed -resource_shared yes
incr made
set cores [llength [glob -directory $outdir rcosflt_*.m]]
set projects [llength [glob -directory $outdir -type d rcosflt_*]]
puts "generated $made cores: $cores core files and $projects project folder"
if {$cores != 8 || $projects != 1} { error "expected 8 core files and 1 project folder" }
'

valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --show-leak-kinds=definite,indirect --error-exitcode=1 --num-callers=30 \
  "$build/bin/kelvodsp" -c "set outdir {$out}; $script"
