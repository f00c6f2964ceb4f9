#!/bin/sh
# The testbench runner under hostile directory names: each run must succeed, leave both
# figures beside the script, announce exactly those paths and run nothing a name spells; a
# figure that cannot be put in place fails the run and is not announced.
#   run_testbench_paths.sh FIXTURES_DIR WORKDIR
set -u
runner=$(cd "$(dirname "$0")/../../octave" && pwd)/run_testbench
[ $# -eq 2 ] || { echo "usage: run_testbench_paths.sh FIXTURES_DIR WORKDIR" >&2; exit 2; }
rm -rf "$2" && mkdir -p "$2" && work=$(cd "$2" && pwd)
nl='
' failed=0 total=0
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }

run_case() {  # run_case DIRECTORY-NAME TMPDIR
    total=$((total + 1)) dir=$work/$1
    mkdir -p "$dir" && cp "$fixtures"/fx_direct5.m "$fixtures"/fx_direct5_script.m "$fixtures"/kw_psd.m "$dir/"
    out=$(cd "$work" && TMPDIR=$2 "$runner" "$dir/fx_direct5_script.m" 2>&1) || { fail "$1" "exit $?: $out"; return; }
    for k in 1 2; do
        png=$dir/fx_direct5_script_fig$k.png
        [ -s "$png" ] || { fail "$1" "no figure $k beside the script"; return; }
        case $out in *"figure $k: $png$nl"*) ;; *) fail "$1" "figure $k not announced at its path: $out"; return ;; esac
    done
    echo "PASS $(printf '%s' "$1" | tr '\n' '~')"
}
fixtures=$1

# The table: a directory name, and the TMPDIR of the run (one that is not plain is not used).
run_case "O'Brien" ""
run_case "q'\`touch pwned_b\`" ""
run_case "\$(touch pwned_d) and \"quotes\"" ""
run_case " two  spaces " ""
run_case "new${nl}line" ""
run_case "Grüße-€-名前" ""
run_case "plain" "/tmp/x'\`touch pwned_t\`"

total=$((total + 1))
found=$(find "$work" /tmp -maxdepth 2 \( -name pwned_b -o -name pwned_d -o -name pwned_t \) 2>/dev/null)
[ -z "$found" ] && echo "PASS no name ran as a command" || fail "names" "a name ran as a command: $found"

# A directory holding figure 1's name: the figure cannot be put in place.
total=$((total + 1)) dir=$work/blocked
mkdir -p "$dir/fx_direct5_script_fig1.png" && cp "$fixtures"/fx_direct5*.m "$fixtures"/kw_psd.m "$dir/"
out=$("$runner" "$dir/fx_direct5_script.m" 2>&1)
case $?:$out in
    0:*|*"figure 1: "*) fail "blocked" "figure 1 reported as saved: $out" ;;
    *"figure 1 was not saved as $dir/fx_direct5_script_fig1.png"*) echo "PASS a blocked figure fails the run" ;;
    *) fail "blocked" "no reason given: $out" ;;
esac

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
