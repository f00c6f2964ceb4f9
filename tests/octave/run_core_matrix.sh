#!/bin/sh
# Proves a directory of generated cores bit-true in GNU Octave:
#   run_core_matrix.sh [--no-oct] MANIFEST
# MANIFEST lists the cores (see kw_read_manifest.m); the cores sit beside it.
# Exits non-zero when any core fails.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
use_oct=1
if [ "${1:-}" = "--no-oct" ]; then use_oct=0; shift; fi
[ $# -eq 1 ] || { echo "usage: run_core_matrix.sh [--no-oct] MANIFEST" >&2; exit 2; }
[ -f "$1" ] || { echo "run_core_matrix.sh: no such manifest: $1" >&2; exit 2; }

kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env "$use_oct"

KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here KW_MANIFEST=$1
export KW_OCTAVE_DIR KW_TEST_DIR KW_MANIFEST
exec octave --no-gui --norc --no-window-system --quiet --no-history --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_TEST_DIR'));
  warning('off', 'all');
  exit(run_core_matrix(getenv('KW_MANIFEST')) > 0);"
