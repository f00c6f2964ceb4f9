#!/usr/bin/env bash
# The main job, end to end: sets up, builds, generates a root-raised-cosine core with its
# testbench and host project, and (where Octave is present) runs the testbench, which
# simulates the bit-true core and compares it with the rcosflt reference, saving two pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${KW_BUILD_DIR:-$root/build}
out=${KW_DEMO_DIR:-$root/demo}
mkdir -p "$out"

"$build/bin/kelvodsp" -c "
  puts \"[rcosflt::GetFullName] ([rcosflt::GetShortName]): [rcosflt::GetDescription]\"
  rcosflt -outdir {$out} -project -type sqrt -r_val 0.35 -fs 8 -fd 1 -delay 4 \
          -ibits 12 -ifbits 11 -cbits 14 -form Transposed
"
script=$(ls -t "$out"/rcosflt_*/rcosflt_*_script.m | head -n 1)
echo "Generated: $(dirname "$script")"
ls -1 "$(dirname "$script")"

if command -v octave >/dev/null 2>&1; then
  "$root/octave/run_testbench" "$script"
  echo "Pictures: ${script%.m}_fig1.png ${script%.m}_fig2.png"
else
  echo "Octave is not installed: the testbench was not run."
fi
