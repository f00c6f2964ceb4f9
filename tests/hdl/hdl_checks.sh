#!/bin/sh
# The checks of the hdl matrix's Verilog (WORKDIR as run_hdl_matrix.sh left it):
#   hdl_checks.sh cosim WORKDIR   every testbench under Icarus Verilog prints PASS (its expected
#                                 vectors are the MATLAB core's outputs)
#   hdl_checks.sh lint WORKDIR    Verilator --lint-only -Wall is silent on every core
#   hdl_checks.sh synth WORKDIR   Yosys synth (flattened) of the smallest core of each structure: the $mul
#                                 cells it keeps equal the multipliers the header states
#   hdl_checks.sh fault WORKDIR   a testbench fails (FAIL, non-zero exit) on its core with one
#                                 coefficient changed, for a fully parallel, a shared and a
#                                 polyphase core
#   hdl_checks.sh prove WORKDIR   every product of every shift-add core's products module equals
#                                 x * c for all inputs (Yosys SAT, one proof per product; cores of
#                                 inputs up to 16 bits); a module with one constant changed fails
# Exits non-zero when a check fails.
set -eu
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
[ $# -ge 2 ] || { echo "usage: hdl_checks.sh cosim|lint|synth|fault|prove WORKDIR" >&2; exit 2; }
mode=$1
cd "$2"
[ -s cores.txt ] || { echo "hdl_checks.sh: no cores.txt in $2" >&2; exit 2; }

simulate() {  # NAME: compiles and runs NAME's testbench; prints its verdict line
    status=0
    { iverilog -g2005 -o "$1_tb.vvp" "$1.v" "$1_tb.v" && vvp -n "$1_tb.vvp"; } > "$1.sim" 2>&1 || status=$?
    echo "$1 status=$status $(grep -m1 -E '^(PASS|FAIL)' "$1.sim" || echo 'no verdict')"
}

header_value() {  # NAME FIELD: the first number after "// FIELD" in NAME.v's header
    sed -n "s|^// $2 *\([0-9][0-9]*\).*|\1|p" "$1.v" | head -1
}

case $mode in
one)  # the verdict of core $3 (cosim runs it two at a time)
    simulate "$3"
    ;;
cosim)
    xargs -P 2 -n 1 "$self" one . < cores.txt > cosim.txt
    total=$(wc -l < cores.txt)
    passed=$(grep -c ' status=0 PASS ' cosim.txt || true)
    grep -v ' status=0 PASS ' cosim.txt || true
    echo "$passed of $total testbenches PASS"
    [ "$passed" -eq "$total" ]
    ;;
lint)
    failed=0
    while read -r name; do
        if ! out=$(verilator --lint-only -Wall "$name.v" 2>&1) || [ -n "$out" ]; then
            echo "LINT $name:"; echo "$out" | head -20
            failed=$((failed + 1))
        fi
    done < cores.txt
    echo "$(wc -l < cores.txt) cores linted, $failed with warnings"
    [ "$failed" -eq 0 ]
    ;;
synth)
    # One core per structure: the header's structure and folding lines name it (products side by
    # side whatever their number); the narrowest input, then the fewest taps, stand for it.
    while read -r name; do
        key="$(sed -n '/^\/\/ Structure:/{N;p}' "$name.v" | tr -s '\n/ ' ' ' | tr -d '0-9') $(sed -n 's|^// Products: *\([a-z-]*\).*|\1|p' "$name.v")"
        echo "$(header_value "$name" "$name: FIR core of") $(sed -n 's|^// Ports: *in_data *signed \[\([0-9]*\).*|\1|p' "$name.v") $name|$key"
    done < cores.txt | sort -n -k2,2 -k1,1 | awk -F'|' '!seen[$2]++ { split($1, f, " "); print f[3] }' > synth_cores.txt
    failed=0
    while read -r name; do
        want=$(header_value "$name" "Resources:")
        yosys -q -p "read_verilog $name.v; synth -top $name -flatten -noalumacc -run begin:fine; tee -q -o $name.coarse stat; synth -top $name -flatten -noalumacc -run fine:; tee -q -o $name.stat stat" > "$name.yosys" 2>&1 || { echo "SYNTH $name: yosys failed"; failed=$((failed + 1)); continue; }
        got=$(awk '$1 == "$mul" { n += $2 } END { print n + 0 }' "$name.coarse")
        cells=$(sed -n 's|^ *Number of cells: *||p' "$name.stat" | tail -1)
        structure=$(sed -n 's|^// Structure: *||p' "$name.v")
        if [ "$got" = "$want" ]; then
            echo "OK   $name: $got multipliers ($cells cells), $structure"
        else
            echo "DIFF $name: yosys keeps $got multipliers, the header states $want"
            failed=$((failed + 1))
        fi
        # A shift-add core: the adders Yosys finds in its products module, at most those the
        # header states, and those within the lower bound + 10% + 2 when the header gives one.
        stated=$(sed -n 's|^// Products:.*[^0-9]\([0-9][0-9]*\) adders.*|\1|p' "$name.v")
        [ -n "$stated" ] || continue
        bound=$(sed -n 's|^// Products:.*(at least \([0-9][0-9]*\) .*|\1|p' "$name.v")
        # The products module alone (the core's own synthesis above is flattened).
        yosys -q -p "read_verilog $name.v; synth -top ${name}_products -noalumacc -run begin:fine; tee -q -o $name.products stat" \
            > "$name.products.yosys" 2>&1 || { echo "SYNTH $name: yosys failed on its products module"; failed=$((failed + 1)); continue; }
        adders=$(awk '$1 == "$add" || $1 == "$sub" || $1 == "$neg" { n += $2 } END { print n + 0 }' "$name.products")
        if { [ "$adders" -eq 0 ] && [ "$stated" -gt 0 ]; } || [ "$adders" -gt "$stated" ] || { [ -n "$bound" ] && [ "$stated" -gt $((bound + bound / 10 + 2)) ]; }; then
            echo "DIFF $name: yosys finds $adders product adders, the header states $stated${bound:+ (bound $bound)}"
            failed=$((failed + 1))
        else
            echo "OK   $name: $adders product adders, the header states $stated${bound:+ (bound $bound)}"
        fi
    done < synth_cores.txt
    echo "$(wc -l < synth_cores.txt) structures synthesized, $failed differ"
    [ -s synth_cores.txt ] && [ "$failed" -eq 0 ]
    ;;
fault)
    # The first coefficient of a fully parallel core with multipliers (a product by a constant),
    # of a shared core (its coefficient memory), of a polyphase core (a phase's choice) and of a
    # core with products side by side (its first lane's memory), each made one larger.
    parallel=$(grep -l "Structure:  fully parallel direct form, with multipliers" $(sed 's/$/.v/' cores.txt) | head -1)
    shared=$(grep -l "Structure:  resource-shared transposed form, with multipliers" $(sed 's/$/.v/' cores.txt) | head -1)
    polyphase=$(grep -l "Structure:  polyphase interpolator, fully parallel direct form, with multipliers" $(sed 's/$/.v/' cores.txt) | head -1)
    lanes=$(grep -l "Structure:  resource-shared direct form, with multipliers, [0-9]* products side by side" $(sed 's/$/.v/' cores.txt) | head -1)
    failed=0
    for file in $parallel $shared $polyphase $lanes; do
        name=${file%.v}
        rm -rf "fault_$name" && mkdir "fault_$name"
        cp "$name.v" "$name"_tb.v "$name"_in.hex "$name"_out.hex "fault_$name/"
        awk '!done && (/ \* [0-9]+.sd[0-9]+;/ || /coef_r <= [0-9]+.sd[0-9]+;/ || /coef_[0-9]+ = [0-9]+.sd[0-9]+;/ || /l0_coef_1 <= [0-9]+.sd[0-9]+;/) {
                 match($0, /sd[0-9]+;/); v = substr($0, RSTART + 2, RLENGTH - 3) + 1
                 $0 = substr($0, 1, RSTART + 1) v ";" substr($0, RSTART + RLENGTH); done = 1 }
             { print }' "$name.v" > "fault_$name/$name.v"
        if cmp -s "$name.v" "fault_$name/$name.v"; then echo "FAULT $name: no coefficient found to change"; failed=$((failed + 1)); continue; fi
        verdict=$(cd "fault_$name" && simulate "$name")
        echo "broken $name: $verdict"
        case $verdict in
            *" status=0 "*|*PASS*) echo "FAULT $name: the testbench did not fail"; failed=$((failed + 1)) ;;
            *"FAIL sample"*) ;;
            *) echo "FAULT $name: no FAIL line"; failed=$((failed + 1)) ;;
        esac
    done
    [ -n "$parallel" ] && [ -n "$shared" ] && [ -n "$polyphase" ] && [ -n "$lanes" ] && [ "$failed" -eq 0 ]
    ;;
prove_one)  # the proofs of core $3's products module
    "$(dirname "$self")/prove_products.sh" "$3.v" "proofs/$3" > "proofs/$3.txt" 2>&1 && echo "$3 proved" || echo "$3 FAILED"
    ;;
prove)
    # SAT over products of a wider operand takes far longer than CI allows: those cores are proven
    # by co-simulation only.
    for file in $(grep -l '^// Products:' $(sed 's/$/.v/' cores.txt)); do
        ibits=$(sed -n 's|^// Ports: *in_data *signed \[\([0-9]*\):0\].*|\1|p' "$file")
        if [ "$ibits" -lt 16 ]; then echo "${file%.v}"; else echo "SKIP ${file%.v}: a ${ibits}+1-bit input" >&2; fi
    done > prove_cores.txt
    rm -rf proofs && mkdir proofs
    xargs -P 2 -n 1 "$self" prove_one . < prove_cores.txt > prove.txt
    cat proofs/*.txt | grep -v '^PROVED' || true
    failed=$(grep -c FAILED prove.txt || true)
    echo "$(cat proofs/*.txt | grep -c '^PROVED') products of $(wc -l < prove_cores.txt) shift-add cores proved for all inputs, $failed cores with a failed proof"
    # The proof fails on a products module with one constant changed in its own comment line.
    first=$(head -1 prove_cores.txt)
    mkdir -p proofs/broken
    port=$(awk '/^\/\/ product p_[0-9]+ = x[_0-9]* \* [0-9]+ after/ { print $3; exit }' "$first.v")
    awk -v p="$port" '$1 == "//" && $2 == "product" && $3 == p { $7 = $7 + 2 } { print }' "$first.v" > "proofs/broken/$first.v"
    if "$(dirname "$self")/prove_products.sh" "proofs/broken/$first.v" proofs/broken "$port" > proofs/broken.txt 2>&1; then
        echo "FAULT $first: a changed constant was proved"; failed=$((failed + 1))
    else
        echo "broken $first: $(grep -m1 FAILED proofs/broken.txt)"
    fi
    [ -s prove_cores.txt ] && [ "$failed" -eq 0 ]
    ;;
*)
    echo "hdl_checks.sh: unknown check $mode" >&2; exit 2 ;;
esac
