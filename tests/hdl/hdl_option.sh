#!/bin/sh
# The -hdl option as a user gives it to the shell:
#   hdl_option.sh KELVODSP WORKDIR
# any value but verilog is refused with its message and writes nothing; -hdl verilog writes
# F.v beside F.m under the same numbered name, without a testbench; with -project the
# testbench and its vectors join it in the project's directory, and the testbench passes under
# Icarus Verilog. Exits non-zero on the first difference.
set -eu
[ $# -eq 2 ] || { echo "usage: hdl_option.sh KELVODSP WORKDIR" >&2; exit 2; }
kelvodsp=$1
rm -rf "$2" && mkdir -p "$2" && cd "$2"
fail() { echo "FAIL: $*"; exit 1; }

if "$kelvodsp" rcosflt -hdl vhdl > refused.out 2> refused.err; then fail "-hdl vhdl was accepted"; fi
grep -q 'Invalid Parameter: -hdl "vhdl" is not a supported hardware description language' refused.err \
    || fail "-hdl vhdl: $(cat refused.err)"
[ -z "$(ls | grep -v '^refused\.')" ] || fail "-hdl vhdl left files: $(ls)"

"$kelvodsp" rcosflt -fs 4 -fd 1 -delay 2 -hdl verilog > plain.log 2>&1 || fail "-hdl verilog: $(cat plain.log)"
[ -f rcosflt_001.m ] && [ -f rcosflt_001.v ] || fail "-hdl verilog wrote: $(ls)"
[ ! -e rcosflt_001_tb.v ] && [ ! -e rcosflt_001_in.hex ] || fail "a testbench without -project: $(ls)"
grep -q '^module rcosflt_001 (' rcosflt_001.v || fail "rcosflt_001.v does not hold module rcosflt_001"

"$kelvodsp" rcosflt -fs 4 -fd 1 -delay 2 -resource_shared yes -hdl verilog -project -nosubdir -outdir project \
    -name shared > project.log 2>&1 || fail "-hdl verilog -project: $(cat project.log)"
cd project
for f in shared.m shared.v shared_tb.v shared_in.hex shared_out.hex; do
    [ -s "$f" ] || fail "-project did not write $f: $(ls)"
done
iverilog -g2005 -o tb.vvp shared.v shared_tb.v && vvp -n tb.vvp > tb.log 2>&1 || fail "testbench: $(cat tb.log)"
grep -q '^PASS [0-9]* samples$' tb.log || fail "testbench: $(cat tb.log)"
echo "PASS -hdl refused for vhdl, F.v alone, F.v with its passing testbench under -project"
