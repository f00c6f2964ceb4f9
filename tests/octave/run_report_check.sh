#!/bin/sh
# Checks the design report's figures of a handful of cores against independent computations
# in GNU Octave (one kelvodsp run, one Octave process):
#   run_report_check.sh KELVODSP WORKDIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
[ $# -eq 2 ] || { echo "usage: run_report_check.sh KELVODSP WORKDIR" >&2; exit 2; }
kw_octave_dir=$octdir
. "$octdir/kw_octave_env.sh"
kw_octave_env 1
mkdir -p "$2"
KW_OCTAVE_DIR=$octdir KW_TEST_DIR=$here KW_KELVODSP=$1 KW_WORKDIR=$(cd "$2" && pwd)
export KW_OCTAVE_DIR KW_TEST_DIR KW_KELVODSP KW_WORKDIR
exec octave --no-gui --norc --no-window-system --quiet --eval "
  addpath(getenv('KW_OCTAVE_DIR'));
  if (! isempty(getenv('KW_OCT_DIR'))) addpath(getenv('KW_OCT_DIR')); end
  addpath(getenv('KW_TEST_DIR'));
  pkg load signal;
  warning('off', 'all');
  exit(run_report_check(getenv('KW_KELVODSP'), getenv('KW_WORKDIR')) > 0);"
