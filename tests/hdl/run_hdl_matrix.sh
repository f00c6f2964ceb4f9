#!/bin/sh
# Generates the hdl matrix and makes each testbench's expected vectors the MATLAB core's
# outputs, in one Octave process:
#   run_hdl_matrix.sh KELVODSP KW_WRITE_CORE WORKDIR
# WORKDIR is emptied first and keeps the cores, their Verilog, testbenches and cores.txt.
# Exits non-zero when a core cannot be generated or its MATLAB core differs from the model.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
[ $# -eq 3 ] || { echo "usage: run_hdl_matrix.sh KELVODSP KW_WRITE_CORE WORKDIR" >&2; exit 2; }

kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env 1

mkdir -p "$3"
absolute() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }
KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here KW_KELVODSP=$(absolute "$1") KW_WRITE_CORE=$(absolute "$2")
KW_WORKDIR=$(cd "$3" && pwd)
KW_COVERING_DIR=$(cd "$here/../octave" && pwd)
export KW_OCTAVE_DIR KW_TEST_DIR KW_KELVODSP KW_WRITE_CORE KW_WORKDIR KW_COVERING_DIR
exec octave --no-gui --norc --no-window-system --quiet --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_COVERING_DIR'));
  addpath(getenv('KW_TEST_DIR'));
  warning('off', 'all');
  exit(run_hdl_matrix(getenv('KW_KELVODSP'), getenv('KW_WRITE_CORE'), getenv('KW_WORKDIR')) > 0);"
