#!/bin/sh
# Times a 511-tap fully parallel core (root-raised cosine, 20-bit coefficients, none
# of them zero) over 2048 samples in Octave with the compiled quantize, and fails when
# the run takes longer than LIMIT seconds:
#   run_core_timing.sh KELVODSP WORKDIR [LIMIT]   (LIMIT defaults to 30)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
[ $# -ge 2 ] || { echo "usage: run_core_timing.sh KELVODSP WORKDIR [LIMIT]" >&2; exit 2; }
mkdir -p "$2"
KW_WORKDIR=$(cd "$2" && pwd) KW_LIMIT=${3:-30}
"$1" rcosflt -fs 5 -fd 1 -delay 51 -type sqrt -r_val 0.1 -cbits 20 \
    -name kw_timed_511 -outdir "$KW_WORKDIR" 2>/dev/null

kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env 1

KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here
export KW_OCTAVE_DIR KW_TEST_DIR KW_WORKDIR KW_LIMIT
exec octave --no-gui --norc --no-window-system --quiet --no-history --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_TEST_DIR'));
  kw_time_quantize ();
  t = kw_time_core (getenv('KW_WORKDIR'), 'kw_timed_511', 2048);
  exit (t.seconds > str2double (getenv('KW_LIMIT')));"
