#!/bin/sh
# "cmake --install" into a temporary prefix must give a tree that works on its own: the shell
# loads the installed plug-in and parameter description, generates a core with its testbench,
# and the installed runner (through bin/run_testbench, building quantize.oct from the
# installed source into a fresh cache) proves the core against its bit-true model.
#   run_installed_tree.sh BUILD_DIR WORKDIR
set -u
[ $# -eq 2 ] || { echo "usage: run_installed_tree.sh BUILD_DIR WORKDIR" >&2; exit 2; }
build=$1
rm -rf "$2"
mkdir -p "$2/run"
work=$(cd "$2" && pwd)
prefix=$work/prefix
failed=0
total=0

check() {  # check NAME STATUS DETAIL
    total=$((total + 1))
    if [ "$2" -eq 0 ]; then echo "PASS $1"; else echo "FAIL $1: $3"; failed=$((failed + 1)); fi
}

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1
check "cmake --install" $? "$(tail -5 "$work/install.log")"

missing=
for f in bin/kelvodsp bin/run_testbench lib/kelvodsp/plugins/librcosflt.so lib/kelvodsp/plugins/rcosflt.kpd \
         share/kelvodsp/octave/run_testbench share/kelvodsp/octave/quantize_oct.cc; do
    [ -e "$prefix/$f" ] || missing="$missing $f"
done
[ -z "$missing" ]
check "the tree holds the shell, plug-in, description and Octave support" $? "missing:$missing"

kpd=$("$prefix/bin/kelvodsp" -c 'puts [AppMgr::GetKPDFile rcosflt]' 2>&1)
[ "$kpd" = "$prefix/lib/kelvodsp/plugins/rcosflt.kpd" ]
check "the installed shell uses the installed plug-in folder" $? "$kpd"

(cd "$work/run" && "$prefix/bin/kelvodsp" rcosflt -project -fs 4 -fd 1 -delay 2 -type sqrt) \
    >"$work/generate.log" 2>&1
[ $? -eq 0 ] && [ -f "$work/run/rcosflt_001/rcosflt_001_script.m" ]
check "the installed shell generates a core with its testbench" $? "$(cat "$work/generate.log")"

# No prebuilt quantize.oct: the installed runner builds its own into this cache.
(cd "$work/run" && env -u KW_OCT_PREBUILT KW_OCTAVE_CACHE="$work/cache" \
    "$prefix/bin/run_testbench" --seed 1 --exact rcosflt_001/rcosflt_001_script.m) >"$work/testbench.log" 2>&1
[ $? -eq 0 ] && grep -q "^exact: 1024 of 1024 outputs equal the bit-true model" "$work/testbench.log" \
    && [ -s "$work/run/rcosflt_001/rcosflt_001_script_fig2.png" ] && ls "$work"/cache/*/oct/quantize.oct >/dev/null 2>&1
check "the installed runner proves the core with a quantize.oct of its own" $? "$(cat "$work/testbench.log")"

echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
