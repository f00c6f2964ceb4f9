#!/bin/sh
# The output quantizer's modes and full-range coefficients over every structure, proven in
# GNU Octave (one Octave process, two kelvodsp runs):
#   run_output_modes_matrix.sh KELVODSP WORKDIR
# Exits non-zero when any core differs from the simulator or from its oracle, when the
# inputs hit no tie or no overflow of some mode, or when full-range taps are less accurate.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
[ $# -eq 2 ] || { echo "usage: run_output_modes_matrix.sh KELVODSP WORKDIR" >&2; exit 2; }
kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env 1
mkdir -p "$2"
KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here KW_KELVODSP=$1 KW_WORKDIR=$(cd "$2" && pwd)
export KW_OCTAVE_DIR KW_TEST_DIR KW_KELVODSP KW_WORKDIR
exec octave --no-gui --norc --no-window-system --quiet --no-history --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_TEST_DIR'));
  warning('off', 'all');
  exit(run_output_modes_matrix(getenv('KW_KELVODSP'), getenv('KW_WORKDIR')) > 0);"
