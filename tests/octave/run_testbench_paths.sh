#!/bin/sh
# The testbench runner under hostile directory names: each name of the table holds a copy
# of a small testbench; the run must succeed, leave both figures beside the script, announce
# exactly those paths and run nothing that a name spells.  A figure that cannot be put in
# place must fail the run and not be announced.
#   run_testbench_paths.sh FIXTURES_DIR WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../../octave/run_testbench
[ $# -eq 2 ] || { echo "usage: run_testbench_paths.sh FIXTURES_DIR WORKDIR" >&2; exit 2; }
fixtures=$1
rm -rf "$2"
mkdir -p "$2"
work=$(cd "$2" && pwd)
nl='
'
failed=0
total=0

fail() {
    echo "FAIL $1: $2"
    failed=$((failed + 1))
}

run_case() {
    name=$1 tmpdir=$2
    total=$((total + 1))
    dir=$work/$name
    mkdir -p "$dir"
    cp "$fixtures/fx_direct5.m" "$fixtures/fx_direct5_script.m" "$fixtures/kw_psd.m" "$dir/"
    out=$(cd "$work" && TMPDIR=$tmpdir "$runner" "$dir/fx_direct5_script.m" 2>&1)
    status=$?
    if [ $status -ne 0 ]; then
        fail "$name" "exit $status: $out"
        return
    fi
    for k in 1 2; do
        png=$dir/fx_direct5_script_fig$k.png
        [ -s "$png" ] || { fail "$name" "no figure $k beside the script"; return; }
        case $out in
            *"figure $k: $png$nl"*) ;;
            *) fail "$name" "figure $k not announced at its path: $out"; return ;;
        esac
    done
    echo "PASS $(printf '%s' "$name" | tr '\n' '~')"
}

# The table: a directory name, and the TMPDIR of the run (the runner must not use one
# that is not plain).
run_case "O'Brien" ""
run_case "q'\`touch pwned_b\`" ""
run_case "\$(touch pwned_d) and \"quotes\"" ""
run_case " two  spaces " ""
run_case "new${nl}line" ""
run_case "Grüße-€-名前" ""
run_case "plain" "/tmp/x'\`touch pwned_t\`"

# Nothing a name spells ran, here or in the runner's working directory.
total=$((total + 1))
found=$(find "$work" /tmp -maxdepth 2 \( -name pwned_b -o -name pwned_d -o -name pwned_t \) 2>/dev/null)
[ -z "$found" ] && echo "PASS no command ran" || fail "names" "a name ran as a command: $found"

# A figure that cannot be put in place (a directory holds its name) fails the run.
total=$((total + 1))
dir=$work/blocked
mkdir -p "$dir/fx_direct5_script_fig1.png"
cp "$fixtures/fx_direct5.m" "$fixtures/fx_direct5_script.m" "$fixtures/kw_psd.m" "$dir/"
out=$("$runner" "$dir/fx_direct5_script.m" 2>&1)
status=$?
case $status:$out in
    0:*) fail "blocked" "exit 0 although figure 1 could not be saved: $out" ;;
    *"figure 1: "*) fail "blocked" "figure 1 announced although not saved: $out" ;;
    *"figure 1 was not saved as $dir/fx_direct5_script_fig1.png"*) echo "PASS blocked figure fails the run" ;;
    *) fail "blocked" "no reason given: $out" ;;
esac

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
