#!/usr/bin/env bash
# The main job, end to end: sets up, builds the shell and the plug-in (scripts/test.sh builds
# the rest), generates a root-raised-cosine core with its testbench and host project, and
# (where Octave is present) runs the testbench with a fixed seed, which simulates the bit-true
# core, compares it with the rcosflt reference, saves two pictures and checks every output
# against the core's bit-true model.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
KW_BUILD_TARGETS="kelvodsp rcosflt" "$root/scripts/build.sh"
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
  "$root/octave/run_testbench" --seed 1 --exact "$script"
  echo "Pictures: ${script%.m}_fig1.png ${script%.m}_fig2.png"
else
  echo "Octave is not installed: the testbench was not run."
fi
