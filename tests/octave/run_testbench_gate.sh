#!/bin/sh
# The testbench runner's --seed and --exact on generated cores, as a user runs them:
# a seed repeats the figures, a clean run is quiet, a core one coefficient LSB off passes the testbench's own
# check but not the exact gate, a wrapping output is bit-true but noted, and a truncating
# core (no bit-true model yet) is refused by the gate rather than passed.
#   run_testbench_gate.sh KELVODSP WORKDIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
runner=$here/../../octave/run_testbench
[ $# -eq 2 ] || { echo "usage: run_testbench_gate.sh KELVODSP WORKDIR" >&2; exit 2; }
kelvodsp=$1
rm -rf "$2"
mkdir -p "$2"
work=$(cd "$2" && pwd)
failed=0
total=0

check() {  # check NAME CONDITION-STATUS DETAIL
    total=$((total + 1))
    if [ "$2" -eq 0 ]; then echo "PASS $1"; else echo "FAIL $1: $3"; failed=$((failed + 1)); fi
}

generate() {  # generate NAME SWITCH...
    name=$1
    shift
    "$kelvodsp" rcosflt -outdir "$work" -project -nosubdir -name "$name" -fs 4 -fd 1 -delay 2 \
        -cbits 10 -ibits 10 -ifbits 9 "$@" >/dev/null 2>"$work/$name.gen.log" || {
        echo "FAIL generating $name: $(cat "$work/$name.gen.log")"; exit 1; }
}

run() {  # run LOG ARG...: sets status, leaves the output in LOG
    log=$1
    shift
    "$runner" "$@" >"$log" 2>&1
    status=$?
}

generate good
run "$work/seed7a.log" --seed 7 "$work/good_script.m"
sum_a=$(cat "$work"/good_script_fig*.png | cksum)
run "$work/seed7b.log" --seed 7 "$work/good_script.m"
sum_b=$(cat "$work"/good_script_fig*.png | cksum)
grep error "$work/seed7a.log" >"$work/seed7a.err"
grep error "$work/seed7b.log" >"$work/seed7b.err"
cmp -s "$work/seed7a.err" "$work/seed7b.err" && [ "$sum_a" = "$sum_b" ] && [ -s "$work/seed7a.err" ]
check "the same seed gives the same errors and figures" $? "$(cat "$work/seed7a.log" "$work/seed7b.log")"
run "$work/seed8.log" --seed 8 "$work/good_script.m"
! grep error "$work/seed8.log" | cmp -s - "$work/seed7a.err"
check "another seed gives other errors" $? "$(cat "$work/seed8.log")"

# A home without Octave's history folder, as on a fresh machine: a clean run prints no error.
mkdir -p "$work/home"
HOME=$work/home "$runner" --exact "$work/good_script.m" >"$work/exact.log" 2>&1
status=$?
[ $status -eq 0 ] && grep -qx "exact: 1024 of 1024 outputs equal the bit-true model (latency [0-4])" "$work/exact.log"
check "a generated core passes the exact gate, every output compared" $? "$(cat "$work/exact.log")"
! grep -q "^error:" "$work/exact.log"
check "a clean run prints no error line (Octave's exit message included)" $? "$(cat "$work/exact.log")"

# One coefficient one LSB (2^-9 at 10 bits) off: the core is wrong, the spectra hardly move.
generate broken
awk '!done && !/^%/ && sub(/quantize\(qcoef,[^)]*/, "&+2^-9") { done = 1 } { print }' \
    "$work/broken.m" >"$work/broken.tmp" && mv "$work/broken.tmp" "$work/broken.m"
run "$work/broken.log" "$work/broken_script.m"
[ $status -eq 0 ]
check "the broken core passes the testbench's own check" $? "$(cat "$work/broken.log")"
run "$work/broken_exact.log" --exact "$work/broken_script.m"
[ $status -ne 0 ] && grep -q "^exact: output [0-9]* of 1024 (channel 1) differs: core .*, model " "$work/broken_exact.log"
check "the exact gate fails the broken core and names the output" $? "$(cat "$work/broken_exact.log")"

# An input of +-4 through an output format of +-1 (the last -ifbits wins).
generate wraps -ifbits 7 -obits 8 -ofbits 7
# (The testbench's own alignment may fail on such an output; the gate speaks for the core.)
run "$work/wraps.log" --exact "$work/wraps_script.m"
grep -q "^exact: 1024 of 1024 outputs equal" "$work/wraps.log" && grep -q "^note: [1-9][0-9]* outputs wrapped in the core's product or output format" "$work/wraps.log"
check "a wrapping output is bit-true and noted" $? "$(cat "$work/wraps.log")"

generate truncates -trunc 3
run "$work/trunc.log" --exact "$work/truncates_script.m"
[ $status -ne 0 ] && grep -q "^exact: no bit-true model for this core: it truncates 3 bits" "$work/trunc.log"
check "a truncating core is refused by the gate" $? "$(cat "$work/trunc.log")"

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
