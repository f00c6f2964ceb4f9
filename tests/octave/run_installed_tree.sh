#!/bin/sh
# A new user's first hour, from "cmake --install" into a temporary prefix alone: the installed
# shell generates cores, the installed runner (building quantize.oct from its installed source)
# repeats a seeded run, stays quiet on a clean one, passes a correct core through --exact (the
# core rebuilt by the installed shell beside the runner) and fails one a coefficient LSB off
# that the testbench's own check lets through, and checks truncating and rounding cores too.
#   run_installed_tree.sh BUILD_DIR WORKDIR
set -u
[ $# -eq 2 ] || { echo "usage: run_installed_tree.sh BUILD_DIR WORKDIR" >&2; exit 2; }
rm -rf "$2" && mkdir -p "$2/home" && work=$(cd "$2" && pwd)
prefix=$work/prefix failed=0 total=0
check() {  # check NAME STATUS LOG
    total=$((total + 1))
    if [ "$2" -eq 0 ]; then echo "PASS $1"; else echo "FAIL $1:"; cat "$3"; failed=$((failed + 1)); fi
}
generate() {  # generate NAME SWITCH...
    n=$1; shift
    "$prefix/bin/kelvodsp" rcosflt -outdir "$work" -project -nosubdir -name "$n" -fs 4 -delay 2 -cbits 10 "$@" \
        >"$work/$n.gen" 2>&1 || { echo "FAIL generating $n:"; cat "$work/$n.gen"; exit 1; }
}
# Without a prebuilt quantize.oct or Octave's history folder, as on a fresh machine.
tb() {  # tb LOG ARG...
    log=$1; shift
    env -u KW_OCT_PREBUILT HOME="$work/home" KW_OCTAVE_CACHE="$work/cache" "$prefix/bin/run_testbench" "$@" >"$log" 2>&1
}

cmake --install "$1" --prefix "$prefix" >"$work/install.log" 2>&1
check "cmake --install" $? "$work/install.log"
"$prefix/bin/kelvodsp" -c 'puts [AppMgr::GetKPDFile rcosflt]' >"$work/kpd.log" 2>&1
[ "$(cat "$work/kpd.log")" = "$prefix/lib/kelvodsp/plugins/rcosflt.kpd" ]
check "the installed shell loads the installed plug-in folder" $? "$work/kpd.log"

generate good
tb "$work/a.log" --seed 7 "$work/good_script.m" && sum_a=$(cat "$work"/good_script_fig*.png | cksum)
tb "$work/b.log" --seed 7 "$work/good_script.m" && [ "$(cat "$work"/good_script_fig*.png | cksum)" = "$sum_a" ] \
    && [ "$(grep error "$work/a.log")" = "$(grep error "$work/b.log")" ] && grep -q "^max error" "$work/a.log"
check "the same seed gives the same errors and byte-identical figures" $? "$work/b.log"
tb "$work/exact.log" --exact "$work/good_script.m" && ! grep -q "^error:" "$work/exact.log" \
    && grep -qx "exact: 1024 of 1024 outputs equal the bit-true simulator" "$work/exact.log"
check "a generated core passes --exact, every output compared, with no error line" $? "$work/exact.log"

# One coefficient one LSB (2^-9) off: the core is wrong while its spectra hardly move.
generate broken
awk '!done && !/^%/ && sub(/quantize\(qcoef,[^)]*/, "&+2^-9") { done = 1 } { print }' "$work/broken.m" \
    >"$work/broken.tmp" && mv "$work/broken.tmp" "$work/broken.m"
tb "$work/own.log" "$work/broken_script.m" && ! tb "$work/broken.log" --exact "$work/broken_script.m" \
    && grep -q "^exact: output [0-9]* of 1024 (channel 1) differs: core .*, simulator " "$work/broken.log"
check "--exact fails a broken core the testbench lets through, naming the output" $? "$work/broken.log"

generate truncates -trunc 3
tb "$work/trunc.log" --exact "$work/truncates_script.m" \
    && grep -qx "exact: 1024 of 1024 outputs equal the bit-true simulator" "$work/trunc.log"
check "--exact checks a truncating core" $? "$work/trunc.log"

generate rounds -output_round convergent -output_overflow saturate -obits 12 -ofbits 11 -coef_scale max
tb "$work/rounds.log" --exact "$work/rounds_script.m" \
    && grep -qx "exact: 1024 of 1024 outputs equal the bit-true simulator" "$work/rounds.log"
check "--exact checks a rounding, saturating, full-range core" $? "$work/rounds.log"

generate bare -output_round nearest
sed '/^%/d' "$work/bare.m" >"$work/bare.tmp" && mv "$work/bare.tmp" "$work/bare.m"
! tb "$work/bare.log" --exact "$work/bare_script.m" \
    && grep -q "^exact: the core cannot be rebuilt: its file has no header" "$work/bare.log"
check "--exact refuses a core without its header, saying why" $? "$work/bare.log"

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
