#!/bin/sh
# Generates the core matrix through the shell and the coefficient-set tool, and proves
# every core bit-true in GNU Octave (one Octave process):
#   run_generated_matrix.sh [--no-oct] KELVODSP KW_WRITE_CORE WORKDIR
# WORKDIR is emptied first and keeps the cores, their testbenches and manifest.txt.
# Exits non-zero when any core fails or a refusal is missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
use_oct=1
if [ "${1:-}" = "--no-oct" ]; then use_oct=0; shift; fi
[ $# -eq 3 ] || { echo "usage: run_generated_matrix.sh [--no-oct] KELVODSP KW_WRITE_CORE WORKDIR" >&2; exit 2; }

kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env "$use_oct"

mkdir -p "$3"
KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here KW_KELVODSP=$1 KW_WRITE_CORE=$2
KW_WORKDIR=$(cd "$3" && pwd)
export KW_OCTAVE_DIR KW_TEST_DIR KW_KELVODSP KW_WRITE_CORE KW_WORKDIR
exec octave --no-gui --norc --no-window-system --quiet --no-history --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_TEST_DIR'));
  warning('off', 'all');
  exit(run_generated_matrix(getenv('KW_KELVODSP'), getenv('KW_WRITE_CORE'), getenv('KW_WORKDIR')) > 0);"
