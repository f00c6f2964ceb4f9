#!/bin/sh
# Generates the -project runs of kw_testbench_plan through the shell and runs each
# testbench with octave/run_testbench --seed K --exact, as a user would:
#   run_testbench_matrix.sh KELVODSP WORKDIR
# Prints one line per testbench with the mean and max error it reported and its exact
# comparison; exits non-zero when any testbench fails (its own checks or the exact gate)
# or leaves no figures.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
octdir=$(cd "$here/../../octave" && pwd)
[ $# -eq 2 ] || { echo "usage: run_testbench_matrix.sh KELVODSP WORKDIR" >&2; exit 2; }
kelvodsp=$1
rm -rf "$2"
mkdir -p "$2"
dir=$(cd "$2" && pwd)

KW_TEST_DIR=$here KW_WORKDIR=$dir
export KW_TEST_DIR KW_WORKDIR
octave --no-gui --norc --no-window-system --quiet --no-history --eval \
    "addpath(getenv('KW_TEST_DIR')); kw_testbench_plan(getenv('KW_WORKDIR'));"
(cd "$dir" && "$kelvodsp" generate.tcl > generate.log 2>&1) || {
    echo "FAIL generation: see $dir/generate.log" >&2; tail -3 "$dir/generate.log" >&2; exit 1; }

failed=0
total=0
start=$(date +%s)
while read -r name; do
    total=$((total + 1))
    log="$dir/$name/run.log"
    if KW_KELVODSP=$kelvodsp "$octdir/run_testbench" --seed "$total" --exact "$dir/$name/${name}_script.m" > "$log" 2>&1 \
        && [ -s "$dir/$name/${name}_script_fig1.png" ] && [ -s "$dir/$name/${name}_script_fig2.png" ]; then
        errs=$(grep -E '^(mean error|max error|exact)' "$log" | tr '\n' ' ')
        echo "PASS $name: $errs"
    else
        echo "FAIL $name:"
        sed 's/^/    /' "$log"
        failed=$((failed + 1))
    fi
done < "$dir/cases.txt"
echo "$((total - failed)) of $total testbenches passed ($(( $(date +%s) - start )) s)"
[ "$failed" -eq 0 ]
